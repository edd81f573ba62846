// Start-up and find timings on sample archives, each figure beside its floor: the sqlite3 library
// running the same SELECT (its built-in UPPER) and stepping every row, reading every column as
// text, the least work any list can do.
//
// Run it under an X server (xvfb-run -a build-bench/bench/bench_start); the start is measured on
// the real program, built next to this benchmark, started with no splash in a throw-away program
// folder. The sample archives come from sample-archive.py (default seed).
//
//   bench_start [--runs N] [--appointments N] [--contacts N] [--todos N] [--notes N]
//               [--program PATH] [--sampler PATH]

#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "engine/ResultCache.h"
#include "engine/Session.h"
#include "engine/SqlTranslator.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/widgets/PageControl.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <sqlite3.h>
#include <tuple>
#include <vector>

using namespace qm;

namespace {

struct Options {
    int runs = 5;
    int appointments = 100000;
    int contacts = 10000;
    int todos = 1000;
    int notes = 1000;
    QString program;
    QString sampler = QStringLiteral("/work/shared/tools/sample-archive.py");
    bool starts = true; // --lists-only leaves the starts of the real program out
    bool lists = true;  // --starts-only leaves the lists out
    QString baseline;   // --baseline PATH: another build, started in turn with this one
};

qint64 MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double Median(std::vector<double> values) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QString Range(std::vector<double> values) {
    if (values.empty())
        return QStringLiteral("-");
    std::sort(values.begin(), values.end());
    return QStringLiteral("%1–%2").arg(values.front(), 0, 'f', 0).arg(values.back(), 0, 'f', 0);
}

// ---- the floor ----

// The query's SELECT as the engine runs it, on a plain connection: SQLite's own UPPER and LIKE.
double FloorMs(TQuery* query, int* rows = nullptr) {
    const TranslatedStatement statement = TranslateLocalSql(query->SQL.Text());
    const QString file = Session::Instance().TableFile(query->DatabaseName, statement.table);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        std::fprintf(stderr, "floor: cannot open %s\n", qPrintable(file));
        sqlite3_close(db);
        return -1;
    }
    const qint64 start = MonotonicNs();
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = statement.sql.toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "floor: %s\n", sqlite3_errmsg(db));
        sqlite3_close(db);
        return -1;
    }
    std::vector<QByteArray> keep;
    for (int i = 1; i <= sqlite3_bind_parameter_count(stmt); ++i) {
        const QString name = QString::fromUtf8(sqlite3_bind_parameter_name(stmt, i) + 1);
        const QVariant value = query->ParamByName(name).Value();
        keep.push_back(value.typeId() == QMetaType::QDate ? value.toDate().toString(Qt::ISODate).toUtf8()
                                                          : value.toString().toUtf8());
        sqlite3_bind_text(stmt, i, keep.back().constData(), int(keep.back().size()), SQLITE_STATIC);
    }
    const int columns = sqlite3_column_count(stmt);
    int count = 0;
    size_t bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            const unsigned char* text = sqlite3_column_text(stmt, c);
            bytes += text ? size_t(sqlite3_column_bytes(stmt, c)) : 0;
        }
        ++count;
    }
    sqlite3_finalize(stmt);
    const double ms = double(MonotonicNs() - start) / 1e6;
    sqlite3_close(db);
    if (rows)
        *rows = count;
    return bytes == size_t(-1) ? -1 : ms;
}

double FloorMedian(TQuery* query, int runs, int* rows = nullptr) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(FloorMs(query, rows));
    return Median(times);
}

// ---- archives ----

