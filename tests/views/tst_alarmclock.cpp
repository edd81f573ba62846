#include "ViewTestRows.h"
#include "app/MainForm.h"
#include "desktop/CoolTrayIcon.h"
#include "desktop/DesktopNotifier.h"
#include "dialogs/AppointmentDialogs.h"
#include "platform/Clock.h"
#include "platform/ColorText.h"
#include "platform/DateFormat.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/Sound.h"
#include "platform/widgets/MaskEdit.h"
#include "platform/widgets/PageControl.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace qm;
using namespace qm::testrows;

namespace {

const QDate kToday(2026, 12, 7);

QDateTime At(int hour, int minute, int second = 0, int ms = 0, const QDate& date = kToday) {
    return QDateTime(date, QTime(hour, minute, second, ms));
}

QColor TextColor(const QWidget* w, QPalette::ColorRole role) {
    return w->palette().color(role);
}

QString SettingsSound(const TestEnvironment& env) {
    const auto rows = TestEnvironment::RowsOfFile(env.ArchiveFile(QStringLiteral("QMset90.db")),
                                                  QStringLiteral("SELECT wavesound FROM QMset90"));
    return rows.isEmpty() ? QString() : rows.first().first();
}

// The window started at the environment's time, with the alarm sound on and no pop-up.
TMainForm* StartForm(TestEnvironment& env) {
    TMainForm* form = env.CreateMainForm();
    form->CheckBox_Soundon->setChecked(true);
    form->CheckBox_Visivo->setChecked(false);
    return form;
}

// "Refresh all" on the Tasks tab, as the user re-reads the archive after entries came from outside.
void RefreshAll(TMainForm* form) {
    form->SpeedButtonAggiornaTutto->click();
}

// The world's clock moves the two timers; what the user got is kept: the message of each sound.
class Ticks {
public:
    Ticks(TestEnvironment& env, TMainForm* form) : m_env(env), m_form(form) {}

    void Alarm(const QDateTime& moment) {
        Run(moment, [this] { m_form->TimerContolloOrarioTimer(); });
    }
    void Clock(const QDateTime& moment) {
        Run(moment, [this] { m_form->TimerOrologioTimer(); });
    }

    // Ticks of the alarm timer from `from` to `to`, 1 s apart with up to 900 ms of jitter either way.
    void Jittered(const QDateTime& from, const QDateTime& to, quint32 seed) {
        QRandomGenerator random(seed);
        for (QDateTime t = from; t < to; t = t.addMSecs(100 + random.bounded(1801)))
            Alarm(t);
    }

    // One entry per sound played: the alarm's message then. Reading clears it.
    QStringList Rings() { return std::exchange(m_rings, {}); }

private:
    void Run(const QDateTime& moment, const std::function<void()>& handler) {
        m_env.SetNow(moment);
        const qsizetype before = SoundSeam::Plays().size();
        handler();
        const qsizetype played = SoundSeam::Plays().size() - before;
        QVERIFY2(played <= 1, "one tick played more than one sound");
        if (played == 1)
            m_rings << m_form->AlarmEntryText;
    }

    TestEnvironment& m_env;
    TMainForm* m_form;
    QStringList m_rings;
};

// Puts the One Shot list on the row titled `title` with a click on it.
void ClickShotRow(TMainForm* form, const QString& title) {
    form->PageControlMenu->setCurrentWidget(form->TabSheetShot);
    TDBGrid* grid = form->DBGrid_Shot;
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        const QModelIndex index = grid->model()->index(row, 3);
        if (index.data().toString() == title) {
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
            QCOMPARE(form->QueryShot->FieldByName(QStringLiteral("id")).AsString(), title);
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("not listed: ") + title));
}

void RunDialog(QToolButton* opener, const std::function<void(TAppointmentForm&)>& act) {
    ModalSeam::Queue([act](QDialog& dialog) {
        auto* d = dynamic_cast<TAppointmentForm*>(&dialog);
        QVERIFY(d);
        act(*d);
    });
    opener->click();
    QCOMPARE(ModalSeam::PendingCount(), 0);
    QCOMPARE(ModalSeam::UnhandledCount(), 0);
}

