// How long the One Shot list takes with 100,000 entries: re-running its query, and painting the grid
// the first time after it. Runs headless in a throw-away program folder.

#include "BenchSqlite.h"
#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "engine/ResultCache.h"
#include "engine/Session.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/widgets/PageControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLocale>
#include <QPixmap>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <sqlite3.h>
#include <vector>

using namespace qm;

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 7;

using bench::Exec;

// One-shot entries over thirty years, a third with a note, some marked "X" or "T".
bool FillOneShots(const QString& file) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    bool ok = Exec(db, "BEGIN");
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(db,
                                  "INSERT INTO QMarc80 (id,note,datefull,orario,orario2,flag,dayofweek) "
                                  "VALUES (?,?,?,?,?,'O',?)",
                                  -1, &insert, nullptr) == SQLITE_OK;
    const QDate first(2000, 1, 1);
    for (int i = 0; ok && i < kRows; ++i) {
        const QByteArray id = QStringLiteral("Entry %1 of the archive").arg(i).toUtf8();
        const QByteArray note = i % 3 == 0 ? QByteArrayLiteral("Bring the papers") : QByteArray();
        const QByteArray date = first.addDays((i * 7919) % 11000).toString(Qt::ISODate).toUtf8();
        const QByteArray from = QStringLiteral("%1:%2")
                                    .arg(i % 24, 2, 10, QLatin1Char('0'))
                                    .arg(i % 60, 2, 10, QLatin1Char('0'))
                                    .toUtf8();
        const char* marker = i % 50 == 0 ? "X" : (i % 97 == 0 ? "T" : "");
        sqlite3_bind_text(insert, 1, id.constData(), int(id.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, note.constData(), int(note.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, from.constData(), int(from.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, from.constData(), int(from.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 6, marker, -1, SQLITE_STATIC);
        ok = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
    }
    sqlite3_finalize(insert);
    ok = ok && Exec(db, "COMMIT");
    sqlite3_close(db);
    return ok;
}

double Milliseconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

void Report(const char* what, std::vector<double> times) {
    std::printf("%-34s", what);
    for (const double t : times)
        std::printf(" %8.1f", t);
    std::sort(times.begin(), times.end());
    std::printf("   | min %8.1f  median %8.1f ms\n", times.front(), times[times.size() / 2]);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir folder;
    qputenv("QUELLMIRE_PROGRAM_FOLDER", folder.path().toLocal8Bit());
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // Nothing may wait for a click in an unattended run.
    MessageBoxSeam::Enable();
    ModalSeam::Enable();

    auto form = std::make_unique<TMainForm>();
    const QString table = form->ArchiveFolder + QStringLiteral("/QMarc80.db");
    QElapsedTimer fill;
    fill.start();
    if (!FillOneShots(table)) {
        std::fprintf(stderr, "could not fill %s\n", qPrintable(table));
        return 1;
    }
    std::printf("%d one-shot rows written in %.0f ms\n", kRows, Milliseconds(fill));

    form->PageControlMenu->setCurrentWidget(form->TabSheetShot);
    form->resize(1024, 768);
    form->show();
    QApplication::processEvents();

    std::vector<double> refresh, paint, both, alarms;
    for (int run = 0; run < kRuns; ++run) {
        // Each run reads the table afresh: an unchanged list would reuse the rows it read.
        ResultCache::Instance().Clear();
        QElapsedTimer timer;
        timer.start();
        form->RefreshShotQuery();
        refresh.push_back(Milliseconds(timer));
        timer.restart();
        const QPixmap image = form->DBGrid_Shot->grab();
        paint.push_back(Milliseconds(timer));
        both.push_back(refresh.back() + paint.back());
        // Part of every re-open while the alarm check is on: today's alarm list is read again.
        ResultCache::Instance().Clear();
        timer.restart();
        form->RefreshAlarmQuery();
        alarms.push_back(Milliseconds(timer));
        if (image.isNull() || form->QueryShot->RecordCount() != kRows) {
            std::fprintf(stderr, "unexpected list: %d rows\n", form->QueryShot->RecordCount());
            return 1;
        }
    }
    std::printf("runs: %d, rows listed: %d, grid %dx%d\n", kRuns, form->QueryShot->RecordCount(),
                form->DBGrid_Shot->width(), form->DBGrid_Shot->height());
    Report("RefreshShotQuery", refresh);
    Report("first paint of DBGrid_Shot (grab)", paint);
    Report("both", both);
    std::printf("alarm check %s; the alarm list alone:\n",
                form->CheckBox_TimeCheck->isChecked() ? "on" : "off");
    Report("RefreshAlarmQuery", alarms);
    if (!MessageBoxSeam::Shown().isEmpty())
        std::printf("note: %d message box(es) were shown\n", int(MessageBoxSeam::Shown().size()));
    form.reset();
    Session::Instance().CloseAll();
    return 0;
}
