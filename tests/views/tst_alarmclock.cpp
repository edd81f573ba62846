#include "ViewTestRows.h"
#include "app/MainForm.h"
#include "desktop/CoolTrayIcon.h"
#include "platform/Clock.h"
#include "platform/ColorText.h"
#include "platform/Dialogs.h"
#include "platform/Sound.h"
#include "platform/widgets/PageControl.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace qm;
using namespace qm::testrows;

namespace {

const QDate kToday(2026, 12, 7);

void Tick(TestEnvironment& env, TMainForm* form, const QTime& time, const QDate& date = kToday) {
    env.SetNow(QDateTime(date, time));
    form->TimerContolloOrarioTimer();
}

QColor TextColor(const QWidget* w, QPalette::ColorRole role) {
    return w->palette().color(role);
}

QString SettingsSound(const TestEnvironment& env) {
    const auto rows = TestEnvironment::RowsOfFile(env.ArchiveFile(QStringLiteral("QMset90.db")),
                                                  QStringLiteral("SELECT wavesound FROM QMset90"));
    return rows.isEmpty() ? QString() : rows.first().first();
}

} // namespace

class TestAlarmClock : public QObject {
    Q_OBJECT
private slots:
    void firesOnlyInsideSecondZeroOfItsMinute();
    void emptyTimesAndSharedMinutes();
    void minimisedWindowAnimatesTheIcon();
    void messageFlashesUntilClicked();
    void midnightStep();
    void clockCaption();
    void soundChoiceAndMissingFile();
};

void TestAlarmClock::firesOnlyInsideSecondZeroOfItsMinute() {
    TestEnvironment env;
    TMainForm* form = env.CreateMainForm();
    form->CheckBox_Soundon->setChecked(true);
    form->CheckBox_Visivo->setChecked(false);
    OneShot(env, QStringLiteral("Call Bob"), QStringLiteral("2026-12-07"), QStringLiteral("08:30"));
    OneShot(env, QStringLiteral("Tomorrow"), QStringLiteral("2026-12-08"), QStringLiteral("08:30"));
    form->RefreshAlarmQuery();
    form->PageControlMenu->setCurrentWidget(form->TabSheetSetup);

    Tick(env, form, QTime(8, 29, 59));
    Tick(env, form, QTime(8, 30, 1));
    QCOMPARE(form->AlarmFlashing, 0);
    QVERIFY(SoundSeam::Plays().isEmpty());
    QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetSetup);

    Tick(env, form, QTime(8, 30, 0));
    QCOMPARE(form->AlarmFlashing, -1);
    QCOMPARE(form->AlarmHurryText, QStringLiteral(" Hurry Up!  It's time to... "));
    QCOMPARE(form->AlarmEntryText, QStringLiteral(" Call Bob!"));
    QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetTODAY);
    QCOMPARE(SoundSeam::Plays(), QStringList({QStringLiteral("mailbeep")}));
    QCOMPARE(TextColor(form->MemoOrario, QPalette::Base), ToQColor(0x80FFFF));
    QCOMPARE(TextColor(form->MemoOrario, QPalette::Text), ToQColor(Colors::clRed));
    QCOMPARE(form->MemoOrario->viewport()->cursor().shape(), Qt::PointingHandCursor);

    // A second tick inside the same second fires again; with the sound off it stays silent.
    Tick(env, form, QTime(8, 30, 0));
    QCOMPARE(SoundSeam::Plays().size(), 2);
    form->CheckBox_Soundon->setChecked(false);
    Tick(env, form, QTime(8, 30, 0));
    QCOMPARE(SoundSeam::Plays().size(), 2);
}

void TestAlarmClock::emptyTimesAndSharedMinutes() {
    TestEnvironment env;
    TMainForm* form = env.CreateMainForm();
    form->CheckBox_Soundon->setChecked(true);
    OneShot(env, QStringLiteral("No time"), QStringLiteral("2026-12-07"), QStringLiteral("  :  "));
    OneShot(env, QStringLiteral("Empty"), QStringLiteral("2026-12-07"), QString());
    OneShot(env, QStringLiteral("First"), QStringLiteral("2026-12-07"), QStringLiteral("14:05"));
    OneShot(env, QStringLiteral("Second"), QStringLiteral("2026-12-07"), QStringLiteral("14:05"));
    form->RefreshAlarmQuery();
    QCOMPARE(form->QueryParallelo->RecordCount(), 4);

    Tick(env, form, QTime(0, 0, 0));
    QCOMPARE(form->AlarmFlashing, 0);

    Tick(env, form, QTime(14, 5, 0));
    QCOMPARE(SoundSeam::Plays().size(), 2); // each entry starts its sound afresh
    QCOMPARE(form->AlarmEntryText, QStringLiteral(" Second!"));
    QCOMPARE(form->QueryParallelo->RecordCount(), 4);
}