void ModifyShotTime(TMainForm* form, const QString& title, const QString& from) {
    ClickShotRow(form, title);
    RunDialog(form->SpeedButtonModShot, [&](TAppointmentForm& d) {
        d.MaskEdit_Hour->SetText(from);
        d.SpeedButtonMod->click();
    });
}

// A session bus of the test's own.
class PrivateBus {
public:
    PrivateBus() {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1"),
                        QStringLiteral("--address=unix:path=") + m_dir.path() + QStringLiteral("/bus")});
        if (m_daemon.waitForStarted(10000) && m_daemon.waitForReadyRead(10000))
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus() {
        m_daemon.kill();
        m_daemon.waitForFinished(10000);
    }
    QString Address() const { return m_address; }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

// The desktop's notification service, as the test plays it: it keeps every Notify.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Shown {
        QString app, summary, body;
        QStringList actions;
    };
    QList<Shown> shown;

public slots:
    uint Notify(const QString& app, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int) {
        shown.append({app, summary, body, actions});
        return uint(100 + shown.size());
    }
};

} // namespace

class TestAlarmClock : public QObject {
    Q_OBJECT
private slots:
    void ringsOnceWhateverTheTicks();
    void entriesFoundAtStartRingWithNothingElseDone();
    void jitterAndSlowTicks();
    void gapRingsOnceWithOneSound();
    void dayChangeOnTheFirstTickOfADate();
    void entriesChangedBetweenTicks();
    void minimisedWindowAnimatesTheIcon();
    void messageFlashesUntilClicked();
    void clockCaption();
    void soundChoiceAndMissingFile();
    void desktopNotificationNamesTheEntriesAndShowsTheTasks();
};

void TestAlarmClock::entriesFoundAtStartRingWithNothingElseDone() {
    // The alarm list is read after the window shows; the first ticks must not find it empty.
    TestEnvironment env(QStringLiteral("tester"), At(8, 0));
    env.CreateMainForm();
    env.DestroyMainForm(); // the tables exist now
    OneShot(env, QStringLiteral("Call Bob"), QStringLiteral("2026-12-07"), QStringLiteral("08:30"));
    OneShot(env, QStringLiteral("Past"), QStringLiteral("2026-12-07"), QStringLiteral("07:59"));
    TMainForm* form = StartForm(env);
    Ticks ticks(env, form);
    ticks.Alarm(At(8, 0, 0, 500));
    QVERIFY(ticks.Rings().isEmpty());
    ticks.Alarm(At(8, 30, 0, 200));
    QCOMPARE(ticks.Rings(), QStringList({" Call Bob!"}));
    ticks.Alarm(At(8, 30, 0, 900));
    QVERIFY(ticks.Rings().isEmpty());
}