// A program folder whose archive holds the sample; the tables are created by the start-up road.
bool MakeArchive(const QString& programFolder, const Options& o, int appointments, int contacts, int todos,
                 int notes) {
    QDir().mkpath(programFolder);
    QFile nosplash(programFolder + QStringLiteral("/nosplash"));
    nosplash.open(QIODevice::WriteOnly);
    nosplash.close();
    qputenv("QUELLMIRE_PROGRAM_FOLDER", programFolder.toLocal8Bit());
    QString archive;
    {
        TMainForm form;
        archive = form.ArchiveFolder;
    }
    Session::Instance().Reset();
    if (appointments + contacts + todos + notes == 0)
        return true;
    QProcess sampler;
    sampler.start(QStringLiteral("python3"),
                  {o.sampler, archive, QStringLiteral("--appointments"), QString::number(appointments),
                   QStringLiteral("--contacts"), QString::number(contacts), QStringLiteral("--todos"),
                   QString::number(todos), QStringLiteral("--notes"), QString::number(notes)});
    if (!sampler.waitForFinished(300000) || sampler.exitCode() != 0) {
        std::fprintf(stderr, "sample-archive.py failed: %s\n", sampler.readAllStandardError().constData());
        return false;
    }
    return true;
}

// ---- the real program ----

struct StartRun {
    double builtMs = -1; // program started -> main window constructed
    double shownMs = -1; // program started -> main window exposed
    long shownRssKb = -1;
    long settledRssKb = -1; // 1.5 s after the window shows: the lists opened
};

StartRun StartProgram(const QString& executable, const QString& programFolder, const QString& runtimeDir) {
    StartRun run;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUELLMIRE_PROGRAM_FOLDER"), programFolder);
    env.insert(QStringLiteral("QUELLMIRE_START_TIMING"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // Its own single-instance socket, so that no other copy on this machine answers for it.
    env.insert(QStringLiteral("TMPDIR"), runtimeDir);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::SeparateChannels);
    const qint64 start = MonotonicNs();
    program.start(executable, {});
    QByteArray err;
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 20000 && !err.contains("settled")) {
        program.waitForReadyRead(100);
        err += program.readAllStandardError();
        if (program.state() == QProcess::NotRunning)
            break;
    }
    for (const QByteArray& line : err.split('\n')) {
        const QList<QByteArray> w = line.split(' ');
        if (w.size() >= 3 && w[0] == "quellmire-timing" && w[1] == "built")
            run.builtMs = double(w[2].toLongLong() - start) / 1e6;
        if (w.size() >= 5 && w[0] == "quellmire-timing" && w[1] == "shown") {
            run.shownMs = double(w[2].toLongLong() - start) / 1e6;
            run.shownRssKb = w[4].toLong();
        }
        if (w.size() >= 4 && w[0] == "quellmire-timing" && w[1] == "settled")
            run.settledRssKb = w[3].toLong();
    }
    program.terminate();
    if (!program.waitForFinished(3000)) {
        program.kill();
        program.waitForFinished(3000);
    }
    if (run.shownMs < 0)
        std::fprintf(stderr, "the program did not report its window: %s\n", err.constData());
    return run;
}

struct StartFigures {
    std::vector<double> built, shown;
    std::vector<double> shownRss, settledRss;
};

// ---- in-process lists ----

struct Row {
    QString what;
    double ms;
    double floorMs;
    int rows;
};

void PrintRow(const Row& r) {
    std::printf("| %-44s | %8.1f | %8.1f | %5.2f | %7d |\n", qPrintable(r.what), r.ms, r.floorMs,
                r.floorMs > 0 ? r.ms / r.floorMs : 0.0, r.rows);
}

void ClickTab(TMainForm* form, QWidget* sheet) {
    QTabBar* bar = form->PageControlMenu->tabBar();
    const int index = form->PageControlMenu->indexOf(sheet);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    QApplication::processEvents();
}

// The keystroke that completes `text` in the find edit, the grid painted after it.
double TypeLast(TMainForm* form, QLineEdit* edit, TDBGrid* grid, const QString& text) {
    edit->setFocus();
    {
        const QSignalBlocker quiet(edit); // the text before the last key is not what is timed
        edit->setText(text.left(text.size() - 1));
    }
    // The keystroke's own SELECT is read afresh; the alarm list it reloads was read before, as it
    // is in use, and is reused while the archive is unchanged.
    ResultCache::Instance().Clear();
    form->RefreshAlarmQuery();
    QApplication::processEvents();
    const qint64 start = MonotonicNs();
    QTest::keyClick(edit, text.back().toLatin1());
    grid->viewport()->repaint();
    const double ms = double(MonotonicNs() - start) / 1e6;
    edit->clear();
    QApplication::processEvents();
    return ms;
}

