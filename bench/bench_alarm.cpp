// What one tick of the alarm check and of the clock costs with 15,000 entries on every day's plan,
// and what the day step at a date change costs. Runs headless in a throw-away program folder with
// the program's clock set by the benchmark.

#include "BenchSqlite.h"
#include "app/MainForm.h"
#include "engine/Session.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/Sound.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <sqlite3.h>
#include <vector>

using namespace qm;

namespace {

constexpr int kEntries = 15000;
constexpr int kDays = 7;
const QDate kFirstDay(2026, 12, 7);

using bench::Exec;

// One-shot entries marked "T" (shown every day), at minutes spread over the whole day.
bool FillEveryDayEntries(const QString& file) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    bool ok = Exec(db, "BEGIN");
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(db,
                                  "INSERT INTO QMarc80 (id,note,datefull,orario,orario2,flag,dayofweek) "
                                  "VALUES (?,'',?,?,?,'O','T')",
                                  -1, &insert, nullptr) == SQLITE_OK;
    for (int i = 0; ok && i < kEntries; ++i) {
        const QByteArray id = QStringLiteral("Entry %1 of the day").arg(i).toUtf8();
        const QByteArray date = kFirstDay.addDays(-(i % 900)).toString(Qt::ISODate).toUtf8();
        const int minute = (i * 7919) % (24 * 60);
        const QByteArray from = QStringLiteral("%1:%2")
                                    .arg(minute / 60, 2, 10, QLatin1Char('0'))
                                    .arg(minute % 60, 2, 10, QLatin1Char('0'))
                                    .toUtf8();
        sqlite3_bind_text(insert, 1, id.constData(), int(id.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, from.constData(), int(from.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, from.constData(), int(from.size()), SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
    }
    sqlite3_finalize(insert);
    ok = ok && Exec(db, "COMMIT");
    sqlite3_close(db);
    return ok;
}

double Milliseconds(qint64 nanoseconds) {
    return double(nanoseconds) / 1e6;
}

void Report(const char* what, std::vector<double> times) {
    if (times.empty()) {
        std::printf("%-36s none\n", what);
        return;
    }
    std::sort(times.begin(), times.end());
    const auto at = [&times](double share) {
        return times[std::min(times.size() - 1, size_t(share * times.size()))];
    };
    std::printf("%-36s n %6zu   median %9.4f  p99 %9.4f  max %9.4f ms\n", what, times.size(), at(0.5),
                at(0.99), times.back());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir folder;
    qputenv("QUELLMIRE_PROGRAM_FOLDER", folder.path().toLocal8Bit());
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // Nothing may wait for a click or make a noise in an unattended run.
    MessageBoxSeam::Enable();
    ModalSeam::Enable();
    SoundSeam::Enable();
    SetTestNow(QDateTime(kFirstDay, QTime(0, 0, 30)));

    auto form = std::make_unique<TMainForm>();
    if (!FillEveryDayEntries(form->ArchiveFolder + QStringLiteral("/QMarc80.db"))) {
        std::fprintf(stderr, "could not fill the archive\n");
        return 1;
    }
    form->CheckBox_TimeCheck->setChecked(true);
    form->CheckBox_Soundon->setChecked(true);
    form->CheckBox_Visivo->setChecked(false);
    // Put away in the tray: an alarm animates the icon instead of bringing the window up.
    form->WindowMinimized = -1;
    QElapsedTimer timer;
    std::vector<double> rebuild;
    for (int run = 0; run < 5; ++run) {
        timer.start();
        form->RefreshAlarmQuery();
        rebuild.push_back(Milliseconds(timer.nsecsElapsed()));
    }
    std::vector<double> index;
    for (int run = 0; run < 5; ++run) {
        timer.start();
        form->AlarmListRebuilt(Today());
        index.push_back(Milliseconds(timer.nsecsElapsed()));
    }
    std::printf("%d entries on every day's plan; alarm list holds %d rows\n", kEntries,
                form->QueryParallelo->RecordCount());

    // Two hours of ticks about a second apart (up to 900 ms early or late), from both timers; the
    // alarm's message is left flashing, as when nobody is at the desk.
    QRandomGenerator random(1);
    std::vector<double> quiet, ringing, clock;
    QDateTime now(kFirstDay, QTime(8, 0, 0));
    const QDateTime end = now.addSecs(2 * 3600);
    while (now < end) {
        SetTestNow(now);
        const qsizetype played = SoundSeam::Plays().size();
        timer.start();
        form->TimerContolloOrarioTimer();
        const double ms = Milliseconds(timer.nsecsElapsed());
        (SoundSeam::Plays().size() > played ? ringing : quiet).push_back(ms);
        SetTestNow(now.addMSecs(300));
        timer.start();
        form->TimerOrologioTimer();
        clock.push_back(Milliseconds(timer.nsecsElapsed()));
        // Between ticks the message loop runs, as in the program.
        QCoreApplication::processEvents();
        now = now.addMSecs(100 + random.bounded(1801));
    }

    // The day step, on the first tick of each new date (the alarm timer first, no tick at 00:00:00).
    std::vector<double> dayStep;
    for (int day = 1; day <= kDays; ++day) {
        SetTestNow(QDateTime(kFirstDay.addDays(day), QTime(0, 0, 1, 10)));
        timer.start();
        form->TimerContolloOrarioTimer();
        dayStep.push_back(Milliseconds(timer.nsecsElapsed()));
    }

    Report("alarm list rebuilt (RefreshAlarmQuery)", rebuild);
    Report("  of which the alarm check's index", index);
    Report("alarm check tick, nothing due", quiet);
    Report("alarm check tick that rings", ringing);
    Report("clock tick", clock);
    Report("day step (first tick of a date)", dayStep);
    if (!MessageBoxSeam::Shown().isEmpty())
        std::printf("note: %d message box(es) were shown\n", int(MessageBoxSeam::Shown().size()));
    form.reset();
    Session::Instance().CloseAll();
    ClearTestNow();
    return 0;
}