void TestAlarmClock::ringsOnceWhateverTheTicks() {
    TestEnvironment env(QStringLiteral("tester"), At(6, 0));
    TMainForm* form = StartForm(env);
    OneShot(env, QStringLiteral("Call Bob"), QStringLiteral("2026-12-07"), QStringLiteral("08:30"));
    OneShot(env, QStringLiteral("Tomorrow"), QStringLiteral("2026-12-08"), QStringLiteral("08:30"));
    OneShot(env, QStringLiteral("Pills"), QStringLiteral("2026-12-07"), QStringLiteral("09:45"));
    OneShot(env, QStringLiteral("No time"), QStringLiteral("2026-12-07"), QStringLiteral("  :  "));
    OneShot(env, QStringLiteral("Empty"), QStringLiteral("2026-12-07"), QString());
    OneShot(env, QStringLiteral("First"), QStringLiteral("2026-12-07"), QStringLiteral("14:05"));
    OneShot(env, QStringLiteral("Second"), QStringLiteral("2026-12-07"), QStringLiteral("14:05"));
    OneShot(env, QStringLiteral("Evening"), QStringLiteral("2026-12-07"), QStringLiteral("20:00"));
    RefreshAll(form);
    form->PageControlMenu->setCurrentWidget(form->TabSheetSetup);
    Ticks ticks(env, form);

    // No tick inside 08:30:00: the entry still rings, once, on the first tick of its minute.
    ticks.Alarm(At(8, 29, 59, 900));
    QVERIFY(ticks.Rings().isEmpty());
    QCOMPARE(form->AlarmFlashing, 0);
    QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetSetup);
    ticks.Alarm(At(8, 30, 1, 0));
    QCOMPARE(ticks.Rings(), QStringList({" Call Bob!"}));
    QCOMPARE(SoundSeam::Plays(), QStringList({QStringLiteral("mailbeep")}));
    QCOMPARE(form->AlarmFlashing, -1);
    QCOMPARE(form->AlarmHurryText, QStringLiteral(" Hurry Up!  It's time to... "));
    QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetTODAY);
    QCOMPARE(TextColor(form->MemoOrario, QPalette::Base), ToQColor(0x80FFFF));
    QCOMPARE(TextColor(form->MemoOrario, QPalette::Text), ToQColor(Colors::clRed));
    QCOMPARE(form->MemoOrario->viewport()->cursor().shape(), Qt::PointingHandCursor);
    ticks.Alarm(At(8, 30, 1, 990));
    ticks.Alarm(At(8, 31, 0, 10));

    // Two ticks inside second :00 ring once.
    ticks.Alarm(At(9, 45, 0, 40));
    ticks.Alarm(At(9, 45, 0, 990));
    QCOMPARE(ticks.Rings(), QStringList({" Pills!"}));

    // A busy machine skips the whole minute: the two entries of 14:05 ring late, as one alarm.
    ticks.Alarm(At(14, 4, 58));
    ticks.Alarm(At(14, 5, 40));
    QCOMPARE(ticks.Rings(), QStringList({" First, Second!"}));

    // With the sound off the message still comes; the entries without a time never ring.
    form->CheckBox_Soundon->setChecked(false);
    form->AlarmFlashing = 0;
    ticks.Alarm(At(20, 0, 0, 500));
    QVERIFY(ticks.Rings().isEmpty());
    QCOMPARE(form->AlarmFlashing, -1);
    QCOMPARE(form->AlarmEntryText, QStringLiteral(" Evening!"));
    ticks.Alarm(At(23, 59, 59));
    QCOMPARE(SoundSeam::Plays().size(), 3);
    QCOMPARE(form->QueryParallelo->RecordCount(), 7);
}

void TestAlarmClock::jitterAndSlowTicks() {
    for (const quint32 seed : {7u, 8u}) {
        TestEnvironment env(QStringLiteral("tester"), At(9, 0));
        TMainForm* form = StartForm(env);
        OneShot(env, QStringLiteral("Ten"), QStringLiteral("2026-12-07"), QStringLiteral("10:00"));
        OneShot(env, QStringLiteral("A"), QStringLiteral("2026-12-07"), QStringLiteral("10:01"));
        Weekly(env, QStringLiteral("B"), QStringLiteral("Monday"), 2, QStringLiteral("10:01"));
        Monthly(env, QStringLiteral("Three"), QStringLiteral("07"), QStringLiteral("10:03"));
        Yearly(env, QStringLiteral("Eleven"), QStringLiteral("12/07"), QStringLiteral("1990-12-07"),
               QStringLiteral("11:00"));
        OneShot(env, QStringLiteral("Twelve past"), QStringLiteral("2026-12-07"), QStringLiteral("11:12"));
        OneShot(env, QStringLiteral("Quarter"), QStringLiteral("2026-12-07"), QStringLiteral("11:15"));
        RefreshAll(form);
        Ticks ticks(env, form);

        ticks.Jittered(At(9, 59, 0), At(10, 5, 0), seed);
        QCOMPARE(ticks.Rings(), QStringList({" Ten!", " A, B!", " Three!"}));

        // Ticks 40 s apart: some minutes get no tick at all.
        for (QDateTime t = At(10, 59, 30); t < At(11, 20, 0); t = t.addSecs(40))
            ticks.Alarm(t);
        QCOMPARE(ticks.Rings(), QStringList({" Eleven!", " Twelve past!", " Quarter!"}));
    }
}

