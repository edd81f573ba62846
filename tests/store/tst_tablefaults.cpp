#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "engine/Session.h"
#include "platform/ColorText.h"
#include "platform/MessageBox.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "store/SectionColors.h"
#include "support/FileBytes.h"
#include "support/FullDisk.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTabBar>
#include <QTest>
#include <algorithm>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm;

namespace {

const QStringList kTables = {"QMtod90", "QMarc80", "QMcon26", "QMset90"};

// One row in each list table, so that a start shows whether each list still fills.
void SeedRows(const TestEnvironment& env) {
    TestEnvironment::ExecOnFile(env.ArchiveFile("QMarc80.db"),
                                "INSERT INTO QMarc80 (id, note, dayofweek, datefull, orario, orario2, flag) "
                                "VALUES ('Dentist', '', '', '2026-12-20', '10:00', '11:00', 'O')");
    TestEnvironment::ExecOnFile(env.ArchiveFile("QMcon26.db"),
                                "INSERT INTO QMcon26 (ragsoc, tel) VALUES ('Anna Rossi', '02 123')");
    TestEnvironment::ExecOnFile(env.ArchiveFile("QMtod90.db"),
                                "INSERT INTO QMtod90 (id, note, priority, flag, percento) "
                                "VALUES ('Buy bread', '', 1, 'No', 0)");
}

// The rows a grid shows once its list is open (lists off screen open when first needed).
int Rows(TDBGrid* grid) {
    if (grid->Query())
        grid->Query()->RunPendingOpen();
    return grid->model() ? grid->model()->rowCount() : -1;
}

int Mode(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

bool Run(const QStringList& command) {
    QProcess process;
    process.start(command.first(), command.mid(1));
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

void WriteBytes(const QString& file, const QByteArray& bytes) {
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(out.write(bytes), bytes.size());
    out.close();
}

} // namespace

class TableFaultsTest : public QObject {
    Q_OBJECT

    // A first start with a row in every list, then the program is closed.
    void Prepare(TestEnvironment& env) {
        env.CreateMainForm();
        env.DestroyMainForm();
        SeedRows(env);
        MessageBoxSeam::Reset();
    }

    // The one message of a start, checked for the file it names and the words that say what is
    // wrong and what to do.
    void ExpectOneMessage(const QStringList& files, const QString& what, const QString& advice) {
        const QList<ShownBox> boxes = MessageBoxSeam::Shown();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].caption, QStringLiteral("Quellmire Organizer"));
        QCOMPARE(boxes[0].flags, Mb::Ok | Mb::IconExclamation);
        for (const QString& file : files)
            QVERIFY2(boxes[0].text.contains(file), qPrintable(boxes[0].text));
        QVERIFY2(boxes[0].text.contains(what), qPrintable(boxes[0].text));
        QVERIFY2(boxes[0].text.contains(advice), qPrintable(boxes[0].text));
    }

private slots:
    void emptyTableFilesAreCreatedAnew() {
        TestEnvironment env;
        Prepare(env);
        WriteBytes(env.ArchiveFile("QMarc80.db"), QByteArray());
        WriteBytes(env.ArchiveFile("QMset90.db"), QByteArray());

        TMainForm* form = env.CreateMainForm();
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
        QCOMPARE(Rows(form->DBGrid_Shot), 0);
        QCOMPARE(Rows(form->DBGrid_Contact), 1);
        QCOMPARE(Rows(form->DBGrid_ToDo), 1);
        QVERIFY(form->CheckBox_Soundon->isChecked());
        env.DestroyMainForm();
        QCOMPARE(TestEnvironment::RowsOfFile(env.ArchiveFile("QMset90.db"), "SELECT count(*) FROM QMset90"),
                 QList<QStringList>({{"1"}}));
        QCOMPARE(TestEnvironment::RowsOfFile(env.ArchiveFile("QMarc80.db"), "SELECT count(*) FROM QMarc80"),
                 QList<QStringList>({{"0"}}));
    }