struct ListCase {
    const char* name;
    QWidget* TMainForm::*sheet;
    QLineEdit* TMainForm::*edit;
    TDBGrid* TMainForm::*grid;
    TQuery* TMainForm::*query;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    MessageBoxSeam::Enable();
    ModalSeam::Enable();

    Options o;
    o.program = QCoreApplication::applicationDirPath() + QStringLiteral("/../quellmire");
    QStringList args = QCoreApplication::arguments();
    if (args.removeAll(QStringLiteral("--lists-only")) > 0)
        o.starts = false;
    if (args.removeAll(QStringLiteral("--starts-only")) > 0)
        o.lists = false;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const QString& a = args[i];
        const QString& v = args[i + 1];
        if (a == QLatin1String("--runs"))
            o.runs = v.toInt();
        else if (a == QLatin1String("--appointments"))
            o.appointments = v.toInt();
        else if (a == QLatin1String("--contacts"))
            o.contacts = v.toInt();
        else if (a == QLatin1String("--todos"))
            o.todos = v.toInt();
        else if (a == QLatin1String("--notes"))
            o.notes = v.toInt();
        else if (a == QLatin1String("--program"))
            o.program = v;
        else if (a == QLatin1String("--sampler"))
            o.sampler = v;
        else if (a == QLatin1String("--baseline"))
            o.baseline = v;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "no X display: run it under xvfb-run -a\n");
        return 2;
    }

    QTemporaryDir tmp;
    const QString runtimeDir = tmp.path() + QStringLiteral("/runtime");
    QDir().mkpath(runtimeDir);
    QFile::setPermissions(runtimeDir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString emptyFolder = tmp.path() + QStringLiteral("/empty");
    const QString smallFolder = tmp.path() + QStringLiteral("/small");
    const QString bigFolder = tmp.path() + QStringLiteral("/big");
    QElapsedTimer fill;
    fill.start();
    if ((o.starts &&
         (!MakeArchive(emptyFolder, o, 0, 0, 0, 0) || !MakeArchive(smallFolder, o, 1000, 100, 10, 10))) ||
        !MakeArchive(bigFolder, o, o.appointments, o.contacts, o.todos, o.notes))
        return 1;
    std::fprintf(stderr, "archives made in %.0f s\n", double(fill.elapsed()) / 1000);

    // Starts of the three archives interleaved, so that a busy moment of the machine hits all alike.
    StartFigures empty, small, big, emptyBefore, smallBefore, bigBefore;
    const auto record = [](StartFigures* figures, const StartRun& run) {
        figures->built.push_back(run.builtMs);
        figures->shown.push_back(run.shownMs);
        figures->shownRss.push_back(double(run.shownRssKb) / 1024);
        figures->settledRss.push_back(double(run.settledRssKb) / 1024);
        return run.shownMs >= 0;
    };
    for (int r = 0; o.starts && r < o.runs; ++r) {
        for (auto [folder, figures, before] :
             {std::tuple{&emptyFolder, &empty, &emptyBefore}, std::tuple{&smallFolder, &small, &smallBefore},
              std::tuple{&bigFolder, &big, &bigBefore}}) {
            if (!record(figures, StartProgram(o.program, *folder, runtimeDir)))
                return 1;
            if (!o.baseline.isEmpty() && !record(before, StartProgram(o.baseline, *folder, runtimeDir)))
                return 1;
        }
    }

    // The lists, in this process, on the big archive.
    qputenv("QUELLMIRE_PROGRAM_FOLDER", bigFolder.toLocal8Bit());
    auto form = std::make_unique<TMainForm>();
    form->resize(1024, 768);
    form->show();
    QApplication::processEvents();
    // The start-up SELECTs stepped to the end: the least the whole start could cost if every list
    // were read at start.
    double startFloor = 0;
    for (TQuery* q : {form->QueryParam, form->QueryTODAY, form->QueryParallelo}) {
        q->RecordCount();
        startFloor += FloorMedian(q, o.runs);
    }
    const double shownFloor = startFloor;
    for (TQuery* q : {form->QueryMonth, form->QueryWeek, form->QueryYear, form->QueryShot, form->QueryToDo,
                      form->QueryContact}) {
        q->RecordCount(); // opens a list that waits for its first showing
        startFloor += FloorMedian(q, o.runs);
    }

    std::printf("\nmachine: %d processors, %s; %d runs each, medians\n", QThread::idealThreadCount(),
                qPrintable([] {
                    QFile cpu(QStringLiteral("/proc/cpuinfo"));
                    cpu.open(QIODevice::ReadOnly);
                    for (const QByteArray& line : cpu.readAll().split('\n'))
                        if (line.startsWith("model name"))
                            return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
                    return QStringLiteral("unknown CPU");
                }()),
                o.runs);
    std::printf(
        "archive: %d appointments (%d one-shot), %d contacts, %d to-dos, %d notes\n\n", o.appointments,
        [&] {
            int n = 0;
            FloorMs(form->QueryShot, &n);
            return n;
        }(),
        o.contacts, o.todos, o.notes);

    std::printf("| %-44s | %8s | %8s | %5s | %7s |\n", "measure (ms)", "program", "floor", "ratio", "rows");
    std::printf("|%s|%s|%s|%s|%s|\n", "----------------------------------------------", "----------",
                "----------", "-------", "---------");
    const double emptyShown = Median(empty.shown);
    std::printf("| %-44s | %8.1f | %8s | %5.2f | %7s |\n", "start -> window shown, empty archive", emptyShown,
                "", 1.0, "");
    std::printf("| %-44s | %8.1f | %8s | %5.2f | %7s |\n", "start -> window shown, 1,000 entries",
                Median(small.shown), "", Median(small.shown) / emptyShown, "");
    std::printf("| %-44s | %8.1f | %8s | %5.2f | %7s |\n", "start -> window shown, sample archive",
                Median(big.shown), "", Median(big.shown) / emptyShown, "");
    std::printf("| %-44s | %8.1f | %8s | %5s | %7s |\n", "start -> window built, empty archive",
                Median(empty.built), "", "", "");
    std::printf("| %-44s | %8.1f | %8s | %5s | %7s |\n", "start -> window built, 1,000 entries",
                Median(small.built), "", "", "");
    std::printf("| %-44s | %8.1f | %8.1f | %5.2f | %7s |\n", "start -> window built, sample archive",
                Median(big.built), startFloor, Median(big.built) / startFloor, "");
    std::printf("  (floor of the built window: every start-up SELECT of every list stepped, %.1f ms; of the\n"
                "   settings, Tasks and alarm lists that the start reads before the window shows, %.1f ms)\n",
                startFloor, shownFloor);
    std::printf("  shown ranges: empty %s, 1,000 %s, sample %s ms\n", qPrintable(Range(empty.shown)),
                qPrintable(Range(small.shown)), qPrintable(Range(big.shown)));
    if (!o.baseline.isEmpty()) {
        std::printf("  the baseline build, started in turn: shown empty %.1f, 1,000 %.1f, sample %.1f ms;\n"
                    "  built empty %.1f, 1,000 %.1f, sample %.1f ms; RSS after start, sample %.1f MB\n",
                    Median(emptyBefore.shown), Median(smallBefore.shown), Median(bigBefore.shown),
                    Median(emptyBefore.built), Median(smallBefore.built), Median(bigBefore.built),
                    Median(bigBefore.settledRss));
    }

    const ListCase lists[] = {
        {"One Shot", &TMainForm::TabSheetShot, &TMainForm::Edit_Find_Shot, &TMainForm::DBGrid_Shot,
         &TMainForm::QueryShot},
        {"Yearly", &TMainForm::TabSheetYEAR, &TMainForm::Edit_Find_Anno, &TMainForm::DBGrid_Year,
         &TMainForm::QueryYear},
        {"Monthly", &TMainForm::TabSheetMonth, &TMainForm::Edit_Find_Mese, &TMainForm::DBGrid_Month,
         &TMainForm::QueryMonth},
        {"Weekly", &TMainForm::TabSheetWEEK, &TMainForm::Edit_Find_Week, &TMainForm::DBGrid_Week,
         &TMainForm::QueryWeek},
        {"Contacts", &TMainForm::TabSheetCONTACTS, &TMainForm::Edit_ragsoc, &TMainForm::DBGrid_Contact,
         &TMainForm::QueryContact},
        {"To-Do", &TMainForm::TabSheetToDo, &TMainForm::Edit_Find_ToDo, &TMainForm::DBGrid_ToDo,
         &TMainForm::QueryToDo},
    };
    std::vector<Row> rows;
    for (const ListCase& l : lists) {
        if (!o.lists)
            break;
        ClickTab(form.get(), form.get()->*l.sheet);
        const bool oneShot = l.query == &TMainForm::QueryShot;
        const QStringList texts =
            oneShot ? QStringList{QStringLiteral("a"), QStringLiteral("plan"), QStringLiteral("zqxj")}
                    : QStringList{QStringLiteral("a"), QStringLiteral("zqxj")};
        for (const QString& text : texts) {
            std::vector<double> times;
            int listed = 0;
            double floorMs = 0;
            for (int r = 0; r < o.runs; ++r) {
                times.push_back(TypeLast(form.get(), form.get()->*l.edit, form.get()->*l.grid, text));
                if (r == 0) {
                    // The floor of the same SELECT: type again, read it, clear.
                    QLineEdit* edit = form.get()->*l.edit;
                    edit->setText(text);
                    listed = (form.get()->*l.query)->RecordCount();
                    floorMs = FloorMedian(form.get()->*l.query, o.runs);
                    edit->clear();
                }
            }
            const QString label = text == QLatin1String("zqxj") ? QStringLiteral("no match")
                                                                : QStringLiteral("\"%1\"").arg(text);
            rows.push_back({QStringLiteral("%1 find %2 + grid paint").arg(QLatin1String(l.name), label),
                            Median(times), floorMs, listed});
        }
    }
    // The Tasks day list and the alarm list.
    ClickTab(form.get(), form->TabSheetTODAY);
    if (o.lists) {
        std::vector<double> tasks, alarms;
        for (int r = 0; r < o.runs; ++r) {
            ResultCache::Instance().Clear();
            qint64 start = MonotonicNs();
            form->RefreshTodayQuery();
            form->DBGrid_Today->viewport()->repaint();
            tasks.push_back(double(MonotonicNs() - start) / 1e6);
            ResultCache::Instance().Clear();
            start = MonotonicNs();
            form->RefreshAlarmQuery();
            alarms.push_back(double(MonotonicNs() - start) / 1e6);
        }
        rows.push_back({QStringLiteral("Tasks day list + grid paint"), Median(tasks),
                        FloorMedian(form->QueryTODAY, o.runs), form->QueryTODAY->RecordCount()});
        rows.push_back({QStringLiteral("alarm list"), Median(alarms),
                        FloorMedian(form->QueryParallelo, o.runs), form->QueryParallelo->RecordCount()});
    }
    for (const Row& r : rows)
        PrintRow(r);
    std::printf("| %-44s | %8.1f | %8s | %5s | %7s |\n", "RSS when the window shows (MB)",
                Median(big.shownRss), "", "", "");
    std::printf("| %-44s | %8.1f | %8s | %5s | %7s |\n", "RSS after start, every list open (MB)",
                Median(big.settledRss), "", "", "");
    std::printf("| %-44s | %8.1f | %8s | %5s | %7s |\n", "RSS after start, empty archive (MB)",
                Median(empty.settledRss), "", "", "");
    if (!MessageBoxSeam::Shown().isEmpty())
        std::printf("note: %d message box(es) were shown\n", int(MessageBoxSeam::Shown().size()));
    form.reset();
    Session::Instance().CloseAll();
    return 0;
}