void TestAlarmClock::gapRingsOnceWithOneSound() {
    // Started inside 09:59: its entry is already past and does not ring.
    TestEnvironment env(QStringLiteral("tester"), At(9, 59, 10));
    TMainForm* form = StartForm(env);
    OneShot(env, QStringLiteral("Started after"), QStringLiteral("2026-12-07"), QStringLiteral("09:59"));
    OneShot(env, QStringLiteral("Coffee"), QStringLiteral("2026-12-07"), QStringLiteral("10:30"));
    OneShot(env, QStringLiteral("Call"), QStringLiteral("2026-12-07"), QStringLiteral("11:00"));
    OneShot(env, QStringLiteral("Report"), QStringLiteral("2026-12-07"), QStringLiteral("12:59"));
    OneShot(env, QStringLiteral("Lunch"), QStringLiteral("2026-12-07"), QStringLiteral("13:00"));
    OneShot(env, QStringLiteral("After"), QStringLiteral("2026-12-07"), QStringLiteral("13:01"));
    RefreshAll(form);
    Ticks ticks(env, form);
    ticks.Alarm(At(9, 59, 11));
    ticks.Clock(At(9, 59, 11, 300));
    ticks.Alarm(At(10, 0, 0, 200));
    QVERIFY(ticks.Rings().isEmpty());

    // Three hours asleep: what fell inside the gap rings once, with one sound and one message.
    ticks.Clock(At(13, 0, 5, 100));
    ticks.Alarm(At(13, 0, 5, 400));
    QCOMPARE(ticks.Rings(), QStringList({" Coffee, Call, Report, Lunch!"}));
    ticks.Clock(At(13, 0, 6, 100));
    QCOMPARE(form->MemoOrario->toPlainText(), QStringLiteral(" Hurry Up!  It's time to... "));
    ticks.Clock(At(13, 0, 7, 100));
    QCOMPARE(form->MemoOrario->toPlainText(), QStringLiteral(" Coffee, Call, Report, Lunch!"));
    ticks.Alarm(At(13, 0, 6, 400));
    ticks.Alarm(At(13, 1, 0, 300));
    ticks.Alarm(At(13, 1, 1, 300));
    QCOMPARE(ticks.Rings(), QStringList({" After!"}));
}

