#include "app/MainForm.h"
#include "platform/MessageBox.h"
#include "platform/widgets/PageControl.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace qm;

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

    void timeAlarmLabelFlashes() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QColor before = form->Label_TimeAlarm->palette().color(QPalette::WindowText);
        form->TimerFlashTempoTimer();
        QCOMPARE(form->Label_TimeAlarm->palette().color(QPalette::WindowText), QColor(Qt::red));
        form->TimerFlashTempoTimer();
        QVERIFY(form->Label_TimeAlarm->palette().color(QPalette::WindowText) != QColor(Qt::red));
        Q_UNUSED(before);
    }
};

QTEST_MAIN(QuitRoadTest)
#include "tst_quitroad.moc"
