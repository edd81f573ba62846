#include "app/MainForm.h"
#include "notes/NoteListInput.h"
#include "platform/Contrast.h"
#include "platform/MessageBox.h"
#include "platform/widgets/PageControl.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace qm;

namespace {

// Opens the tray menu and clicks the item, as the user does.
void ClickTrayItem(TMainForm* form, QAction* item) {
    QMenu* menu = form->PopupMenuTray;
    menu->popup(QPoint(100, 100));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    menu->hide();
}

} // namespace

class QuitRoadTest : public QObject {
    Q_OBJECT

private slots:
    void quitsWithoutQuestionWhenTheAlarmCheckIsOff() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->CheckBox_TimeCheck->setChecked(false);
        form->SpeedButtonEXIT->click();
        QVERIFY(form->QuitConfirmed());
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void alarmQuestionAnsweredNoKeepsRunningOnTheOptionsTab() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QVERIFY(form->CheckBox_TimeCheck->isChecked()); // the default settings row
        MessageBoxSeam::QueueAnswer(Id::No);
        form->SpeedButtonEXIT->click();
        QVERIFY(!form->QuitConfirmed());
        QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetSetup);
        QVERIFY(!form->TimerFlashTempo->isActive());
        const QList<ShownBox> boxes = MessageBoxSeam::Shown();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text,
                 QStringLiteral(
                     " Hey! If you quit me, I can't notify you about the tasks at right time! Quit anyway?"));
        QCOMPARE(boxes[0].flags, 0x24);

        MessageBoxSeam::QueueAnswer(Id::Yes);
        form->SpeedButtonEXIT->click();
        QVERIFY(form->QuitConfirmed());
    }

    void escAndTheWindowManagersCloseTakeTheSameRoad() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->show();
        MessageBoxSeam::QueueAnswer(Id::No);
        QTest::keyClick(form, Qt::Key_Escape);
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QVERIFY(form->isVisible());

        MessageBoxSeam::QueueAnswer(Id::No);
        QVERIFY(!form->close());
        QVERIFY(form->isVisible());
        QCOMPARE(MessageBoxSeam::Shown().size(), 2);
    }

    void trayQuitItemIsOffWhileAQuestionOfTheRoadIsOpen() {
        TestEnvironment env;
        const QString notes = env.ArchiveFolder() + QStringLiteral("/notes");
        QDir().mkpath(notes);
        QFile note(notes + QStringLiteral("/n.txt"));
        QVERIFY(note.open(QIODevice::WriteOnly));
        note.write("old");
        note.close();
        TMainForm* form = env.CreateMainForm();
        form->show();
        form->PageControlMenu->setCurrentWidget(form->TabSheetNotes);
        form->PageControlMenuChange();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        ClickNote(form, QStringLiteral("n.txt"));
        QCOMPARE(form->CurrentNoteFile, notes + QStringLiteral("/n.txt"));
        form->Editor->setFocus();
        QTest::keyClicks(form->Editor, QStringLiteral("new "));
        QVERIFY(form->SpeedButtonUpdate->isEnabled()); // a changed note
        QVERIFY(form->CheckBox_TimeCheck->isChecked());

        // The user chooses the tray's quit item again while each question is open.
        QList<bool> enabledWhileOpen;
        MessageBoxSeam::WhileOpen([&](const ShownBox&) {
            enabledWhileOpen << form->Closequellmire1->isEnabled();
            if (enabledWhileOpen.size() <= 2) // a road that did start again must still end
                ClickTrayItem(form, form->Closequellmire1);
        });
        MessageBoxSeam::QueueAnswer(Id::No); // the note: changes dropped
        MessageBoxSeam::QueueAnswer(Id::No); // the alarm: keep running
        ClickTrayItem(form, form->Closequellmire1);
        MessageBoxSeam::WhileOpen(nullptr);
        const QList<ShownBox> boxes = MessageBoxSeam::Shown();
        QCOMPARE(boxes.size(), 2); // the second choice started nothing
        QCOMPARE(boxes[0].text, QStringLiteral("Update the file: \"n.txt\" before saying hello?"));
        QVERIFY(boxes[1].text.startsWith(QStringLiteral(" Hey! If you quit me")));
        QCOMPARE(enabledWhileOpen, (QList<bool>{false, false}));
        QVERIFY(!form->QuitConfirmed());
        QVERIFY(form->Closequellmire1->isEnabled());
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);

        // A note that cannot be saved keeps the program running, and the item comes back.
        QVERIFY(QFile::remove(notes + QStringLiteral("/n.txt")));
        QVERIFY(QDir().rmdir(notes));
        QFile blocker(notes);
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder was
        blocker.close();
        MessageBoxSeam::QueueAnswer(Id::Yes);
        MessageBoxSeam::QueueAnswer(Id::Ok); // the write error
        ClickTrayItem(form, form->Closequellmire1);
        QVERIFY(!form->QuitConfirmed());
        QVERIFY(form->Closequellmire1->isEnabled());

        // Without a question the item quits.
        form->SpeedButtonUpdate->setEnabled(false);
        form->CheckBox_TimeCheck->setChecked(false);
        ClickTrayItem(form, form->Closequellmire1);
        QVERIFY(form->QuitConfirmed());
    }

    // The warning flashes in a red that reads on the options tab's colour: 3:1 or more against the
    // pixels painted behind it.
    void timeAlarmLabelFlashes() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->show();
        form->PageControlMenu->setCurrentWidget(form->TabSheetSetup);
        QCoreApplication::sendPostedEvents();
        const QColor before = form->Label_TimeAlarm->palette().color(QPalette::WindowText);
        form->TimerFlashTempoTimer();
        const QColor red = form->Label_TimeAlarm->palette().color(QPalette::WindowText);
        QVERIFY(red.red() > 2 * red.green() && red.red() > 2 * red.blue());
        const QRect shown(form->Label_TimeAlarm->mapTo(form, QPoint(0, 0)), form->Label_TimeAlarm->size());
        const QColor behind = form->grab(shown).toImage().pixelColor(0, 0);
        QVERIFY2(ContrastRatio(red, behind) >= 3.0, qPrintable(red.name() + " on " + behind.name()));
        form->TimerFlashTempoTimer();
        QCOMPARE(form->Label_TimeAlarm->palette().color(QPalette::WindowText), before);
    }
};

QTEST_MAIN(QuitRoadTest)
#include "tst_quitroad.moc"