void TestAlarmClock::dayChangeOnTheFirstTickOfADate() {
    TestEnvironment env(QStringLiteral("tester"), At(23, 0));
    TMainForm* form = StartForm(env);
    OneShot(env, QStringLiteral("Old X"), QStringLiteral("2026-12-07"), QStringLiteral("09:00"),
            QStringLiteral("X"));
    OneShot(env, QStringLiteral("Old midnight"), QStringLiteral("2026-12-07"), QStringLiteral("00:00"));
    OneShot(env, QStringLiteral("Old morning"), QStringLiteral("2026-12-07"), QStringLiteral("08:00"));
    OneShot(env, QStringLiteral("New midnight"), QStringLiteral("2026-12-08"), QStringLiteral("00:00"));
    OneShot(env, QStringLiteral("New morning"), QStringLiteral("2026-12-08"), QStringLiteral("08:00"));
    OneShot(env, QStringLiteral("Shown day"), QStringLiteral("2026-12-10"), QStringLiteral("09:00"));
    RefreshAll(form);
    form->DateTimePickerTODAY->setDate(QDate(2026, 12, 10));
    form->RefreshTodayQuery();
    const QStringList all = TitlesInFile(env);
    Ticks ticks(env, form);

    // The alarm timer ticks first, and no tick falls inside 00:00:00.
    ticks.Alarm(At(23, 59, 59, 950));
    ticks.Clock(At(23, 59, 59, 990));
    QCOMPARE(TitlesInFile(env), all);
    ticks.Alarm(At(0, 0, 1, 10, QDate(2026, 12, 8)));
    QCOMPARE(ticks.Rings(), QStringList({" New midnight!"}));
    QVERIFY(!TitlesInFile(env).contains(QStringLiteral("Old X")));
    QCOMPARE(FieldValues(form->QueryParallelo, QStringLiteral("id")),
             QStringList({QStringLiteral("New midnight"), QStringLiteral("New morning")}));
    QCOMPARE(form->QueryShot->RecordCount(), 5);
    QCOMPARE(form->DateTimePickerTODAY->date(), QDate(2026, 12, 10));
    QCOMPARE(FieldValues(form->QueryTODAY, QStringLiteral("id")), QStringList({QStringLiteral("Shown day")}));
    QCOMPARE(form->Label_esempio_Full->text(), FormatDateTime(form->ShotDateFormat, QDate(2026, 12, 8)));
    QCOMPARE(form->Label_esempio_short->text(), FormatDateTime(form->YearDateFormat, QDate(2026, 12, 8)));

    // The step runs once: an expired entry written after it stays until the next date.
    OneShot(env, QStringLiteral("Later X"), QStringLiteral("2026-12-07"), QStringLiteral("09:00"),
            QStringLiteral("X"));
    ticks.Clock(At(0, 0, 1, 500, QDate(2026, 12, 8)));
    ticks.Alarm(At(0, 0, 2, 10, QDate(2026, 12, 8)));
    QVERIFY(TitlesInFile(env).contains(QStringLiteral("Later X")));
    ticks.Alarm(At(8, 0, 0, 500, QDate(2026, 12, 8)));
    QCOMPARE(ticks.Rings(), QStringList({" New morning!"}));

    // The clock timer ticks first into the next date: the alarm check then rings that date's entry.
    OneShot(env, QStringLiteral("Third midnight"), QStringLiteral("2026-12-09"), QStringLiteral("00:00"));
    OneShot(env, QStringLiteral("Third evening"), QStringLiteral("2026-12-09"), QStringLiteral("22:00"));
    OneShot(env, QStringLiteral("Fourth"), QStringLiteral("2026-12-10"), QStringLiteral("12:00"));
    OneShot(env, QStringLiteral("Fifth dawn"), QStringLiteral("2026-12-11"), QStringLiteral("06:00"));
    OneShot(env, QStringLiteral("Fifth noon"), QStringLiteral("2026-12-11"), QStringLiteral("12:00"));
    OneShot(env, QStringLiteral("Fourth X"), QStringLiteral("2026-12-10"), QStringLiteral("09:00"),
            QStringLiteral("X"));
    ticks.Clock(At(0, 0, 0, 700, QDate(2026, 12, 9)));
    QVERIFY(!TitlesInFile(env).contains(QStringLiteral("Later X")));
    ticks.Alarm(At(0, 0, 1, 200, QDate(2026, 12, 9)));
    QCOMPARE(ticks.Rings(), QStringList({" Third midnight!"}));

    // Two days asleep: one step for the new date. The evening the gap skipped rings late, with the
    // new date's morning, as one alarm; the day in between was never listed.
    ticks.Alarm(At(21, 0, 0, 0, QDate(2026, 12, 9)));
    ticks.Alarm(At(10, 0, 0, 300, QDate(2026, 12, 11)));
    QCOMPARE(ticks.Rings(), QStringList({" Third evening, Fifth dawn!"}));
    QVERIFY(!TitlesInFile(env).contains(QStringLiteral("Fourth X")));
    QCOMPARE(FieldValues(form->QueryParallelo, QStringLiteral("id")),
             QStringList({QStringLiteral("Fifth dawn"), QStringLiteral("Fifth noon")}));
    ticks.Clock(At(10, 0, 0, 600, QDate(2026, 12, 11)));
    ticks.Alarm(At(12, 0, 0, 300, QDate(2026, 12, 11)));
    QCOMPARE(ticks.Rings(), QStringList({" Fifth noon!"}));

    // With the alarm check switched off the date still changes, and nothing rings from an old list.
    form->show();
    form->PageControlMenu->setCurrentWidget(form->TabSheetSetup);
    QTest::mouseClick(form->CheckBox_TimeCheck, Qt::LeftButton);
    QVERIFY(!form->CheckBox_TimeCheck->isChecked());
    QVERIFY(!form->TimerContolloOrario->isActive());
    OneShot(env, QStringLiteral("Off X"), QStringLiteral("2026-12-11"), QStringLiteral("09:00"),
            QStringLiteral("X"));
    ticks.Alarm(At(12, 0, 0, 0, QDate(2026, 12, 12)));
    QVERIFY(!TitlesInFile(env).contains(QStringLiteral("Off X")));
    QVERIFY(ticks.Rings().isEmpty());
}