void TestAlarmClock::minimisedWindowAnimatesTheIcon() {
    TestEnvironment env;
    TMainForm* form = env.CreateMainForm();
    form->CheckBox_Visivo->setChecked(false);
    OneShot(env, QStringLiteral("Meeting"), QStringLiteral("2026-12-07"), QStringLiteral("10:00"));
    form->RefreshAlarmQuery();

    form->WindowMinimized = -1;
    Tick(env, form, QTime(10, 0, 0));
    QVERIFY(form->CoolTrayIcon->CycleIcons());
    QVERIFY(!form->isVisible());

    // Not put away: the window itself comes up on the Tasks tab.
    form->CoolTrayIcon->SetCycleIcons(false);
    form->WindowMinimized = 0;
    form->PageControlMenu->setCurrentWidget(form->TabSheetShot);
    Tick(env, form, QTime(10, 0, 0));
    QVERIFY(form->TimerAppari->isActive());
    form->TimerAppariTimer();
    QVERIFY(!form->CoolTrayIcon->CycleIcons());
    QVERIFY(form->isVisible());
    QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetTODAY);
}

void TestAlarmClock::messageFlashesUntilClicked() {
    TestEnvironment env;
    TMainForm* form = env.CreateMainForm();

    // Nothing flashing: a click changes nothing, the clock leaves the message alone.
    form->MemoOrario->setPlainText(QStringLiteral("as it was"));
    form->MemoOrarioClick();
    form->TimerOrologioTimer();
    QCOMPARE(form->MemoOrario->toPlainText(), QStringLiteral("as it was"));
    QCOMPARE(form->AlarmFlashing, 0);

    OneShot(env, QStringLiteral("Pills"), QStringLiteral("2026-12-07"), QStringLiteral("09:45"));
    form->RefreshAlarmQuery();
    Tick(env, form, QTime(9, 45, 0));
    form->TimerOrologioTimer();
    QCOMPARE(form->MemoOrario->toPlainText(), QStringLiteral(" Hurry Up!  It's time to... "));
    form->TimerOrologioTimer();
    QCOMPARE(form->MemoOrario->toPlainText(), QStringLiteral(" Pills!"));
    form->TimerOrologioTimer();
    QCOMPARE(form->MemoOrario->toPlainText(), QStringLiteral(" Hurry Up!  It's time to... "));

    // A press on the message acknowledges it.
    QTest::mouseClick(form->MemoOrario->viewport(), Qt::LeftButton);
    QCOMPARE(form->AlarmFlashing, 0);
    QVERIFY(form->MemoOrario->toPlainText().isEmpty());
    QCOMPARE(TextColor(form->MemoOrario, QPalette::Base), ToQColor(Colors::clBtnFace));
    QCOMPARE(TextColor(form->MemoOrario, QPalette::Text), ToQColor(Colors::clNavy));
    QCOMPARE(form->MemoOrario->viewport()->cursor().shape(), Qt::ArrowCursor);
    form->TimerOrologioTimer();
    QVERIFY(form->MemoOrario->toPlainText().isEmpty());
}

void TestAlarmClock::midnightStep() {
    TestEnvironment env;
    TMainForm* form = env.CreateMainForm();
    OneShot(env, QStringLiteral("Yesterday X"), QStringLiteral("2026-12-07"), QStringLiteral("09:00"),
            QStringLiteral("X"));
    OneShot(env, QStringLiteral("New day"), QStringLiteral("2026-12-08"), QStringLiteral("09:00"));
    form->DateTimePickerTODAY->setDate(QDate(2026, 12, 10));
    QCOMPARE(form->QueryTODAY->RecordCount(), 0);
    const auto rows = [&env] {
        return TestEnvironment::RowsOfFile(env.ArchiveFile(QStringLiteral("QMarc80.db")),
                                           QStringLiteral("SELECT id FROM QMarc80"))
            .size();
    };

    env.SetNow(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 1)));
    form->TimerOrologioTimer();
    QCOMPARE(rows(), 2);

    OneShot(env, QStringLiteral("Shown day"), QStringLiteral("2026-12-10"), QStringLiteral("09:00"));
    env.SetNow(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 0)));
    form->TimerOrologioTimer();
    QCOMPARE(rows(), 2);
    QCOMPARE(FieldValues(form->QueryParallelo, QStringLiteral("id")),
             QStringList({QStringLiteral("New day")}));
    QCOMPARE(form->DateTimePickerTODAY->date(), QDate(2026, 12, 10));
    QCOMPARE(FieldValues(form->QueryTODAY, QStringLiteral("id")), QStringList({QStringLiteral("Shown day")}));
    QCOMPARE(form->QueryShot->RecordCount(), 2);
}