    void damagedTableFilesGiveOneMessageAndTheRestWorks_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("damage");
        // Each table once, each kind of damage at least once.
        const std::pair<const char*, const char*> cases[] = {
            {"QMarc80", "random"},         {"QMcon26", "truncated"}, {"QMtod90", "folder"},
            {"QMset90", "header"},         {"QMset90", "truncated"}, {"QMcon26", "folder"},
            {"QMtod90", "another user's"}, {"QMarc80", "link"},
        };
        for (const auto& [table, damage] : cases)
            QTest::addRow("%s %s", table, damage)
                << QString::fromLatin1(table) << QString::fromLatin1(damage);
    }

    void damagedTableFilesGiveOneMessageAndTheRestWorks() {
        QFETCH(QString, table);
        QFETCH(QString, damage);
        TestEnvironment env;
        Prepare(env);
        const QString file = env.ArchiveFile(table + ".db");
        // Enough rows that the table spans many pages.
        const QString many =
            QStringLiteral("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 200) ");
        if (table == QLatin1String("QMarc80"))
            TestEnvironment::ExecOnFile(file,
                                        many + "INSERT INTO QMarc80 (id, note, flag, datefull) SELECT 'Row ' "
                                               "|| n, hex(randomblob(100)), 'Y', '2026-01-01' FROM c");
        else if (table == QLatin1String("QMcon26"))
            TestEnvironment::ExecOnFile(
                file,
                many + "INSERT INTO QMcon26 (ragsoc, note) SELECT 'Row ' || n, hex(randomblob(100)) FROM c");
        else if (table == QLatin1String("QMtod90"))
            TestEnvironment::ExecOnFile(file,
                                        many + "INSERT INTO QMtod90 (id, note, priority, flag, percento) "
                                               "SELECT 'Row ' || n, hex(randomblob(100)), 1, 'No', 0 FROM c");
        QFile original(file);
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray bytes = original.readAll();
        original.close();

        QString what;
        QString advice;
        if (damage == QLatin1String("random")) {
            QByteArray noise(8192, '\0');
            QRandomGenerator generator(42);
            for (char& c : noise)
                c = char(generator.bounded(256));
            WriteBytes(file, noise);
            what = QStringLiteral("damaged");
            advice = QStringLiteral("backup");
        } else if (damage == QLatin1String("truncated")) {
            // Cut in the middle of the pages the table's rows live on.
            QVERIFY(bytes.size() >= 8192);
            WriteBytes(file, bytes.left(bytes.size() / 2 + 100));
            what = QStringLiteral("damaged");
            advice = QStringLiteral("backup");
        } else if (damage == QLatin1String("header")) {
            QByteArray changed = bytes;
            changed.replace(0, 16, "Not a table!!!!!");
            WriteBytes(file, changed);
            what = QStringLiteral("damaged");
            advice = QStringLiteral("backup");
        } else if (damage == QLatin1String("another user's")) {
            // Never opened, so never written or played back into.
            if (::geteuid() != 0)
                QSKIP("giving a file to another user needs root");
            QCOMPARE(::chown(QFile::encodeName(file).constData(), 65534, 65534), 0);
            what = QStringLiteral("belongs to the user nobody");
            advice = QStringLiteral("Have it removed");
        } else if (damage == QLatin1String("link")) {
            QVERIFY(QFile::rename(file, file + ".real"));
            QVERIFY(QFile::link(file + ".real", file));
            what = QStringLiteral("it is a link");
            advice = QStringLiteral("Have it removed");
        } else {
            QVERIFY(QFile::remove(file));
            QVERIFY(QDir().mkpath(file + "/inside"));
            what = QStringLiteral("a folder stands where the table file should be");
            advice = QStringLiteral("Move the folder away");
        }

        if (table != QLatin1String("QMset90"))
            TestEnvironment::ExecOnFile(env.ArchiveFile("QMset90.db"),
                                        "UPDATE QMset90 SET timecheck = 'Y', UserColor = 'clRed'");
        MessageBoxSeam::QueueAnswer(Id::Ok);
        TMainForm* form = env.CreateMainForm();
        ExpectOneMessage({file}, what, advice);
        // The settings apply whole, the alarm list on the damaged table notwithstanding; without
        // settings the window takes the classic colours, never none.
        if (table != QLatin1String("QMset90")) {
            QVERIFY(form->CheckBox_TimeCheck->isChecked());
            QCOMPARE(form->Panel_UserColor->Color(), Colors::clRed);
        } else {
            const SectionColorSet& classic = ClassicSectionColors();
            QCOMPARE(form->Panel_TodayColor->Color(), classic.TodayColor);
            QCOMPARE(form->DBGrid_Today->FixedColor(), ToQColor(classic.TodayColor));
            QCOMPARE(form->CurrentSectionColor, classic[form->PageControlMenu->currentIndex()]);
        }
        // The other lists fill.
        if (table != QLatin1String("QMarc80"))
            QCOMPARE(Rows(form->DBGrid_Shot), 1);
        if (table != QLatin1String("QMcon26"))
            QCOMPARE(Rows(form->DBGrid_Contact), 1);
        if (table != QLatin1String("QMtod90"))
            QCOMPARE(Rows(form->DBGrid_ToDo), 1);
        env.DestroyMainForm();
        // The damaged file is kept as it was, for whoever wants to rescue it.
        if (damage != QLatin1String("folder"))
            QVERIFY(QFileInfo(file).isFile());
        if (damage == QLatin1String("another user's") || damage == QLatin1String("link"))
            QCOMPARE(ReadFileBytes(file), bytes);

        // A user's action on the damaged table says so again; the start says it once.
        if (table != QLatin1String("QMset90"))
            return;
        MessageBoxSeam::Reset();
        MessageBoxSeam::QueueAnswer(Id::Ok);
        form = env.CreateMainForm();
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        MessageBoxSeam::QueueAnswer(Id::Ok);
        QTest::mouseClick(form->CheckBox_Soundon, Qt::LeftButton);
        QCOMPARE(MessageBoxSeam::Shown().size(), 2);
        QVERIFY(MessageBoxSeam::Shown()[1].text.contains(file));
    }

    // The appointments table named at start is not named again by the lists read once the window
    // shows (the alarm list first), however long the start's box stays open: its modal loop runs
    // the start-up show and the alarm check meanwhile. A user's action on the table says so again.
    void aTableNamedAtStartIsNotNamedAgainOnceTheWindowShows_data() {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("answeredLate");
        QTest::newRow("damaged, answered at once") << false << false;
        QTest::newRow("damaged, answered late") << false << true;
        QTest::newRow("locked, answered at once") << true << false;
        QTest::newRow("locked, answered late") << true << true;
    }

    void aTableNamedAtStartIsNotNamedAgainOnceTheWindowShows() {
        QFETCH(bool, locked);
        QFETCH(bool, answeredLate);
        TestEnvironment env;
        Prepare(env);
        const QString file = env.ArchiveFile("QMarc80.db");
        sqlite3* other = nullptr;
        const auto closeOther = qScopeGuard([&] { sqlite3_close(other); });
        if (locked) {
            QCOMPARE(sqlite3_open(file.toUtf8().constData(), &other), SQLITE_OK);
            QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE; DELETE FROM QMarc80", nullptr, nullptr, nullptr),
                     SQLITE_OK);
        } else {
            WriteBytes(file, QByteArray(8192, '\x5a'));
        }

        // The timers' handlers run as their ticks would: the start-up show, then idle turns until
        // every list waiting at start has been read, then the alarm check's ticks.
        QDateTime now(QDate(2026, 12, 7), QTime(9, 30, 0));
        const auto runAWhile = [&] {
            TMainForm* form = MainForm;
            if (!form->isVisible()) {
                form->TimerRitornaTimer();
                form->TimerAppariTimer();
            }
            QVERIFY(QTest::qWaitForWindowExposed(form));
            const QList<TQuery*> lists = {form->QueryParallelo, form->QueryShot, form->QueryYear,
                                          form->QueryMonth,     form->QueryWeek, form->QueryToDo,
                                          form->QueryContact};
            const auto pending = [&] {
                return std::any_of(lists.begin(), lists.end(), [](TQuery* q) { return q->OpenPending(); });
            };
            for (int turn = 0; turn < 100 && pending(); ++turn)
                QCoreApplication::processEvents();
            for (int tick = 0; tick < 3; ++tick) {
                now = now.addSecs(1);
                env.SetNow(now);
                form->TimerContolloOrarioTimer();
                form->TimerOrologioTimer();
                QCoreApplication::processEvents();
            }
        };
        if (answeredLate)
            MessageBoxSeam::WhileOpen([&](const ShownBox&) {
                MessageBoxSeam::WhileOpen(nullptr);
                runAWhile();
            });
        MessageBoxSeam::QueueAnswer(Id::Ok);
        TMainForm* form = env.CreateMainForm();
        runAWhile();
        ExpectOneMessage({file}, locked ? QStringLiteral("locked") : QStringLiteral("damaged"),
                         locked ? QStringLiteral("Close the program") : QStringLiteral("backup"));
        for (TQuery* list : {form->QueryContact, form->QueryToDo})
            QVERIFY(!list->OpenPending());
        QCOMPARE(form->QueryContact->RecordCount(), 1);

        QTabBar* tabs = form->PageControlMenu->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {},
                          tabs->tabRect(form->PageControlMenu->indexOf(form->TabSheetShot)).center());
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        MessageBoxSeam::QueueAnswer(Id::Ok);
        form->Edit_Find_Shot->setFocus();
        QTest::keyClick(form->Edit_Find_Shot, 'd');
        QCOMPARE(MessageBoxSeam::Shown().size(), 2);
        QVERIFY2(MessageBoxSeam::Shown()[1].text.contains(file), qPrintable(MessageBoxSeam::Shown()[1].text));
    }

    void lockedTableGivesOneMessageWithoutWaitingAtEveryStatement() {
        TestEnvironment env;
        Prepare(env);
        const QString file = env.ArchiveFile("QMarc80.db");
        // Another program writes to the table and holds it locked.
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(file.toUtf8().constData(), &other), SQLITE_OK);
        const auto closeOther = qScopeGuard([&] { sqlite3_close(other); });
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE; INSERT INTO QMarc80 (id, flag) VALUES ('x', 'O')",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);

        MessageBoxSeam::QueueAnswer(Id::Ok);
        TMainForm* form = env.CreateMainForm();
        ExpectOneMessage({file}, QStringLiteral("locked"), QStringLiteral("Close the program that holds it"));
        QCOMPARE(Rows(form->DBGrid_Contact), 1);
        QCOMPARE(Rows(form->DBGrid_ToDo), 1);
        env.DestroyMainForm();

        // Once the other program lets go, the table is back at the next start, row intact.
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        MessageBoxSeam::Reset();
        form = env.CreateMainForm();
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
        QCOMPARE(Rows(form->DBGrid_Shot), 1);
    }

    void purgeWritesNothingWhenNothingIsDue() {
        TestEnvironment env;
        Prepare(env);
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
        // Another program reads... and is about to write: a DELETE would have to wait and fail.
        sqlite3* other = nullptr;
        const QString file = env.ArchiveFile("QMarc80.db");
        QCOMPARE(sqlite3_open(file.toUtf8().constData(), &other), SQLITE_OK);
        const auto closeOther = qScopeGuard([&] { sqlite3_close(other); });
        QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE; INSERT INTO QMarc80 (id, flag) VALUES ('x', 'O')",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        // Midnight: the purge looks, finds nothing due and leaves the table alone.
        env.SetNow(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 0)));
        form->TimerOrologioTimer();
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);

        // With an entry due it does delete it.
        TestEnvironment::ExecOnFile(file, "INSERT INTO QMarc80 (id, dayofweek, datefull, flag) "
                                          "VALUES ('Gone', 'X', '2026-12-07', 'O')");
        env.SetNow(QDateTime(QDate(2026, 12, 9), QTime(0, 0, 0)));
        form->TimerOrologioTimer();
        QCOMPARE(TestEnvironment::RowsOfFile(file, "SELECT id FROM QMarc80 ORDER BY codimp"),
                 QList<QStringList>({{"Dentist"}}));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void readOnlyTablesAreShownAndSaidOnce() {
        if (::geteuid() != 0)
            QSKIP("A read-only file that stops writes needs a read-only mount, which needs root.");
        TestEnvironment env;
        Prepare(env);
        TestEnvironment::ExecOnFile(env.ArchiveFile("QMarc80.db"),
                                    "INSERT INTO QMarc80 (id, dayofweek, datefull, flag) "
                                    "VALUES ('Expired', 'X', '2026-12-01', 'O')");
        const QString todo = env.ArchiveFile("QMtod90.db");
        const QString appointments = env.ArchiveFile("QMarc80.db");
        QStringList mounted;
        const auto unmount = qScopeGuard([&] {
            for (const QString& file : mounted)
                Run({"umount", file});
        });
        for (const QString& file : {todo, appointments}) {
            if (!Run({"mount", "--bind", file, file}))
                QSKIP("Bind mounts are not possible here.");
            mounted << file;
            if (!Run({"mount", "-o", "remount,bind,ro", file}))
                QSKIP("Read-only remounts are not possible here.");
        }

        MessageBoxSeam::QueueAnswer(Id::Ok);
        TMainForm* form = env.CreateMainForm();
        // One message for both files; the purge due on the read-only table adds nothing.
        ExpectOneMessage({todo, appointments}, QStringLiteral("cannot be written"),
                         QStringLiteral("no change can be saved"));
        QCOMPARE(Rows(form->DBGrid_ToDo), 1);
        QCOMPARE(Rows(form->DBGrid_Contact), 1);
        QCOMPARE(form->QueryShot->RecordCount(), 2);
        env.DestroyMainForm();
        for (const QString& file : mounted)
            QVERIFY(Run({"umount", file}));
        mounted.clear();
    }

    void unwritableArchiveFolderGivesItsOwnMessagesOnly() {
        TestEnvironment env;
        // A file where the folder of all archives should be.
        QVERIFY(QDir().mkpath(env.ProgramFolder()));
        WriteBytes(env.ProgramFolder() + "qmarcs", "not a folder");
        MessageBoxSeam::QueueAnswer(Id::Ok);
        MessageBoxSeam::QueueAnswer(Id::Ok);
        TMainForm* form = env.CreateMainForm();
        const QList<ShownBox> boxes = MessageBoxSeam::Shown();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[0].text, QStringLiteral("We have a trouble! I can't create the archive folder!"));
        QCOMPARE(boxes[1].text, QStringLiteral("Starts good! I can't create a folder for notes!"));
        QCOMPARE(Rows(form->DBGrid_Contact), 0);
    }

    void readOnlyArchiveFolderGivesOneMessageForItsTables() {
        if (::geteuid() != 0)
            QSKIP("A folder that stops writes needs a read-only mount, which needs root.");
        TestEnvironment env;
        QVERIFY(QDir().mkpath(env.ArchiveFolder()));
        if (!Run({"mount", "-t", "tmpfs", "-o", "ro,size=64k", "tmpfs", env.ArchiveFolder()}))
            QSKIP("Mounting a file system is not possible here.");
        const auto unmount = qScopeGuard([&] { Run({"umount", env.ArchiveFolder()}); });
        MessageBoxSeam::QueueAnswer(Id::Ok);
        MessageBoxSeam::QueueAnswer(Id::Ok);
        TMainForm* form = env.CreateMainForm();
        const QList<ShownBox> boxes = MessageBoxSeam::Shown();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[0].text, QStringLiteral("Starts good! I can't create a folder for notes!"));
        for (const QString& table : kTables)
            QVERIFY2(boxes[1].text.contains(env.ArchiveFile(table + ".db") + " cannot be created"),
                     qPrintable(boxes[1].text));
        QCOMPARE(Rows(form->DBGrid_Contact), 0);
        env.DestroyMainForm();
    }

    // A disk with no room left: the tables are whole, their rows are shown, and one message says
    // to free space, never to move a table away.
    void fullDiskAtStartShowsTheRowsAndSaysSoOnce() {
        TestEnvironment env;
        FullDisk disk(env.ArchiveFolder(), 1024 * 1024);
        QM_REQUIRE_FULL_DISK(disk);
        Prepare(env);
        disk.Fill();
        MessageBoxSeam::QueueAnswer(Id::Ok);
        TMainForm* form = env.CreateMainForm();
        QStringList files;
        for (const QString& table : kTables)
            files << env.ArchiveFile(table + ".db");
        ExpectOneMessage(files, QStringLiteral("the disk is full"), QStringLiteral("Free some space"));
        QVERIFY(!MessageBoxSeam::Shown()[0].text.contains(QStringLiteral("move the file away")));
        QCOMPARE(Rows(form->DBGrid_Contact), 1);
        QCOMPARE(Rows(form->DBGrid_ToDo), 1);
        QCOMPARE(form->QueryShot->RecordCount(), 1);
        env.DestroyMainForm();

        disk.Free();
        MessageBoxSeam::Reset();
        form = env.CreateMainForm();
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
        QCOMPARE(Rows(form->DBGrid_Contact), 1);
        env.DestroyMainForm();
    }

    // Tables that can be written but whose folder takes no journal: the message says why.
    void immutableArchiveFolderSaysWhyItsTablesCannotBeWritten() {
        if (::geteuid() != 0)
            QSKIP("An immutable folder needs root.");
        TestEnvironment env;
        Prepare(env);
        if (!Run({"chattr", "+i", env.ArchiveFolder()}))
            QSKIP("The file system here has no immutable attribute.");
        const auto mutableAgain = qScopeGuard([&] { Run({"chattr", "-i", env.ArchiveFolder()}); });
        MessageBoxSeam::QueueAnswer(Id::Ok);
        TMainForm* form = env.CreateMainForm();
        const QList<ShownBox> boxes = MessageBoxSeam::Shown();
        // One message: the look files that hold what they held are not written again.
        QCOMPARE(boxes.size(), 1);
        for (const QString& table : kTables)
            QVERIFY2(boxes[0].text.contains(env.ArchiveFile(table + ".db") +
                                            " cannot be used: it cannot be written"),
                     qPrintable(boxes[0].text));
        QVERIFY2(!boxes[0].text.contains("not an error"), qPrintable(boxes[0].text));
        QCOMPARE(Rows(form->DBGrid_Contact), 1);
        env.DestroyMainForm();
    }

    void newArchiveIsTheUsersAlone() {
        const mode_t old = ::umask(022);
        const auto restore = qScopeGuard([old] { ::umask(old); });
        TestEnvironment env;
        QVERIFY(QDir(env.ProgramFolder()).removeRecursively());
        TMainForm* form = env.CreateMainForm();
        for (const QString& folder : {env.ProgramFolder(), env.ProgramFolder() + "qmarcs",
                                      env.ArchiveFolder(), env.ArchiveFile("notes")})
            QCOMPARE(Mode(folder), 0700);
        for (const QString& table : kTables)
            QCOMPARE(Mode(env.ArchiveFile(table + ".db")), 0600);

        // The journal of a change takes the table file's mode.
        int journalMode = -1;
        const QString appointments = env.ArchiveFile("QMarc80.db");
        Session::Instance().InTransaction(appointments, [&, form] {
            form->Query_Jolly->SQL.Clear();
            form->Query_Jolly->SQL.Add("DELETE FROM QMarc80");
            form->Query_Jolly->ExecSQL();
            journalMode = Mode(appointments + "-journal");
        });
        QCOMPARE(journalMode, 0600);
    }
};

QTEST_MAIN(TableFaultsTest)
#include "tst_tablefaults.moc"