void TestAlarmClock::entriesChangedBetweenTicks() {
    TestEnvironment env(QStringLiteral("tester"), At(9, 0));
    TMainForm* form = StartForm(env);
    form->resize(900, 600);
    form->show();
    OneShot(env, QStringLiteral("Standup"), QStringLiteral("2026-12-07"), QStringLiteral("10:00"));
    OneShot(env, QStringLiteral("Lunch"), QStringLiteral("2026-12-07"), QStringLiteral("10:30"));
    OneShot(env, QStringLiteral("Gym"), QStringLiteral("2026-12-07"), QStringLiteral("10:50"));
    Weekly(env, QStringLiteral("Nap"), QStringLiteral("Monday"), 2, QStringLiteral("11:10"));
    RefreshAll(form);
    Ticks ticks(env, form);
    ticks.Alarm(At(10, 0, 0, 500));
    QCOMPARE(ticks.Rings(), QStringList({" Standup!"}));

    // Moved to a later minute after it rang: it rings again there.
    env.SetNow(At(10, 1, 10));
    ModifyShotTime(form, QStringLiteral("Standup"), QStringLiteral("10:20"));
    ticks.Alarm(At(10, 1, 11));
    ticks.Alarm(At(10, 20, 0, 100));
    ticks.Alarm(At(10, 20, 0, 900));
    QCOMPARE(ticks.Rings(), QStringList({" Standup!"}));

    // Moved before it rang: it rings only at its new minute.
    env.SetNow(At(10, 25, 0));
    ModifyShotTime(form, QStringLiteral("Lunch"), QStringLiteral("10:40"));
    ticks.Alarm(At(10, 30, 0, 300));
    QVERIFY(ticks.Rings().isEmpty());
    ticks.Alarm(At(10, 40, 1, 300));
    QCOMPARE(ticks.Rings(), QStringList({" Lunch!"}));

    // Deleted: never rings.
    env.SetNow(At(10, 45, 0));
    ClickShotRow(form, QStringLiteral("Gym"));
    MessageBoxSeam::QueueAnswer(Id::Yes);
    form->SpeedButtonDelShot->click();
    ticks.Alarm(At(10, 50, 0, 200));
    QVERIFY(ticks.Rings().isEmpty());

    // Added for a coming minute: rings there; added for the minute already checked: takes effect
    // from the next minute, so it does not ring today.
    env.SetNow(At(10, 51, 30));
    ticks.Alarm(At(10, 51, 30));
    RunDialog(form->SpeedButtonadShot, [](TAppointmentForm& d) {
        d.Edit_id->setText(QStringLiteral("Call"));
        d.MaskEdit_Hour->SetText(QStringLiteral("10:55"));
        d.SpeedButton1->click();
        d.Edit_id->setText(QStringLiteral("Too late"));
        d.MaskEdit_Hour->SetText(QStringLiteral("10:51"));
        d.SpeedButtonAddClose->click();
    });
    QVERIFY(TitlesInFile(env).contains(QStringLiteral("Too late")));
    ticks.Alarm(At(10, 55, 1));
    QCOMPARE(ticks.Rings(), QStringList({" Call!"}));

    // Modified without moving after it rang: no second ring.
    env.SetNow(At(10, 56, 0));
    ClickShotRow(form, QStringLiteral("Call"));
    RunDialog(form->SpeedButtonModShot, [](TAppointmentForm& d) {
        d.Edit_id->setText(QStringLiteral("Call Anna"));
        d.SpeedButtonMod->click();
    });
    ticks.Jittered(At(10, 56, 0), At(11, 0, 0), 3);
    QVERIFY(ticks.Rings().isEmpty());

    // Deleted from the Tasks list: never rings.
    form->PageControlMenu->setCurrentWidget(form->TabSheetTODAY);
    TDBGrid* tasks = form->DBGrid_Today;
    const int napRow = int(GridColumn(tasks, 2).indexOf(QStringLiteral("Nap")));
    QVERIFY(napRow >= 0);
    QTest::mouseClick(tasks->viewport(), Qt::LeftButton, {},
                      tasks->visualRect(tasks->model()->index(napRow, 2)).center());
    MessageBoxSeam::QueueAnswer(Id::Yes);
    form->SpeedButtonDelToday->click();
    QVERIFY(!TitlesInFile(env).contains(QStringLiteral("Nap")));
    ticks.Alarm(At(11, 10, 0, 500));
    QVERIFY(ticks.Rings().isEmpty());
    QCOMPARE(DialogSeam::UnhandledCount(), 0);
}

