#include "app/MainForm.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "platform/widgets/PageControl.h"
#include "support/TestEnvironment.h"
#include "views/ViewTestRows.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace qm;

namespace {

QStringList Row(const TestEnvironment& env, const QString& columns) {
    const QList<QStringList> rows =
        TestEnvironment::RowsOfFile(env.ArchiveFile(QStringLiteral("QMset90.db")),
                                    QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM QMset90"));
    return rows.size() == 1 ? rows[0] : QStringList{QStringLiteral("<%1 rows>").arg(rows.size())};
}

void SetColumns(const TestEnvironment& env, const QString& assignments) {
    TestEnvironment::ExecOnFile(env.ArchiveFile(QStringLiteral("QMset90.db")),
                                QStringLiteral("UPDATE QMset90 SET ") + assignments);
}

void Choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

} // namespace

class OptionSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void alarmBoxesStoreTheirPairAndLoadShowsIt() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        // The start-up road ticks the boxes by code and writes nothing back.
        QCOMPARE(Row(env, "soundon, DataYear"), (QStringList{"Y", "d mmmm"}));

        form->CheckBox_Visivo->click();
        QCOMPARE(Row(env, "soundon"), QStringList{"2"});
        // The default row's index names "mmmm d", but the combo shows the format in use, so the
        // first save keeps it and stores its item.
        QCOMPARE(Row(env, "DataYear, DataYearIndex"), (QStringList{"d mmmm", "0"}));
        QCOMPARE(form->YearDateFormat, QStringLiteral("d mmmm"));

        form->CheckBox_Soundon->click();
        QCOMPARE(Row(env, "soundon"), QStringList{"V"});
        QVERIFY(!form->SpeedButtonSound->isEnabled());
        QVERIFY(!form->Label_SoundName->isEnabled());
        form->CheckBox_Visivo->click();
        QCOMPARE(Row(env, "soundon"), QStringList{"N"});

        // A load shows exactly what is stored, enables the sound controls and writes nothing.
        SetColumns(env, "soundon = '2', autostart = 'Y', minimized = 'Y', timecheck = 'N'");
        form->LoadSettings();
        QVERIFY(form->CheckBox_Soundon->isChecked());
        QVERIFY(form->CheckBox_Visivo->isChecked());
        QVERIFY(form->SpeedButtonCambiaSuono->isEnabled());
        QVERIFY(form->CheckBox_Autostart->isChecked());
        QVERIFY(form->CheckBox_Minimized->isChecked());
        QVERIFY(!form->CheckBox_TimeCheck->isChecked());
        QCOMPARE(Row(env, "soundon, autostart, minimized, timecheck"), (QStringList{"2", "Y", "Y", "N"}));