void TestAlarmClock::clockCaption() {
    TestEnvironment env;
    TMainForm* form = env.CreateMainForm();
    env.SetNow(QDateTime(kToday, QTime(14, 3, 9)));
    form->ClockFormat = QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss");
    QCOMPARE(form->ClockCaption(true), QStringLiteral("Monday 7 December 2026,  14:03:09"));
    QCOMPARE(form->ClockCaption(false), QStringLiteral("Quellmire Organizer"));
    form->ClockFormat = QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss am/pm");
    QCOMPARE(form->ClockCaption(true), QStringLiteral("Monday 7 December 2026,  02:03:09 pm"));
    form->TimerOrologioTimer();
    const bool active = QGuiApplication::applicationState() == Qt::ApplicationActive;
    QCOMPARE(form->panel_credit->text(), form->ClockCaption(active));
}

void TestAlarmClock::soundChoiceAndMissingFile() {
    TestEnvironment env;
    TMainForm* form = env.CreateMainForm();
    const QString alarms = env.ProgramFolder() + QStringLiteral("alarms");
    QVERIFY(QDir().mkpath(alarms));
    const QString wav = alarms + QStringLiteral("/bell.wav");
    {
        QFile file(wav);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("RIFF");
    }

    // Cancelled: nothing changes; the dialog starts in the alarms folder.
    const QString before = form->AlarmSoundFile;
    DialogSeam::QueueFile(std::nullopt);
    form->SpeedButtonSound->click();
    QCOMPARE(form->AlarmSoundFile, before);
    QCOMPARE(DialogSeam::Shown().last().initialDir, alarms);
    QCOMPARE(DialogSeam::Shown().last().filter, QStringLiteral("Sound files ( *.wav)|*.wav"));

    DialogSeam::QueueFile(wav);
    form->SpeedButtonSound->click();
    QCOMPARE(form->AlarmSoundFile, wav);
    QCOMPARE(SettingsSound(env), wav);
    QCOMPARE(form->Label_SoundName->text(), QStringLiteral("bell.wav"));
    form->SpeedButtonCambiaSuono->click();
    QCOMPARE(SoundSeam::Plays(), QStringList({wav}));
    QCOMPARE(form->Label_SoundName->toolTip(), QStringLiteral("Alarm in use: ") + wav);

    // The file goes missing: the mail sound stands in, in red, and the hint names the file.
    QVERIFY(QFile::remove(wav));
    form->SpeedButtonCambiaSuono->click();
    QCOMPARE(SoundSeam::Plays().last(), QStringLiteral("mailbeep"));
    QCOMPARE(form->Label_SoundName->text(), QStringLiteral("mailbeep"));
    QCOMPARE(TextColor(form->Label_SoundName, QPalette::WindowText), ToQColor(Colors::clRed));
    form->Label_SoundNameMouseMove();
    QCOMPARE(form->Label_SoundName->toolTip(),
             QStringLiteral("Replacement of the file alarm not found: ") + wav);

    form->SpeedButtonWinSound->click();
    QCOMPARE(form->AlarmSoundFile, QStringLiteral("mailbeep"));
    QCOMPARE(SettingsSound(env), QStringLiteral("mailbeep"));
    form->SpeedButtonCambiaSuono->click();
    QCOMPARE(TextColor(form->Label_SoundName, QPalette::WindowText), ToQColor(Colors::clWindowText));
    QCOMPARE(form->Label_SoundName->toolTip(), QStringLiteral("Alarm in use: mailbeep"));
    QCOMPARE(DialogSeam::UnhandledCount(), 0);
}

QTEST_MAIN(TestAlarmClock)
#include "tst_alarmclock.moc"