void TestAlarmClock::minimisedWindowAnimatesTheIcon() {
    TestEnvironment env(QStringLiteral("tester"), At(9, 0));
    TMainForm* form = StartForm(env);
    OneShot(env, QStringLiteral("Meeting"), QStringLiteral("2026-12-07"), QStringLiteral("10:00"));
    OneShot(env, QStringLiteral("Review"), QStringLiteral("2026-12-07"), QStringLiteral("10:01"));
    RefreshAll(form);
    Ticks ticks(env, form);

    form->WindowMinimized = -1;
    ticks.Alarm(At(10, 0, 0));
    QVERIFY(form->CoolTrayIcon->CycleIcons());
    QVERIFY(!form->isVisible());

    // Not put away: the window itself comes up on the Tasks tab.
    form->CoolTrayIcon->SetCycleIcons(false);
    form->WindowMinimized = 0;
    form->PageControlMenu->setCurrentWidget(form->TabSheetShot);
    ticks.Alarm(At(10, 1, 0));
    QVERIFY(form->TimerAppari->isActive());
    form->TimerAppariTimer();
    QVERIFY(!form->CoolTrayIcon->CycleIcons());
    QVERIFY(form->isVisible());
    QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetTODAY);
    QCOMPARE(ticks.Rings(), QStringList({" Meeting!", " Review!"}));
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
    RefreshAll(form);
    env.SetNow(At(9, 45, 0, 300));
    form->TimerContolloOrarioTimer();
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

