#include "app/MainForm.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "platform/MessageBox.h"
#include "store/Archive.h"
#include "support/HelperProcess.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace qm;

namespace {

const char* const kOldContacts =
    "CREATE TABLE QMcon80 (codcon INTEGER PRIMARY KEY AUTOINCREMENT, ragsoc CHARACTER(50), indirizzo "
    "CHARACTER(255), tel CHARACTER(100), email CHARACTER(50), note CHARACTER(255), fax CHARACTER(100), "
    "gruppo "
    "CHARACTER(30), site CHARACTER(255), company CHARACTER(50), mobile CHARACTER(100), allegato "
    "CHARACTER(255));"
    "INSERT INTO QMcon80 VALUES (1, 'Anna Rossi', 'Via Roma 1', '02 123', 'anna@example.org', '', '', "
    "'Family', "
    "'', '', '333 1', '');"
    "INSERT INTO QMcon80 VALUES (2, 'Luca Bianchi', '', '02 456', '', 'old friend', '', 'Friends', '', "
    "'Acme', "
    "'', '');";

QStringList Column(const QList<QStringList>& rows, int column) {
    QStringList values;
    for (const QStringList& row : rows)
        values << row.value(column);
    return values;
}

// An old contacts table of another age: one column short of today's, and NULL for text it lacks.
void WriteManyOldContacts(const QString& file, int count) {
    TestEnvironment::ExecOnFile(
        file,
        QStringLiteral("CREATE TABLE QMcon80 (codcon INTEGER PRIMARY KEY AUTOINCREMENT, ragsoc "
                       "CHARACTER(50), indirizzo CHARACTER(255), tel CHARACTER(100), email CHARACTER(50), "
                       "note CHARACTER(255), fax CHARACTER(100), gruppo CHARACTER(30), site "
                       "CHARACTER(255), company CHARACTER(50), mobile CHARACTER(100));"
                       "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < %1) "
                       "INSERT INTO QMcon80 (ragsoc, tel, note) SELECT 'Old ' || n, CASE WHEN n % 2 = 0 "
                       "THEN '02 ' || n END, hex(randomblob(60)) FROM c")
            .arg(count));
}

void MergeIn(const QString& folder) {
    Session::Instance().AddAlias(QStringLiteral("QMDB"), folder);
    TTable old;
    old.DatabaseName = QStringLiteral("QMDB");
    old.TableName = QStringLiteral("QMcon80");
    TTable contacts;
    contacts.DatabaseName = QStringLiteral("QMDB");
    contacts.TableName = QStringLiteral("QMcon26");
    MergeOldContacts(old, contacts, folder);
}

// The merge in a process of its own that is killed at `step` of the merge, or by SIGKILL after
// `microseconds`.
QM_TEST_HELPER(mergeKilled) {
    if (const int microseconds = arguments.value(2).toInt(); microseconds > 0)
        KillSelfAfter(microseconds);
    if (const int step = arguments.value(1).toInt(); step > 0)
        SetMergeStepHookForTest([step](int reached) {
            if (reached == step)
                std::raise(SIGKILL);
        });
    try {
        MergeIn(arguments.value(0));
    } catch (...) {
        return 2;
    }
    Session::Instance().CloseAll();
    return 0;
}

// Runs the merge helper; its wait status.
int MergeInChild(const QString& folder, int step, int microseconds) {
    Session::Instance().CloseAll(); // the helper must find no file held open here
    return RunHelper("mergeKilled", {folder, QString::number(step), QString::number(microseconds)});
}

// Creates the settings table in a transaction and dies before the transaction ends.
QM_TEST_HELPER(settingsTableKilled) {
    Session::Instance().AddAlias(QStringLiteral("QMDB"), arguments.value(0));
    Session::Instance().InTransaction(
        arguments.value(1),
        [] {
            TQuery create;
            create.DatabaseName = QStringLiteral("QMDB");
            create.SQL.Add(QStringLiteral("CREATE TABLE QMset90 (autostart CHARACTER(1))"));
            create.ExecSQL();
            std::raise(SIGKILL);
        },
        true);
    return 0;
}

} // namespace

class ArchiveTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartCreatesTablesAndDefaultSettings() {
        TestEnvironment env;
        env.CreateMainForm();
        for (const char* table : {"QMarc80", "QMcon26", "QMtod90", "QMset90"})
            QVERIFY2(QFileInfo::exists(env.ArchiveFile(QString::fromLatin1(table) + ".db")), table);
        QVERIFY(QFileInfo(env.ArchiveFile("notes")).isDir());

        const QString settings = env.ArchiveFile("QMset90.db");
        const QList<QStringList> rows = TestEnvironment::RowsOfFile(settings, "SELECT * FROM QMset90");
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0], QStringList({"N",         "N",         "Y",
                                       "mailbeep",  "N",         "N",
                                       "Fixedsys",  "clBlack",   "8",
                                       "clWhite",   "Y",         "$00A6A6D2",
                                       "$00A7E3F5", "$0058A554", "$00BC8F07",
                                       "$00CE9D9D", "$009A9A4E", "$00AEAEAE",
                                       "$00BADCF8", "$0053A9FF", "dddd d mmmm yyyy",
                                       "d mmmm",    "3",         "4",
                                       "640",       "480",       "wsNormal"}));
        // Numbers are stored as numbers, not as texts "640.0".
        QCOMPARE(TestEnvironment::RowsOfFile(settings,
                                             "SELECT typeof(WinWidth), typeof(fontsize) FROM QMset90")[0],
                 QStringList({"integer", "integer"}));

        const QList<QStringList> columns =
            TestEnvironment::RowsOfFile(env.ArchiveFile("QMarc80.db"), "PRAGMA table_info(QMarc80)");
        QCOMPARE(Column(columns, 1),
                 QStringList({"codimp", "id", "note", "dayofweek", "dayindex", "dayofmonth", "datefull",
                              "data", "orario", "orario2", "flag"}));
        QCOMPARE(Column(columns, 2).mid(6, 2), QStringList({"DATE", "CHARACTER(5)"}));
        QCOMPARE(
            Column(TestEnvironment::RowsOfFile(env.ArchiveFile("QMcon26.db"), "PRAGMA table_info(QMcon26)"),
                   1),
            QStringList({"codcon", "ragsoc", "indirizzo", "tel", "email", "note", "fax", "gruppo", "site",
                         "company", "mobile", "allegato"}));
        QCOMPARE(
            Column(TestEnvironment::RowsOfFile(env.ArchiveFile("QMtod90.db"), "PRAGMA table_info(QMtod90)"),
                   1),
            QStringList({"codtod", "id", "note", "priority", "flag", "percento"}));
        QCOMPARE(TestEnvironment::RowsOfFile(env.ArchiveFile("QMarc80.db"), "PRAGMA journal_mode")[0][0],
                 QStringLiteral("delete"));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void deletedSettingsTableComesBackWithDefaultsAlone() {
        TestEnvironment env;
        env.CreateMainForm();
        env.DestroyMainForm();
        TestEnvironment::ExecOnFile(
            env.ArchiveFile("QMarc80.db"),
            "INSERT INTO QMarc80 (id, flag, datefull) VALUES ('Dentist', 'O', '2026-12-08')");
        TestEnvironment::ExecOnFile(env.ArchiveFile("QMset90.db"), "UPDATE QMset90 SET WinWidth = 900");
        QVERIFY(QFile::remove(env.ArchiveFile("QMset90.db")));

        env.CreateMainForm();
        env.DestroyMainForm();
        const QList<QStringList> settings =
            TestEnvironment::RowsOfFile(env.ArchiveFile("QMset90.db"), "SELECT WinWidth FROM QMset90");
        QCOMPARE(settings, QList<QStringList>({{"640"}}));
        QCOMPARE(TestEnvironment::RowsOfFile(env.ArchiveFile("QMarc80.db"), "SELECT id FROM QMarc80"),
                 QList<QStringList>({{"Dentist"}}));
    }

    void existingTablesAreLeftAsTheyAre() {
        TestEnvironment env;
        env.CreateMainForm();
        env.DestroyMainForm();
        TestEnvironment::ExecOnFile(env.ArchiveFile("QMset90.db"), "UPDATE QMset90 SET soundon = 'V'");
        env.CreateMainForm();
        env.DestroyMainForm();
        QCOMPARE(TestEnvironment::RowsOfFile(env.ArchiveFile("QMset90.db"), "SELECT soundon FROM QMset90"),
                 QList<QStringList>({{"V"}}));
    }

    void oldContactsAreMergedOnce() {
        TestEnvironment env;
        env.CreateMainForm();
        env.DestroyMainForm();
        TestEnvironment::ExecOnFile(env.ArchiveFile("QMcon26.db"),
                                    "INSERT INTO QMcon26 (ragsoc) VALUES ('Already here')");
        TestEnvironment::ExecOnFile(env.ArchiveFile("QMcon80.db"), kOldContacts);

        env.CreateMainForm();
        env.DestroyMainForm();
        QVERIFY(!QFileInfo::exists(env.ArchiveFile("QMcon80.db")));
        QVERIFY(QFileInfo::exists(env.ArchiveFile("QMcon80.BK")));
        const QString contacts = env.ArchiveFile("QMcon26.db");
        const QList<QStringList> rows = TestEnvironment::RowsOfFile(
            contacts, "SELECT codcon, ragsoc, gruppo, company FROM QMcon26 ORDER BY codcon");
        QCOMPARE(rows, QList<QStringList>({{"1", "Already here", "", ""},
                                           {"2", "Anna Rossi", "Family", ""},
                                           {"3", "Luca Bianchi", "Friends", "Acme"}}));

        env.CreateMainForm();
        env.DestroyMainForm();
        QCOMPARE(TestEnvironment::RowsOfFile(contacts, "SELECT count(*) FROM QMcon26")[0][0],
                 QStringLiteral("3"));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void failedRenameLeavesContactsUntouchedAndSaysSo() {
        TestEnvironment env;
        env.CreateMainForm();
        env.DestroyMainForm();
        TestEnvironment::ExecOnFile(env.ArchiveFile("QMcon80.db"), kOldContacts);
        // A folder in the way of the new name makes the rename fail.
        QVERIFY(QDir().mkpath(env.ArchiveFile("QMcon80.BK/in-the-way")));
        MessageBoxSeam::QueueAnswer(Id::Ok);

        env.CreateMainForm();
        env.DestroyMainForm();
        QVERIFY(QFileInfo::exists(env.ArchiveFile("QMcon80.db")));
        QCOMPARE(
            TestEnvironment::RowsOfFile(env.ArchiveFile("QMcon26.db"), "SELECT count(*) FROM QMcon26")[0][0],
            QStringLiteral("0"));
        const QList<ShownBox> boxes = MessageBoxSeam::Shown();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].text.contains("QMcon80"));
        QCOMPARE(boxes[0].caption, QStringLiteral("Quellmire Organizer"));

        // Once the way is clear the next start merges them, once.
        QVERIFY(QDir(env.ArchiveFile("QMcon80.BK")).removeRecursively());
        env.CreateMainForm();
        env.DestroyMainForm();
        QCOMPARE(
            TestEnvironment::RowsOfFile(env.ArchiveFile("QMcon26.db"), "SELECT count(*) FROM QMcon26")[0][0],
            QStringLiteral("2"));
    }

    void crashBetweenCreatingTheSettingsTableAndItsRowLeavesNoTableWithoutRow() {
        TestEnvironment env;
        env.CreateMainForm();
        env.DestroyMainForm();
        const QString settings = env.ArchiveFile("QMset90.db");
        QVERIFY(QFile::remove(settings));
        Session::Instance().CloseAll();
        const int status = RunHelper("settingsTableKilled", {env.ArchiveFolder(), settings});
        QVERIFY(WIFSIGNALED(status));
        QVERIFY(QFileInfo::exists(settings));

        env.CreateMainForm();
        env.DestroyMainForm();
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
        QCOMPARE(TestEnvironment::RowsOfFile(settings, "SELECT count(*), max(WinStato) FROM QMset90"),
                 QList<QStringList>({{"1", "wsNormal"}}));
    }

    void oldContactsMergedExactlyOnceWhateverMomentACrashHits() {
        TestEnvironment env;
        env.CreateMainForm();
        env.DestroyMainForm();
        const QString folder = env.ArchiveFolder();
        const QString contacts = env.ArchiveFile("QMcon26.db");
        const QString old = env.ArchiveFile("QMcon80.db");
        const QString backup = env.ArchiveFile("QMcon80.BK");
        TestEnvironment::ExecOnFile(contacts, "INSERT INTO QMcon26 (ragsoc) VALUES ('Already here')");
        constexpr int kOld = 400;
        WriteManyOldContacts(old, kOld);
        const QString pristine = env.ProgramFolder() + "pristine";
        QVERIFY(QDir().mkpath(pristine));
        QVERIFY(QFile::copy(contacts, pristine + "/QMcon26.db"));
        QVERIFY(QFile::copy(old, pristine + "/QMcon80.db"));
        const auto restorePristine = [&] {
            Session::Instance().CloseAll();
            for (const QString& name : {QStringLiteral("QMcon26.db"), QStringLiteral("QMcon26.db-journal"),
                                        QStringLiteral("QMcon80.db"), QStringLiteral("QMcon80.BK")})
                QFile::remove(env.ArchiveFile(name));
            QVERIFY(QFile::copy(pristine + "/QMcon26.db", contacts));
            QVERIFY(QFile::copy(pristine + "/QMcon80.db", old));
        };
        const auto checkMergedOnce = [&](const QString& run) {
            Session::Instance().CloseAll();
            const QByteArray what = run.toUtf8();
            QCOMPARE_EQ(TestEnvironment::RowsOfFile(contacts, "PRAGMA integrity_check"),
                        QList<QStringList>({{"ok"}}));
            QVERIFY2(!QFileInfo::exists(old) && QFileInfo(backup).isFile(), what.constData());
            QVERIFY2(!QFileInfo::exists(contacts + "-journal"), what.constData());
            QCOMPARE(
                TestEnvironment::RowsOfFile(contacts, "SELECT count(*), count(DISTINCT ragsoc) FROM QMcon26"),
                QList<QStringList>({{QString::number(kOld + 1), QString::number(kOld + 1)}}));
            // Missing text is '' as everywhere in the archive; the mark of the merge is gone.
            QCOMPARE(TestEnvironment::RowsOfFile(contacts,
                                                 "SELECT count(*) FROM QMcon26 WHERE tel IS NULL OR "
                                                 "allegato IS NULL OR mobile IS NULL OR site IS NULL"),
                     QList<QStringList>({{"0"}}));
            QCOMPARE(TestEnvironment::RowsOfFile(contacts, "PRAGMA user_version"),
                     QList<QStringList>({{"0"}}));
        };

        // A whole run, timed, to place the random kills inside it.
        QElapsedTimer timer;
        timer.start();
        const int status = MergeInChild(folder, 0, 0);
        const qint64 wholeRun = qMax<qint64>(timer.nsecsElapsed() / 1000, 1000);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        checkMergedOnce(QStringLiteral("whole run"));

        // Killed right after each step, then at random moments; the next start finishes the job.
        QRandomGenerator random(20261207);
        for (int run = 0; run < 33; ++run) {
            restorePristine();
            const int step = run < 3 ? run + 1 : 0;
            const int delay = run < 3 ? 0 : 1 + int(random.bounded(quint32(wholeRun)));
            const int killed = MergeInChild(folder, step, delay);
            QVERIFY(!WIFEXITED(killed) || WEXITSTATUS(killed) == 0);
            MergeIn(folder);
            checkMergedOnce(QStringLiteral("step %1, killed after %2 us").arg(step).arg(delay));
        }

        // A later start of the program finds nothing more to do and says nothing.
        env.CreateMainForm();
        env.DestroyMainForm();
        checkMergedOnce(QStringLiteral("after a start"));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }
};

QM_TEST_MAIN_WITH_HELPERS(ArchiveTest)
#include "tst_archive.moc"