        // A box changed by code is stored with the next save of any option.
        form->CheckBox_Minimized->setChecked(false);
        QCOMPARE(Row(env, "minimized"), QStringList{"Y"});
        form->CheckBox_TimeCheck->click();
        QCOMPARE(Row(env, "minimized, timecheck"), (QStringList{"N", "Y"}));
        QVERIFY(form->TimerContolloOrario->isActive());
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void valuesAreStoredAsTyped() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString sound = QStringLiteral("C:\\Sounds\\the \"loud\" one, 'really'.wav");
        form->AlarmSoundFile = sound;
        form->SpeedButton_Breakline->setChecked(true);
        form->CheckBox_Autostart->click();
        QCOMPARE(Row(env, "autostart, wavesound, breakline, formatbar"), (QStringList{"Y", sound, "Y", "N"}));
        QCOMPARE(form->AlarmSoundFile, sound);
        QCOMPARE(Row(env, "count(*)"), QStringList{"1"});
    }

    void dateFormatChoiceWritesBothAndRequeriesItsList() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QSignalSpy shotOpened(form->QueryShot, &TQuery::AfterOpen);
        QSignalSpy yearOpened(form->QueryYear, &TQuery::AfterOpen);

        Choose(form->ComboBox_FormatoDataYear, 1);
        QCOMPARE(Row(env, "DataShot, DataShotIndex, DataYear, DataYearIndex"),
                 (QStringList{"dddd d mmmm yyyy", "3", "dd mmmm", "1"}));
        QCOMPARE(form->YearDateFormat, QStringLiteral("dd mmmm"));
        QCOMPARE(form->Label_esempio_short->text(), QStringLiteral("07 December"));
        QVERIFY(yearOpened.count() > 0);
        QCOMPARE(shotOpened.count(), 0);

        yearOpened.clear();
        Choose(form->ComboBox_FormatoDataShot, 2);
        QCOMPARE(Row(env, "DataShot, DataShotIndex, DataYear"), (QStringList{"dd/mm/yyyy", "2", "dd mmmm"}));
        QCOMPARE(form->ShotDateFormat, QStringLiteral("dd/mm/yyyy"));
        QVERIFY(shotOpened.count() > 0);
        QCOMPARE(yearOpened.count(), 0);

        // Setting the item by code saves nothing.
        form->ComboBox_FormatoDataShot->setCurrentIndex(5);
        QCOMPARE(Row(env, "DataShotIndex"), QStringList{"2"});
    }

    void storedFormatItemOutsideTheListFallsBackToTheFirst() {
        TestEnvironment env;
        env.CreateMainForm();
        env.DestroyMainForm();
        // Another tool wrote items the lists do not have, and an empty format text.
        SetColumns(env, "DataShotIndex = 9, DataShot = '', DataYearIndex = -1, DataYear = 'dd/mm'");
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(form->ComboBox_FormatoDataShot->currentIndex(), 0);
        // A text of the list wins over a broken item.
        QCOMPARE(form->ComboBox_FormatoDataYear->currentIndex(), 2);
        // The sample shows the stored text; an empty one is the date and time form.
        QCOMPARE(form->Label_esempio_Full->text(), QStringLiteral("12/7/2026"));
        QCOMPARE(form->Label_esempio_short->text(), QStringLiteral("07/12"));

        form->show();
        form->PageControlMenu->setCurrentWidget(form->TabSheetSetup);
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QCheckBox* box = form->CheckBox_Minimized;
        const bool wasChecked = box->isChecked();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QCOMPARE(box->isChecked(), !wasChecked);
        QCOMPARE(Row(env, "minimized, DataShot, DataShotIndex, DataYear, DataYearIndex"),
                 (QStringList{wasChecked ? "N" : "Y", "d mmmm yyyy", "0", "dd/mm", "2"}));
        QCOMPARE(form->ShotDateFormat, QStringLiteral("d mmmm yyyy"));
        QCOMPARE(form->Label_esempio_Full->text(), QStringLiteral("7 December 2026"));
    }

    void optionClicksKeepTheFormatsInUse() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        testrows::OneShot(env, QStringLiteral("Dentist"), QStringLiteral("2026-12-07"));
        testrows::Yearly(env, QStringLiteral("Birthday"), QStringLiteral("12/07"),
                         QStringLiteral("2026-12-07"));
        form->show();
        form->PageControlMenu->setCurrentWidget(form->TabSheetSetup);
        QVERIFY(QTest::qWaitForWindowExposed(form));
        // What the two lists show once they are read again, and the stored formats.
        const auto inUse = [&] {
            form->RefreshShotQuery();
            form->RefreshYearQuery();
            return QStringList{testrows::GridColumn(form->DBGrid_Shot, 0).value(0),
                               testrows::GridColumn(form->DBGrid_Year, 0).value(0)} +
                   Row(env, "DataShot, DataYear");
        };
        const QStringList formats{"Monday 7 December 2026", "7 December", "dddd d mmmm yyyy", "d mmmm"};
        QCOMPARE(inUse(), formats);
        QCOMPARE(form->ComboBox_FormatoDataYear->currentText(), QStringLiteral("d mmmm"));

        const QString wave = env.ProgramFolder() + QStringLiteral("bell.wav");
        QFile(wave).open(QIODevice::WriteOnly);
        DialogSeam::QueueFile(wave);
        MessageBoxSeam::QueueAnswer(form->MsgYes);
        // Sound on is cleared and ticked again, so the sound buttons are enabled when their turn comes.
        for (QAbstractButton* control : std::initializer_list<QAbstractButton*>{
                 form->CheckBox_Autostart, form->CheckBox_Minimized, form->CheckBox_Soundon,
                 form->CheckBox_Visivo, form->CheckBox_TimeCheck, form->CheckBox_Soundon,
                 form->SpeedButtonWinSound, form->SpeedButtonSound, form->SpeedButtonCambiaSuono,
                 form->SpeedButton6}) {
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
            QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2));
            QVERIFY2(inUse() == formats, qPrintable(control->objectName()));
        }
        QCOMPARE(Row(env, "soundon, wavesound"), (QStringList{"2", wave}));
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);

        // Only the format box itself changes a format: its list opened with the mouse, the next item
        // chosen with the keys.
        QComboBox* year = form->ComboBox_FormatoDataYear;
        QTest::mouseClick(year, Qt::LeftButton);
        QAbstractItemView* items = year->view();
        QTRY_VERIFY(items->isVisible());
        QTest::keyClick(items, Qt::Key_Down);
        QTest::keyClick(items, Qt::Key_Return);
        QTRY_VERIFY(!items->isVisible());
        QCOMPARE(inUse(),
                 (QStringList{"Monday 7 December 2026", "07 December", "dddd d mmmm yyyy", "dd mmmm"}));
        QCOMPARE(Row(env, "DataYearIndex"), QStringList{"1"});
    }

    void fixFormSize() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString size =
            QStringLiteral("CAST(WinWidth AS INTEGER), CAST(WinHeight AS INTEGER), WinStato");
        const QStringList stored = Row(env, size);

        // No: nothing written, nothing reloaded.
        form->setWindowState(Qt::WindowNoState);
        form->resize(800, 600);
        SetColumns(env, "DataShot = 'dd/mm/yyyy'");
        MessageBoxSeam::QueueAnswer(Id::No);
        form->SpeedButton6->click();
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::Shown()[0].text, QStringLiteral("Fix my actual size as default size?"));
        QCOMPARE(MessageBoxSeam::Shown()[0].flags, Mb::YesNo + Mb::IconQuestion);
        QCOMPARE(Row(env, size), stored);
        QCOMPARE(form->ShotDateFormat, QStringLiteral("dddd d mmmm yyyy"));

        // A normal window stores its size; the load follows.
        MessageBoxSeam::QueueAnswer(Id::Yes);
        form->SpeedButton6->click();
        QCOMPARE(Row(env, size), (QStringList{"800", "600", "wsNormal"}));
        QCOMPARE(form->ShotDateFormat, QStringLiteral("dd/mm/yyyy"));

        // A maximised one stores only that it is maximised.
        form->setWindowState(Qt::WindowMaximized);
        MessageBoxSeam::QueueAnswer(Id::Yes);
        form->SpeedButton6->click();
        QCOMPARE(Row(env, size), (QStringList{"800", "600", "wsMaximized"}));
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);
    }

    void tip() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->SpeedButton9->click();
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::Shown()[0].text,
                 QStringLiteral("In this section you can personalize your Quellmire Organizer!"));
        QCOMPARE(MessageBoxSeam::Shown()[0].caption, QStringLiteral("Quellmire Organizer"));
        QCOMPARE(MessageBoxSeam::Shown()[0].flags, Mb::Ok);
    }
};

QTEST_MAIN(OptionSettingsTest)
#include "tst_optionsettings.moc"