void TestAlarmClock::clockCaption() {
    TestEnvironment env;
    TMainForm* form = env.CreateMainForm();
    env.SetNow(QDateTime(kToday, QTime(14, 3, 9)));
    form->ClockFormat = QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss");
    QCOMPARE(form->ClockCaption(true), QStringLiteral("Monday 7 December 2026,  14:03:09"));
    QCOMPARE(form->ClockCaption(false), QStringLiteral("Quellmire Organizer"));
    form->ClockFormat = QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss am/pm");
    QCOMPARE(form->ClockCaption(true), QStringLiteral("Monday 7 December 2026,  02:03:09 pm"));

    // The caption follows the time on every tick, however irregular; a skipped second is fine.
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    Ticks ticks(env, form);
    const struct {
        QDateTime at;
        const char* shown;
    } cases[] = {{At(14, 3, 9, 700), "02:03:09 pm"},
                 {At(14, 3, 11, 100), "02:03:11 pm"},
                 {At(14, 3, 11, 900), "02:03:11 pm"},
                 {At(14, 3, 51, 0), "02:03:51 pm"},
                 {At(17, 3, 51, 0), "05:03:51 pm"}};
    for (const auto& c : cases) {
        ticks.Clock(c.at);
        QCOMPARE(form->panel_credit->text(), QStringLiteral("Monday 7 December 2026,  ") + c.shown);
    }
    ticks.Clock(At(0, 0, 0, 400, QDate(2026, 12, 8)));
    QCOMPARE(form->panel_credit->text(), QStringLiteral("Tuesday 8 December 2026,  12:00:00 am"));
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

void TestAlarmClock::desktopNotificationNamesTheEntriesAndShowsTheTasks() {
    PrivateBus bus;
    QVERIFY2(!bus.Address().isEmpty(), "dbus-daemon gave no address");
    TestEnvironment env(QStringLiteral("tester"), At(6, 0));
    TMainForm* form = StartForm(env);
    OneShot(env, QStringLiteral("Call Bob"), QStringLiteral("2026-12-07"), QStringLiteral("08:30"));
    OneShot(env, QStringLiteral("Hung bus"), QStringLiteral("2026-12-07"), QStringLiteral("09:00"));
    OneShot(env, QStringLiteral("Pills <1/2> & water"), QStringLiteral("2026-12-07"),
            QStringLiteral("09:45"));
    OneShot(env, QStringLiteral("Shop"), QStringLiteral("2026-12-07"), QStringLiteral("10:00"));
    RefreshAll(form);
    Ticks ticks(env, form);

    // No bus where the address points: the alarm rings as ever, and nothing says more.
    ticks.Alarm(At(8, 30, 0, 100));
    QCOMPARE(ticks.Rings(), QStringList({" Call Bob!"}));
    QVERIFY(MessageBoxSeam::Shown().isEmpty());
    auto* notifier = form->findChild<DesktopNotifier*>();
    QVERIFY(notifier);
    QTRY_VERIFY(!notifier->Connecting());

    // A bus that takes the connection and never answers: the alarm does not wait for it.
    const QByteArray hungPath = QFile::encodeName(env.ProgramFolder() + QStringLiteral("hung-bus"));
    const int hung = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    QVERIFY(size_t(hungPath.size()) < sizeof(where.sun_path));
    memcpy(where.sun_path, hungPath.constData(), size_t(hungPath.size()));
    QVERIFY(bind(hung, reinterpret_cast<sockaddr*>(&where), sizeof(where)) == 0);
    QVERIFY(listen(hung, 4) == 0);
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + hungPath);
    ticks.Alarm(At(9, 0, 0, 100));
    QCOMPARE(ticks.Rings(), QStringList({" Hung bus!"}));
    QVERIFY(notifier->Connecting());
    close(hung);
    QTRY_VERIFY(!notifier->Connecting());

    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.Address().toLocal8Bit());
    QDBusConnection desktop = QDBusConnection::connectToBus(bus.Address(), QStringLiteral("desktop"));
    QVERIFY(desktop.isConnected());
    NotificationService service;
    QVERIFY(desktop.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                   QDBusConnection::ExportAllSlots));
    QVERIFY(desktop.registerService(QStringLiteral("org.freedesktop.Notifications")));

    ticks.Alarm(At(9, 45, 0, 300));
    QCOMPARE(ticks.Rings(), QStringList({" Pills <1/2> & water!"}));
    ticks.Alarm(At(9, 45, 1, 300));
    ticks.Alarm(At(10, 0, 0, 50));
    QCOMPARE(ticks.Rings(), QStringList({" Shop!"}));
    // The bus keeps the order: a second Notify of the first alarm would come before the next one's.
    QTRY_COMPARE(service.shown.size(), 2);
    QCOMPARE(service.shown.at(0).app, QStringLiteral("Quellmire Organizer"));
    QCOMPARE(service.shown.at(0).summary, QStringLiteral("It's time to..."));
    QCOMPARE(service.shown.at(0).body, QStringLiteral("09:45  Pills &lt;1/2&gt; &amp; water"));
    QCOMPARE(service.shown.at(0).actions, QStringList({"default", "Show"}));
    QCOMPARE(service.shown.at(1).body, QStringLiteral("10:00  Shop"));
    QVERIFY(MessageBoxSeam::Shown().isEmpty());

    // Choosing the notification brings the window up on the Tasks tab, as the tray menu does.
    form->TimerAppari->stop();
    form->hide();
    form->PageControlMenu->setCurrentWidget(form->TabSheetSetup);
    const auto invoke = [&desktop](uint id, const QString& action) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                         QStringLiteral("org.freedesktop.Notifications"),
                                                         QStringLiteral("ActionInvoked"));
        signal << id << action;
        QVERIFY(desktop.send(signal));
    };
    invoke(101, QStringLiteral("default"));
    QTRY_COMPARE(form->PageControlMenu->currentWidget(), form->TabSheetTODAY);
    QTRY_VERIFY(form->isVisible());
    desktop.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    QDBusConnection::disconnectFromBus(QStringLiteral("desktop"));
}

QTEST_MAIN(TestAlarmClock)
#include "tst_alarmclock.moc"
