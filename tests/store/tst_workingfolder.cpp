#include "app/MainForm.h"
#include "desktop/BrowseForFolder.h"
#include "engine/Session.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"
#include "platform/widgets/PageControl.h"
#include "store/ArchiveRestore.h"
#include "support/FileBytes.h"
#include "support/FullDisk.h"
#include "support/HelperProcess.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qm;

namespace {

QStringList Texts() {
    QStringList texts;
    for (const ShownBox& box : MessageBoxSeam::Shown())
        texts << box.text;
    return texts;
}

// A backup or restore that failed is never called complete, not even "incomplete".
bool NoneSaysComplete(const QStringList& texts) {
    for (const QString& text : texts)
        if (text.contains(QLatin1String("complete"), Qt::CaseInsensitive))
            return false;
    return true;
}

QStringList Titles(const QString& table) {
    QStringList titles;
    for (const QStringList& row : TestEnvironment::RowsOfFile(table, "SELECT id FROM QMtod90 ORDER BY id"))
        titles << row.value(0);
    return titles;
}

void AddToDo(const QString& table, const QString& title) {
    TestEnvironment::ExecOnFile(table,
                                QStringLiteral("INSERT INTO QMtod90 (id, note, priority, flag, percento) "
                                               "VALUES ('%1', '', 1, 'No', 0)")
                                    .arg(title));
}

// Every file of a folder and its subfolders with its bytes, to compare a folder byte for byte.
QMap<QString, QByteArray> Snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    const QDir root(folder);
    QStringList pending{folder};
    while (!pending.isEmpty()) {
        const QDir dir(pending.takeFirst());
        for (const QFileInfo& info :
             dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
            if (info.isDir())
                pending << info.filePath();
            else
                files.insert(root.relativeFilePath(info.filePath()), ReadFileBytes(info.filePath()));
        }
    }
    return files;
}

// A writer that dies in the middle of a large transaction on a table file, as a crash would leave
// it: part of the new pages in the table, the old ones in its journal.
QM_TEST_HELPER(writerKilledMidTransaction) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(arguments.value(0)).constData(), &db, SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK)
        return 1;
    sqlite3_exec(db,
                 "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; PRAGMA cache_size=10; BEGIN; "
                 "UPDATE QMtod90 SET note = 'never committed';",
                 nullptr, nullptr, nullptr);
    for (int i = 0; i < 300; ++i)
        sqlite3_exec(db,
                     "INSERT INTO QMtod90 (id, note, priority, flag, percento) "
                     "VALUES ('killed', printf('%.2000c', 'x'), 1, 'No', 0)",
                     nullptr, nullptr, nullptr);
    std::raise(SIGKILL);
    return 2;
}

void KillWriterMidTransaction(const QString& table) {
    Session::Instance().CloseAll();
    const int status = RunHelper("writerKilledMidTransaction", {table});
    QVERIFY(WIFSIGNALED(status));
}

// Puts a folder back as a snapshot holds it, and nothing more.
void PutBack(const QString& folder, const QMap<QString, QByteArray>& files) {
    QDir(folder).removeRecursively();
    for (auto file = files.begin(); file != files.end(); ++file)
        WriteFileBytes(folder + "/" + file.key(), file.value());
}

// "Restore from..." on a profile folder, by a start of the program on the same program folder that
// is killed before its `step`th step on the disk, or `microseconds` after the restore starts.
QM_TEST_HELPER(restoreKilled) {
    TestEnvironment env(QStringLiteral("tester"), QDateTime(QDate(2026, 12, 7), QTime(9, 30, 0)),
                        arguments[0]);
    TMainForm* form = env.CreateMainForm();
    SetRestoreStepHookForTest([step = arguments[2].toInt(), reached = 0]() mutable {
        if (++reached == step)
            std::raise(SIGKILL);
    });
    if (const int microseconds = arguments[3].toInt(); microseconds > 0)
        KillSelfAfter(microseconds);
    BrowseForFolderSeam::QueueFolder(arguments[1]);
    form->SpeedButtonImport->click();
    return 0;
}

// Runs the restore helper; its wait status.
int RestoreKilledAt(const TestEnvironment& env, const QString& profile, int step, int microseconds = 0) {
    Session::Instance().CloseAll(); // the helper must find no file held open here
    return RunHelper("restoreKilled",
                     {env.ProgramFolder(), profile, QString::number(step), QString::number(microseconds)});
}

// Shows the window on its Options tab, clicked as a user does, so that its buttons take real clicks.
void ShowOptionsTab(TMainForm* form) {
    form->show();
    QTabBar* tabs = form->PageControlMenu->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {},
                      tabs->tabRect(form->PageControlMenu->indexOf(form->TabSheetSetup)).center());
    QVERIFY(QTest::qWaitForWindowExposed(form));
}

QString MakeFolder(const TestEnvironment& env, const QString& name) {
    const QString path = env.ProgramFolder() + name;
    QDir().mkpath(path);
    return path;
}

// A backup of the archive made with the Options tab's button into <program folder>/backups.
QString BackUpInto(const TestEnvironment& env, TMainForm* form) {
    const QString backups = MakeFolder(env, "backups");
    BrowseForFolderSeam::QueueFolder(backups);
    form->SpeedButtonExport->click();
    return backups;
}

constexpr uid_t kOtherUser = 65534;

// Steps of another user, in a process of its own that has become that user.
//   swap <link> <target>: puts a link to `target` at `link` and takes it away again, until killed.
//   readable <path>...: exits with the number of paths that user can open for reading.
QM_TEST_HELPER(asOtherUser) {
    KillSelfAfter(30 * 1000 * 1000);
    if (::setgroups(0, nullptr) != 0 || ::setresgid(kOtherUser, kOtherUser, kOtherUser) != 0 ||
        ::setresuid(kOtherUser, kOtherUser, kOtherUser) != 0)
        return 100;
    if (arguments.value(0) == "swap") {
        const QByteArray link = QFile::encodeName(arguments.value(1));
        const QByteArray target = QFile::encodeName(arguments.value(2));
        for (;;) {
            ::symlink(target.constData(), link.constData());
            ::usleep(300);
            ::unlink(link.constData());
            ::usleep(200);
        }
    }
    int readable = 0;
    for (const QString& path : arguments.mid(1)) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            ++readable;
            ::close(fd);
        }
    }
    return readable;
}

void GiveToOtherUser(const QString& path, int mode) {
    QCOMPARE(::lchown(QFile::encodeName(path).constData(), kOtherUser, kOtherUser), 0);
    if (!QFileInfo(path).isSymLink())
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}
} // namespace

class WorkingFolderTest : public QObject {
    Q_OBJECT

private slots:
    void useWritesNetFileAndEnds() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString netFile = env.ArchiveFile("Net.txt");

        // Cancelled in the browser: nothing written, the program goes on.
        form->SpeedButton_unico->click();
        QVERIFY(!QFileInfo::exists(netFile));
        QVERIFY(!form->QuitConfirmed());
        QCOMPARE(Texts(), QStringList{"If I find valid archives in the new folder I use it, otherwise I'll "
                                      "build new archives."});

        MessageBoxSeam::Reset();
        const QString work = MakeFolder(env, "work");
        BrowseForFolderSeam::QueueFolder(work);
        form->SpeedButton_unico->click();
        QCOMPARE(ReadFileBytes(netFile), (work + "\r\n").toUtf8());
        QCOMPARE(Texts().last(), QStringLiteral("You must restart me manually!"));
        QVERIFY(form->QuitConfirmed());

        // The next start works in the chosen folder and offers the way back.
        env.DestroyMainForm();
        form = env.CreateMainForm();
        QCOMPARE(form->ArchiveFolder, work);
        QVERIFY(QFileInfo::exists(work + "/QMarc80.db"));
        QVERIFY(form->SpeedButton_Multi->isEnabled());

        MessageBoxSeam::QueueAnswer(Id::No);
        form->SpeedButton_Multi->click();
        QVERIFY(QFileInfo::exists(netFile));
        QVERIFY(!form->QuitConfirmed());

        MessageBoxSeam::QueueAnswer(Id::Yes);
        form->SpeedButton_Multi->click();
        QVERIFY(!QFileInfo::exists(netFile));
        QCOMPARE(Texts().last(), QStringLiteral("You must restart me manually!"));
        QVERIFY(form->QuitConfirmed());
    }

    void backupCopiesArchiveAndNotes() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        WriteFileBytes(env.ArchiveFile(".hidden"), "h");
        WriteFileBytes(env.ArchiveFile("notes/shopping.txt"), "milk");
        AddToDo(env.ArchiveFile("QMtod90.db"), "first");
        const QString backups = MakeFolder(env, "backups");

        form->CheckBox_includeNotes->setChecked(false);
        BrowseForFolderSeam::QueueFolder(backups);
        form->SpeedButtonExport->click();
        const QString profile = backups + "/testerArc";
        for (const char* name : {"QMarc80.db", "QMcon26.db", "QMtod90.db", "QMset90.db", ".hidden"})
            QVERIFY2(QFileInfo::exists(profile + "/" + name), name);
        QVERIFY(!QFileInfo::exists(profile + "/notes"));
        QCOMPARE(Titles(profile + "/QMtod90.db"), QStringList{"first"});
        QCOMPARE(Texts(), QStringList{"Exponting procedure complete!"});
        QVERIFY(!form->QuitConfirmed());

        // Into an existing backup: every file is replaced by the current one. The hidden temporary
        // files of an earlier backup killed mid-copy go; names that only look like them stay.
        MessageBoxSeam::Reset();
        WriteFileBytes(profile + "/.hidden", "stale");
        const QStringList leftByAKill{".QMcon26.db.qmtmp-k3x9", "notes/.shopping.txt.qmtmp-0a"};
        const QStringList notTheWriters{".QMcon26.db.qmtmp-", "QMcon26.db.qmtmp-k3x9", ".keep.qmtmp-K3X9",
                                        "notes/.qmtmp-k3x9"};
        for (const QString& name : leftByAKill + notTheWriters)
            WriteFileBytes(profile + "/" + name, name.toUtf8());
        AddToDo(env.ArchiveFile("QMtod90.db"), "second");
        form->CheckBox_includeNotes->setChecked(true);
        BrowseForFolderSeam::QueueFolder(backups);
        form->SpeedButtonExport->click();
        QCOMPARE(Titles(profile + "/QMtod90.db"), (QStringList{"first", "second"}));
        QCOMPARE(ReadFileBytes(profile + "/.hidden"), QByteArray("h"));
        QCOMPARE(ReadFileBytes(profile + "/notes/shopping.txt"), QByteArray("milk"));
        QCOMPARE(Texts(), QStringList{"Exponting procedure complete!"});
        for (const QString& name : leftByAKill)
            QVERIFY2(!QFileInfo::exists(profile + "/" + name), qPrintable(name));
        for (const QString& name : notTheWriters)
            QCOMPARE(ReadFileBytes(profile + "/" + name), name.toUtf8());

        // The root "/" gives one separator before the profile folder.
        QCOMPARE(JoinPath("/", form->ProfileName), QStringLiteral("/testerArc"));
    }

    void backupOntoTheArchiveItselfLosesNothing() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddToDo(env.ArchiveFile("QMtod90.db"), "kept");
        // The archive's parent folder: the backup folder is the archive folder itself.
        BrowseForFolderSeam::QueueFolder(QFileInfo(env.ArchiveFolder()).path());
        form->SpeedButtonExport->click();
        QCOMPARE(Titles(env.ArchiveFile("QMtod90.db")), QStringList{"kept"});
        QCOMPARE(Texts(), QStringList{"Exponting procedure complete!"});
    }

    void restoreCopiesTablesAndNotesAndEnds() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddToDo(env.ArchiveFile("QMtod90.db"), "backed up");
        WriteFileBytes(env.ArchiveFile("notes/plan.txt"), "old plan");
        const QString backups = BackUpInto(env, form);
        const QString profile = backups + "/testerArc";
        // A backup made where file names are upper case is found the same.
        QVERIFY(QFile::rename(profile + "/QMtod90.db", profile + "/QMtod90.DB"));
        WriteFileBytes(profile + "/notes/plan.txt", "new plan");
        // Names the restore itself uses inside its staging are files like any other.
        WriteFileBytes(profile + "/commit", "a file of the user's");
        WriteFileBytes(profile + "/notes/files", "a note");

        AddToDo(env.ArchiveFile("QMtod90.db"), "later");
        MessageBoxSeam::Reset();
        BrowseForFolderSeam::QueueFolder(profile);
        form->SpeedButtonImport->click();
        QCOMPARE(Titles(env.ArchiveFile("QMtod90.db")), QStringList{"backed up"});
        QVERIFY(!QFileInfo::exists(env.ArchiveFile("QMtod90.DB")));
        QCOMPARE(ReadFileBytes(env.ArchiveFile("notes/plan.txt")), QByteArray("new plan"));
        QCOMPARE(ReadFileBytes(env.ArchiveFile("commit")), QByteArray("a file of the user's"));
        QCOMPARE(ReadFileBytes(env.ArchiveFile("notes/files")), QByteArray("a note"));
        QVERIFY(!QFileInfo::exists(env.ArchiveFile(".qmrestore")));
        QCOMPARE(Texts(), QStringList{"Importing procedure complete! Restart me manually!"});
        QVERIFY(form->QuitConfirmed());
    }

    // A user who points the restore at the folder chosen for the backup, through the Options tab.
    void restoreFromTheFolderChosenForTheBackup() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddToDo(env.ArchiveFile("QMtod90.db"), "mine");
        WriteFileBytes(env.ArchiveFile("notes/plan.txt"), "my plan");
        ShowOptionsTab(form);
        const QString backups = MakeFolder(env, "backups");
        BrowseForFolderSeam::QueueFolder(backups);
        QTest::mouseClick(form->SpeedButtonExport, Qt::LeftButton);
        QCOMPARE(Texts(), QStringList{"Exponting procedure complete!"});
        Session::Instance().CloseAll();
        const QMap<QString, QByteArray> before = Snapshot(env.ArchiveFolder());

        // Nothing is copied, so nothing changes and nothing ends; one box names the profile folder.
        MessageBoxSeam::Reset();
        form->SpeedButtonUpdate->setEnabled(true);
        BrowseForFolderSeam::QueueFolder(backups);
        QTest::mouseClick(form->SpeedButtonImport, Qt::LeftButton);
        QCOMPARE(Texts(), (QStringList{"Nothing was restored: the backup is in the folder \"" + backups +
                                       "/testerArc\". Choose that folder to restore from it."}));
        QCOMPARE(MessageBoxSeam::Shown().last().flags, Mb::Ok | Mb::IconExclamation);
        QVERIFY(!form->QuitConfirmed());
        Session::Instance().CloseAll();
        QCOMPARE(Snapshot(env.ArchiveFolder()), before);

        // A folder without a backup in it names the folder a backup makes.
        MessageBoxSeam::Reset();
        const QString empty = MakeFolder(env, "empty");
        BrowseForFolderSeam::QueueFolder(empty);
        QTest::mouseClick(form->SpeedButtonImport, Qt::LeftButton);
        QCOMPARE(Texts(),
                 QStringList{"Nothing was restored: the folder \"" + empty +
                             "\" holds no backup. Choose the folder \"testerArc\" that the backup made."});
        QVERIFY(!form->QuitConfirmed());

        // Notes alone are restored, and the program ends once the changed note was offered for saving.
        MessageBoxSeam::Reset();
        WriteFileBytes(backups + "/notes/plan.txt", "plan beside the backup");
        BrowseForFolderSeam::QueueFolder(backups);
        QTest::mouseClick(form->SpeedButtonImport, Qt::LeftButton);
        const QStringList texts = Texts();
        QCOMPARE(texts.size(), 3);
        QCOMPARE(texts.mid(0, 2), (QStringList{"I can't find the archives!",
                                               "Importing procedure complete! Restart me manually!"}));
        QVERIFY2(texts[2].startsWith("Update the file: "), qPrintable(texts[2]));
        QCOMPARE(ReadFileBytes(env.ArchiveFile("notes/plan.txt")), QByteArray("plan beside the backup"));
        QCOMPARE(Titles(env.ArchiveFile("QMtod90.db")), QStringList{"mine"});
        QVERIFY(form->QuitConfirmed());
    }

    // A restore killed before each of its steps on the disk in turn: the next start finds the whole
    // archive as it was, or the whole backup, tables and notes, never a mix.
    void restoreKilledAtEachStepIsAllOrNothing() {
        TestEnvironment env;
        // Never filled: a tmpfs only spares the many syncs a slow disk, where one can be mounted.
        FullDisk memory(env.ArchiveFolder(), 8 * 1024 * 1024);
        TMainForm* form = env.CreateMainForm();
        const QString archive = env.ArchiveFolder();
        AddToDo(env.ArchiveFile("QMtod90.db"), "live");
        WriteFileBytes(env.ArchiveFile("Style.txt"), "0\r\n");
        WriteFileBytes(env.ArchiveFile("notes/plan.txt"), "live plan");
        const QString backups = BackUpInto(env, form);
        const QString profile = backups + "/testerArc";
        // Every file of the backup differs from the archive's.
        for (const char* table : {"QMarc80.db", "QMcon26.db", "QMtod90.db", "QMset90.db"})
            TestEnvironment::ExecOnFile(profile + "/" + table, "CREATE TABLE t (a); DROP TABLE t");
        AddToDo(profile + "/QMtod90.db", "restored");
        WriteFileBytes(profile + "/Style.txt", "1\r\n");
        WriteFileBytes(profile + "/notes/plan.txt", "backed up plan");
        WriteFileBytes(profile + "/notes/new.txt", "only in the backup");
        Session::Instance().CloseAll();
        const QMap<QString, QByteArray> before = Snapshot(archive);
        QMap<QString, QByteArray> restored = before;
        restored.insert(Snapshot(profile));

        // A restore killed as asked, then finished as the next start does before it opens any table:
        // what the start then finds, and whether the kill had left the files mixed.
        int status = 0;
        bool mixed = false;
        const auto killThenStart = [&](int step, int microseconds) {
            PutBack(archive, before);
            status = RestoreKilledAt(env, profile, step, microseconds);
            QMap<QString, QByteArray> onDisk = Snapshot(archive);
            onDisk.removeIf([](auto file) { return file.key().startsWith(".qmrestore/"); });
            mixed = onDisk != before && onDisk != restored;
            if (!FinishPendingRestore(archive).IsClean())
                return QStringLiteral("failed");
            const QMap<QString, QByteArray> after = Snapshot(archive);
            return after == before     ? QStringLiteral("before")
                   : after == restored ? QStringLiteral("restored")
                                       : QStringLiteral("mixed");
        };

        // Before each step in turn, until the restore runs to its end: the old archive, then the
        // restored one, once the point of no return is passed.
        QStringList states;
        int firstMixed = 0;
        for (int step = 1; step == 1 || (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL); ++step) {
            states << killThenStart(step, 0);
            if (mixed && !firstMixed)
                firstMixed = step;
        }
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        const qsizetype committed = states.indexOf("restored");
        QVERIFY(committed > 0);
        QCOMPARE(states,
                 QStringList(committed, "before") + QStringList(states.size() - committed, "restored"));
        QVERIFY2(firstMixed > 0, "no kill fell between the renames");
        // At moments no step chooses, over the millisecond or two a restore takes.
        for (int i = 1; i <= 20; ++i)
            QVERIFY2(QStringList({"before", "restored"}).contains(killThenStart(0, i * 100)),
                     qPrintable(QString::number(i)));

        // The start-up road itself finishes a restore killed halfway through its renames.
        PutBack(archive, before);
        QVERIFY(WIFSIGNALED(RestoreKilledAt(env, profile, firstMixed)));
        env.DestroyMainForm();
        MessageBoxSeam::Reset();
        // Finished before the look files are read.
        QCOMPARE(env.CreateMainForm()->ComboBox_Stile->currentIndex(), 1);
        QCOMPARE(Texts(), QStringList());
        Session::Instance().CloseAll();
        QCOMPARE(Snapshot(archive), restored);
    }

    // One file of the backup that cannot be copied: nothing is restored, each file is named once,
    // nothing waits, and the program goes on with the archive as it was.
    void restoreIsAllOrNothingWhenAFileCannotBeCopied_data() {
        QTest::addColumn<QString>("inTheWay");
        QTest::addColumn<QString>("firstBox");
        QTest::newRow("folder in the archive") << "archive folder"
                                               << "Can't copy: Groups.txt\rThe file \"{archive}/Groups.txt\" "
                                                  "could not be written: Is a directory.";
        QTest::newRow("FIFO in the backup")
            << "fifo"
            << "Can't copy: QMtod90.db\rThe file \"{backup}/QMtod90.db\" could not "
               "be read: it is not a regular file.";
        QTest::newRow("link in the backup")
            << "link"
            << "Can't copy: Style.txt\rThe file \"{backup}/Style.txt\" could not be read: it is a link.";
        // A file of the archive folder and a note of the same name are told apart by their folder.
        QTest::newRow("links of one name in both folders")
            << "same name"
            << "Can't copy: zz.txt\rThe file \"{backup}/zz.txt\" could not be read: it is a link.";
    }
    void restoreIsAllOrNothingWhenAFileCannotBeCopied() {
        QFETCH(QString, inTheWay);
        QFETCH(QString, firstBox);
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        ShowOptionsTab(form);
        const QString backups = BackUpInto(env, form);
        const QString profile = backups + "/testerArc";
        AddToDo(profile + "/QMtod90.db", "from the backup");
        WriteFileBytes(profile + "/Groups.txt", "Family\r\n");
        WriteFileBytes(profile + "/Style.txt", "1\r\n");
        WriteFileBytes(profile + "/notes/plan.txt", "the backup's plan");
        if (inTheWay == "archive folder") {
            QDir().mkpath(env.ArchiveFile("Groups.txt"));
        } else if (inTheWay == "fifo") {
            QVERIFY(QFile::remove(profile + "/QMtod90.db"));
            QCOMPARE(::mkfifo(QFile::encodeName(profile + "/QMtod90.db").constData(), 0600), 0);
        } else if (inTheWay == "same name") {
            QVERIFY(QFile::link(profile + "/Style.txt", profile + "/zz.txt"));
            QVERIFY(QFile::link(profile + "/Style.txt", profile + "/notes/zz.txt"));
        } else {
            QVERIFY(QFile::rename(profile + "/Style.txt", profile + "/Style.real"));
            QVERIFY(QFile::link(profile + "/Style.real", profile + "/Style.txt"));
        }
        Session::Instance().CloseAll();
        const QMap<QString, QByteArray> before = Snapshot(env.ArchiveFolder());
        MessageBoxSeam::Reset();

        bool ticked = false;
        QTimer::singleShot(0, form, [&ticked] { ticked = true; });
        BrowseForFolderSeam::QueueFolder(profile);
        QTest::mouseClick(form->SpeedButtonImport, Qt::LeftButton);
        QTRY_VERIFY(ticked);
        const QList<ShownBox> shown = MessageBoxSeam::Shown();
        const bool twice = inTheWay == "same name";
        QCOMPARE(shown.size(), twice ? 3 : 2);
        QCOMPARE(shown[0].text,
                 firstBox.replace("{archive}", env.ArchiveFolder()).replace("{backup}", profile));
        const QString name = twice ? "zz.txt, notes/zz.txt" : firstBox.section(' ', 2, 2).section('\r', 0, 0);
        if (twice)
            QVERIFY(shown[1].text.startsWith("Can't copy: notes/zz.txt\r"));
        QCOMPARE(shown.last().text,
                 "Importing procedure failed! Nothing was restored, because these files could "
                 "not be copied: " +
                     name + ". Your archive keeps its old content.");
        QCOMPARE(shown.last().flags, Mb::Ok | Mb::IconExclamation);
        QVERIFY(!form->QuitConfirmed());
        Session::Instance().CloseAll();
        QCOMPARE(Snapshot(env.ArchiveFolder()), before);
    }

    // Staging in a shared working folder that is not the user's own: a link, or another user's
    // folder, marker or file. A start leaves it exactly as it is, uses nothing of it and names it
    // once; a restore then refuses to begin.
    void stagingNotTheUsersOwnIsLeftAlone_data() {
        QTest::addColumn<QString>("planted");
        QTest::addColumn<bool>("otherUser");
        QTest::newRow("link to a folder of files") << "link" << false;
        QTest::newRow("link to a folder with a marker") << "link+marker" << false;
        QTest::newRow("other user's staging and marker") << "other" << true;
        QTest::newRow("other user's staging, files beside the marker") << "other+beside" << true;
        QTest::newRow("other user's marker in own staging") << "own+other marker" << true;
        QTest::newRow("other user's staged table") << "own+other file" << true;
    }
    void stagingNotTheUsersOwnIsLeftAlone() {
        QFETCH(QString, planted);
        QFETCH(bool, otherUser);
        if (otherUser && ::geteuid() != 0)
            QSKIP("another user's files can be made only as root");
        TestEnvironment env;
        const QString shared = MakeFolder(env, "shared");
        QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
        QVERIFY(QDir().mkpath(env.ArchiveFolder()));
        QVERIFY(SaveTextLines(env.ArchiveFile("Net.txt"), {shared}));
        env.CreateMainForm();
        TestEnvironment::ExecOnFile(shared + "/QMcon26.db", "INSERT INTO QMcon26 (ragsoc) VALUES ('Anna')");
        env.DestroyMainForm();
        const QMap<QString, QByteArray> tables = Snapshot(shared);

        // What another user leaves: a marker naming the contacts table and their own file by that name.
        const QString staging = shared + "/.qmrestore";
        const QString docs = MakeFolder(env, "docs");
        WriteFileBytes(docs + "/letter.txt", "dear");
        const QString target = planted.startsWith("link") ? docs : staging;
        QString leftAlone = staging;
        if (planted != "link") {
            WriteFileBytes(target + "/commit", "QMcon26.db\n");
            WriteFileBytes(target + (planted.endsWith("beside") ? "/" : "/files/") + "QMcon26.db", "theirs");
        }
        if (planted.startsWith("link"))
            QVERIFY(QFile::link(docs, staging));
        const auto giveAway = [](const QString& path) {
            QCOMPARE(::lchown(QFile::encodeName(path).constData(), 65534, 65534), 0);
            QCOMPARE(::chmod(QFile::encodeName(path).constData(), QFileInfo(path).isDir() ? 0777 : 0666), 0);
        };
        if (planted.startsWith("other")) {
            for (const QString& file : Snapshot(staging).keys())
                giveAway(staging + "/" + file);
            if (QFileInfo::exists(staging + "/files"))
                giveAway(staging + "/files");
            giveAway(staging);
        } else if (planted == "own+other marker") {
            giveAway(staging + "/commit");
            leftAlone = staging + "/commit";
        } else if (planted == "own+other file") {
            giveAway(staging + "/files/QMcon26.db");
        }
        const QMap<QString, QByteArray> plantedFiles = Snapshot(staging);

        MessageBoxSeam::Reset();
        env.CreateMainForm();
        env.DestroyMainForm();
        QCOMPARE(Snapshot(docs).value("letter.txt"), QByteArray("dear"));
        QCOMPARE(QFileInfo(staging).isSymLink(), planted.startsWith("link"));
        if (planted == "own+other file") {
            // The marker was the user's: the restore is finished but for the file it cannot trust.
            QCOMPARE(Texts().size(), 1);
            QVERIFY2(
                Texts()[0].startsWith("Importing procedure failed! These files were not restored and keep "
                                      "their old content: QMcon26.db.\r"),
                qPrintable(Texts()[0]));
            QCOMPARE(ReadFileBytes(staging + "/files/QMcon26.db"), QByteArray("theirs"));
            leftAlone = staging + "/files/QMcon26.db";
        } else {
            QCOMPARE(Texts(), QStringList{LeftAloneText({leftAlone})});
            QCOMPARE(Snapshot(staging), plantedFiles);
        }
        QMap<QString, QByteArray> now = Snapshot(shared);
        now.removeIf([](auto file) { return file.key().startsWith(".qmrestore/"); });
        QCOMPARE(now, tables);

        // A restore cannot begin while it is there.
        TMainForm* form = env.CreateMainForm();
        ShowOptionsTab(form);
        const QString backups = BackUpInto(env, form);
        MessageBoxSeam::Reset();
        BrowseForFolderSeam::QueueFolder(backups + "/testerArc");
        QTest::mouseClick(form->SpeedButtonImport, Qt::LeftButton);
        QCOMPARE(Texts(), QStringList{"Importing procedure failed! " + LeftAloneText({leftAlone})});
        QVERIFY(!form->QuitConfirmed());
        QCOMPARE(Snapshot(docs).value("letter.txt"), QByteArray("dear"));
    }

    // A working folder everyone may write (1777) with another user planting in it; the folder is
    // another user's (the archive is then the user's private subfolder) or the user's own. Each ends
    // with the user's tables and notes as they were or wholly restored, none of them readable by the
    // other user, nothing outside the archive changed, and one message.
    void sharedWorkingFolderWithAnotherUser_data() {
        QTest::addColumn<bool>("othersFolder");
        QTest::addColumn<QString>("planted");
        QTest::newRow("another user's folder: notes folder and note link") << true << "notes";
        QTest::newRow("another user's folder: private folder taken") << true << "private";
        QTest::newRow("another user's folder: restore staging") << true << "staging";
        QTest::newRow("own folder: another user's target file") << false << "target";
        QTest::newRow("own folder: hot journal") << false << "journal";
        QTest::newRow("own folder: notes folder a link") << false << "notes link";
        QTest::newRow("own folder: link swapped during the restore") << false << "swap";
        QTest::newRow("own folder: link there only while staging") << false << "link while staging";
    }
    void sharedWorkingFolderWithAnotherUser() {
        QFETCH(bool, othersFolder);
        QFETCH(QString, planted);
        if (::geteuid() != 0)
            QSKIP("another user's files and processes can be made only as root");
        TestEnvironment env;
        QCOMPARE(::chmod(QFile::encodeName(env.ProgramFolder()).constData(), 0755), 0);
        const QString docs = MakeFolder(env, "docs"); // the user's, outside the archive
        WriteFileBytes(docs + "/letter.txt", "dear");
        QCOMPARE(::chmod(QFile::encodeName(docs + "/letter.txt").constData(), 0600), 0);

        // A backup of the default archive to restore from.
        TMainForm* form = env.CreateMainForm();
        AddToDo(env.ArchiveFile("QMtod90.db"), "from the backup");
        WriteFileBytes(env.ArchiveFile("notes/plan.txt"), "the backup's plan");
        WriteFileBytes(env.ArchiveFile("Groups.txt"), "Family\r\n");
        const QString backups = BackUpInto(env, form);
        env.DestroyMainForm();
        Session::Instance().CloseAll();
        const QString profile = backups + "/testerArc";
        const QMap<QString, QByteArray> backup = Snapshot(profile);

        const QString shared = MakeFolder(env, "shared");
        QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
        if (othersFolder)
            GiveToOtherUser(shared, 01777);
        QVERIFY(SaveTextLines(env.ArchiveFile("Net.txt"), {shared}));
        const QString archive = othersFolder ? shared + "/testerArc-private" : shared;
        const QString theirs = MakeFolder(env, "theirs");
        GiveToOtherUser(theirs, 0777);

        // Planted before the user first works there.
        if (planted == "notes") {
            QVERIFY(QDir().mkpath(shared + "/notes"));
            GiveToOtherUser(shared + "/notes", 0777);
            QVERIFY(QFile::link(docs + "/letter.txt", shared + "/notes/plan.txt"));
            GiveToOtherUser(shared + "/notes/plan.txt", 0);
        } else if (planted == "private") {
            QVERIFY(QDir().mkpath(archive));
            GiveToOtherUser(archive, 0777);
        } else if (planted == "notes link") {
            QVERIFY(QFile::link(theirs, shared + "/notes"));
            GiveToOtherUser(shared + "/notes", 0);
        }
        MessageBoxSeam::Reset();
        form = env.CreateMainForm();
        if (planted == "private") {
            QCOMPARE(form->ArchiveFolder, env.ArchiveFolder());
            QCOMPARE(Texts(),
                     QStringList{"The working folder \"" + shared + "\" belongs to another user, and \"" +
                                 archive +
                                 "\" belongs to the user nobody, so nothing is used from it. I work in "
                                 "the default folder."});
            QVERIFY(Snapshot(archive).isEmpty());
            return;
        }
        QCOMPARE(form->ArchiveFolder, archive);
        if (othersFolder)
            QCOMPARE(Texts(),
                     QStringList{"The working folder \"" + shared +
                                 "\" belongs to another user, so your archive, notes and settings are "
                                 "kept in your private folder \"" +
                                 archive + "\" in it."});
        else if (planted == "notes link")
            QCOMPARE(Texts(),
                     QStringList{"The notes folder \"" + shared +
                                 "/notes\" is a link, so what you keep in it is not yours alone and a "
                                 "restore leaves it as it is. Have it removed, then start Quellmire "
                                 "Organizer again."});
        else
            QCOMPARE(Texts(), QStringList{});
        if (othersFolder)
            QCOMPARE(QFileInfo(archive).permissions() & 0x0077, 0); // neither group nor others

        ShowOptionsTab(form);
        // The user's own archive.
        AddToDo(archive + "/QMtod90.db", "mine");
        if (planted != "notes link") {
            WriteFileBytes(archive + "/notes/plan.txt", "my plan");
            QCOMPARE(::chmod(QFile::encodeName(archive + "/notes/plan.txt").constData(), 0600), 0);
        }
        Session::Instance().CloseAll();
        QStringList plantedNames;
        if (planted == "staging") {
            WriteFileBytes(shared + "/.qmrestore/commit", "QMtod90.db\n");
            WriteFileBytes(shared + "/.qmrestore/files/QMtod90.db", "theirs");
            for (const QString& path :
                 {shared + "/.qmrestore/files/QMtod90.db", shared + "/.qmrestore/commit"})
                GiveToOtherUser(path, 0666);
            GiveToOtherUser(shared + "/.qmrestore/files", 0777);
            GiveToOtherUser(shared + "/.qmrestore", 0777);
        } else if (planted == "target") {
            WriteFileBytes(archive + "/Groups.txt", "theirs");
            GiveToOtherUser(archive + "/Groups.txt", 0644);
            plantedNames << "Groups.txt";
        } else if (planted == "journal") {
            // A journal another user's crash left in an archive of theirs.
            const QString copy = MakeFolder(env, "copy") + "/QMtod90.db";
            QVERIFY(QFile::copy(archive + "/QMtod90.db", copy));
            KillWriterMidTransaction(copy);
            QVERIFY(QFileInfo(copy + "-journal").size() > 0);
            QVERIFY(QFile::copy(copy + "-journal", archive + "/QMtod90.db-journal"));
            GiveToOtherUser(archive + "/QMtod90.db-journal", 0666);
            plantedNames << "QMtod90.db-journal";
        }
        const QMap<QString, QByteArray> before = Snapshot(archive);
        const QMap<QString, QByteArray> plantedShared = Snapshot(shared + "/.qmrestore");

        if (planted == "link while staging") {
            // Another user's readable file, whose mode must not pass to the user's new file.
            WriteFileBytes(theirs + "/passwd", "root:x:0:0");
            GiveToOtherUser(theirs + "/passwd", 0644);
            SetRestoreStepHookForTest([&, linked = false, removed = false]() mutable {
                const QString link = archive + "/Groups.txt";
                if (!linked) {
                    linked = QFile::link(theirs + "/passwd", link);
                    ::lchown(QFile::encodeName(link).constData(), kOtherUser, kOtherUser);
                } else if (!removed && QFileInfo::exists(archive + "/.qmrestore/files/Groups.txt")) {
                    removed = QFile::remove(link);
                }
            });
        }
        const QMap<QString, QByteArray> theirsBefore = Snapshot(theirs);
        std::unique_ptr<HelperProcess> swapper;
        if (planted == "swap")
            swapper = std::make_unique<HelperProcess>(
                "asOtherUser", QStringList{"swap", archive + "/Groups.txt", docs + "/letter.txt"});
        MessageBoxSeam::Reset();
        BrowseForFolderSeam::QueueFolder(profile);
        QTest::mouseClick(form->SpeedButtonImport, Qt::LeftButton);
        swapper.reset();
        SetRestoreStepHookForTest(nullptr);
        Session::Instance().CloseAll();
        if (QFileInfo(archive + "/Groups.txt").isSymLink()) // the last link the other user left
            QVERIFY(QFile::remove(archive + "/Groups.txt"));

        const QStringList texts = Texts();
        QCOMPARE(texts.size(), 1);
        QMap<QString, QByteArray> after = Snapshot(archive);
        if (texts[0] == "Importing procedure complete! Restart me manually!") {
            QVERIFY(planted == "notes" || planted == "staging" || planted == "swap" ||
                    planted == "link while staging");
            for (auto file = backup.begin(); file != backup.end(); ++file)
                QCOMPARE(after.value(file.key()), file.value());
        } else {
            QVERIFY2(texts[0].startsWith("Importing procedure failed! Nothing was restored, because "),
                     qPrintable(texts[0]));
            QCOMPARE(after, before);
            if (planted == "target")
                QVERIFY(texts[0].contains("\"" + archive + "/Groups.txt\" belongs to the user nobody"));
            if (planted == "journal")
                QVERIFY(
                    texts[0].contains("\"" + archive + "/QMtod90.db-journal\" belongs to the user nobody"));
            if (planted == "notes link")
                QVERIFY(texts[0].contains("the notes folder \"" + archive + "/notes\" is a link"));
        }
        for (const QString& name : plantedNames)
            after.remove(name);
        QStringList paths{QStringLiteral("readable")};
        for (const QString& name : after.keys())
            paths << archive + "/" + name;
        const int status = RunHelper("asOtherUser", paths);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(Snapshot(docs), (QMap<QString, QByteArray>{{"letter.txt", "dear"}}));
        QCOMPARE(QFileInfo(docs + "/letter.txt").permissions() & 0x0077, 0);
        QCOMPARE(Snapshot(theirs), theirsBefore);
        if (planted == "link while staging")
            QCOMPARE(texts[0], QStringLiteral("Importing procedure complete! Restart me manually!"));
        QCOMPARE(Snapshot(shared + "/.qmrestore"), plantedShared);
        if (planted == "notes")
            QVERIFY(QFileInfo(shared + "/notes/plan.txt").isSymLink());

        // A journal another user put there is never played back: the table is not opened, and one
        // message names the journal.
        if (planted == "journal") {
            env.DestroyMainForm();
            MessageBoxSeam::Reset();
            env.CreateMainForm();
            QCOMPARE(Texts().size(), 1);
            QVERIFY2(Texts()[0].startsWith("The table file " + archive +
                                           "/QMtod90.db cannot be used: its journal " + archive +
                                           "/QMtod90.db-journal belongs to the user nobody"),
                     qPrintable(Texts()[0]));
            Session::Instance().CloseAll();
            QCOMPARE(Snapshot(archive), before);
        }
    }

    // A notes folder on another disk could not be replaced with the tables all or nothing: the
    // restore is refused before anything is replaced, naming the folder.
    void restoreRefusesANotesFolderOnAnotherDisk_data() {
        QTest::addColumn<bool>("link");
        QTest::newRow("notes folder a link to another disk") << true;
        QTest::newRow("another disk mounted on the notes folder") << false;
    }
    void restoreRefusesANotesFolderOnAnotherDisk() {
        QFETCH(bool, link);
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        ShowOptionsTab(form);
        AddToDo(env.ArchiveFile("QMtod90.db"), "from the backup");
        WriteFileBytes(env.ArchiveFile("notes/plan.txt"), "the backup's plan");
        const QString backups = BackUpInto(env, form);
        AddToDo(env.ArchiveFile("QMtod90.db"), "mine");
        const QString notes = env.ArchiveFile("notes");
        QVERIFY(QDir(notes).removeRecursively());
        FullDisk disk(link ? env.ProgramFolder() + "second" : notes, 1024 * 1024);
        QM_REQUIRE_FULL_DISK(disk);
        if (link)
            QVERIFY(QFile::link(disk.Folder(), notes));
        WriteFileBytes(env.ArchiveFile("notes/plan.txt"), "my plan");
        Session::Instance().CloseAll();
        const QMap<QString, QByteArray> before = Snapshot(env.ArchiveFolder());

        MessageBoxSeam::Reset();
        BrowseForFolderSeam::QueueFolder(backups + "/testerArc");
        QTest::mouseClick(form->SpeedButtonImport, Qt::LeftButton);
        QCOMPARE(Texts(),
                 QStringList{
                     "Importing procedure failed! Nothing was restored, because the notes folder \"" + notes +
                     (link ? "\" is a link"
                           : "\" is on another disk than the archive folder \"" + env.ArchiveFolder() +
                                 "\", so its notes could not be replaced together with the tables") +
                     ". Your archive keeps its old content."});
        QVERIFY(!form->QuitConfirmed());
        Session::Instance().CloseAll();
        QCOMPARE(Snapshot(env.ArchiveFolder()), before);
    }

    // A rename that fails once the marker is written leaves the marker and what is still staged:
    // the box says so, and the next start finishes the restore. Never half old, half new for good.
    void aRenameThatFailsAfterTheMarkerIsFinishedAtTheNextStart() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        ShowOptionsTab(form);
        AddToDo(env.ArchiveFile("QMtod90.db"), "from the backup");
        WriteFileBytes(env.ArchiveFile("notes/plan.txt"), "the backup's plan");
        const QString backups = BackUpInto(env, form);
        const QString profile = backups + "/testerArc";
        Session::Instance().CloseAll();
        const QMap<QString, QByteArray> backup = Snapshot(profile);
        AddToDo(env.ArchiveFile("QMtod90.db"), "mine");
        WriteFileBytes(env.ArchiveFile("notes/plan.txt"), "my plan");

        // Once the marker stands, a folder with a file in it takes the note's place.
        const QString blocker = env.ArchiveFile("notes/plan.txt");
        SetRestoreStepHookForTest([&] {
            if (QFileInfo::exists(env.ArchiveFile(".qmrestore/commit")) && QFileInfo(blocker).isFile()) {
                QFile::remove(blocker);
                WriteFileBytes(blocker + "/inside", "x");
            }
        });
        MessageBoxSeam::Reset();
        BrowseForFolderSeam::QueueFolder(profile);
        QTest::mouseClick(form->SpeedButtonImport, Qt::LeftButton);
        SetRestoreStepHookForTest(nullptr);
        const QString notFinished =
            "Importing procedure not finished! These files are not restored yet: plan.txt.\r"
            "The file \"" +
            blocker +
            "\" could not be written: Is a directory.\rThey stay staged, and the restore "
            "is finished at the next start.";
        QCOMPARE(Texts(), QStringList{notFinished + " Restart me manually!"});
        QVERIFY(form->QuitConfirmed());
        QVERIFY(QFileInfo::exists(env.ArchiveFile(".qmrestore/commit")));
        QCOMPARE(ReadFileBytes(env.ArchiveFile(".qmrestore/files/notes/plan.txt")),
                 QByteArray("the backup's plan"));

        // Still in the way: the next start says so again, and a restore cannot begin over it.
        env.DestroyMainForm();
        MessageBoxSeam::Reset();
        form = env.CreateMainForm();
        QCOMPARE(Texts(), QStringList{notFinished});
        ShowOptionsTab(form);
        MessageBoxSeam::Reset();
        BrowseForFolderSeam::QueueFolder(profile);
        QTest::mouseClick(form->SpeedButtonImport, Qt::LeftButton);
        QCOMPARE(Texts(),
                 QStringList{"Importing procedure failed! An earlier restore is not finished: plan.txt.\r"
                             "The file \"" +
                             blocker +
                             "\" could not be written: Is a directory.\rIt is finished at the next start."});
        QVERIFY(!form->QuitConfirmed());
        QVERIFY(QFileInfo::exists(env.ArchiveFile(".qmrestore/commit")));

        // Out of the way: the start after finishes it, and says nothing.
        env.DestroyMainForm();
        QVERIFY(QDir(blocker).removeRecursively());
        MessageBoxSeam::Reset();
        env.CreateMainForm();
        QCOMPARE(Texts(), QStringList{});
        env.DestroyMainForm();
        Session::Instance().CloseAll();
        QVERIFY(!QFileInfo::exists(env.ArchiveFile(".qmrestore")));
        const QMap<QString, QByteArray> after = Snapshot(env.ArchiveFolder());
        for (auto file = backup.begin(); file != backup.end(); ++file)
            QCOMPARE(after.value(file.key()), file.value());
    }

    // An archive on a disk mounted read-only: the box names the archive folder and the system's reason.
    void restoreIntoAReadOnlyArchiveNamesTheFolder() {
        TestEnvironment env;
        FullDisk disk(env.ArchiveFolder(), 1024 * 1024);
        QM_REQUIRE_FULL_DISK(disk);
        TMainForm* form = env.CreateMainForm();
        ShowOptionsTab(form);
        const QString backups = BackUpInto(env, form);
        Session::Instance().CloseAll();
        const QMap<QString, QByteArray> before = Snapshot(env.ArchiveFolder());
        QCOMPARE(::mount(nullptr, QFile::encodeName(disk.Folder()).constData(), nullptr,
                         MS_REMOUNT | MS_RDONLY, nullptr),
                 0);
        MessageBoxSeam::Reset();
        BrowseForFolderSeam::QueueFolder(backups + "/testerArc");
        QTest::mouseClick(form->SpeedButtonImport, Qt::LeftButton);
        QCOMPARE(Texts(),
                 QStringList{"Importing procedure failed! The archive folder \"" + env.ArchiveFolder() +
                             "\" could not be written: Read-only file system."});
        QVERIFY(!form->QuitConfirmed());
        QCOMPARE(Snapshot(env.ArchiveFolder()), before);
        QCOMPARE(::mount(nullptr, QFile::encodeName(disk.Folder()).constData(), nullptr, MS_REMOUNT, nullptr),
                 0);
    }

    // The private folder in another user's working folder: made once and said once; anything else
    // standing under its name is used for nothing, named with why, and the default archive is kept.
    void privateFolderInAnotherUsersWorkingFolder_data() {
        QTest::addColumn<QString>("standing");
        QTest::addColumn<QString>("why");
        QTest::newRow("nothing yet") << ""
                                     << "";
        QTest::newRow("the user's own link to a folder") << "link"
                                                         << "is a link";
        QTest::newRow("a file") << "file"
                                << "is not a folder";
    }
    void privateFolderInAnotherUsersWorkingFolder() {
        QFETCH(QString, standing);
        QFETCH(QString, why);
        if (::geteuid() != 0)
            QSKIP("another user's folder can be made only as root");
        TestEnvironment env;
        const QString shared = MakeFolder(env, "shared");
        GiveToOtherUser(shared, 01777);
        QVERIFY(QDir().mkpath(env.ArchiveFolder()));
        QVERIFY(SaveTextLines(env.ArchiveFile("Net.txt"), {shared}));
        const QString own = shared + "/testerArc-private";
        const QString elsewhere = MakeFolder(env, "elsewhere");
        if (standing == "link")
            QVERIFY(QFile::link(elsewhere, own));
        else if (standing == "file")
            WriteFileBytes(own, "a file");

        TMainForm* form = env.CreateMainForm();
        if (standing.isEmpty()) {
            QCOMPARE(form->ArchiveFolder, own);
            QCOMPARE(form->NotesFolder, own + "/notes");
            QCOMPARE(Texts().size(), 1);
            QVERIFY(QFileInfo::exists(own + "/QMtod90.db"));
            QCOMPARE(int(QFileInfo(own).permissions() & 0x0077), 0);
            env.DestroyMainForm();
            MessageBoxSeam::Reset();
            form = env.CreateMainForm();
            QCOMPARE(form->ArchiveFolder, own);
            QCOMPARE(Texts(), QStringList{});
            return;
        }
        QCOMPARE(form->ArchiveFolder, env.ArchiveFolder());
        QCOMPARE(Texts(),
                 QStringList{"The working folder \"" + shared + "\" belongs to another user, and \"" + own +
                             "\" " + why + ", so nothing is used from it. I work in the default folder."});
        QVERIFY(Snapshot(elsewhere).isEmpty());
        QCOMPARE(QFileInfo(own).isSymLink(), standing == "link");
    }

    void backupOntoAFullDiskKeepsTheOldBackup() {
        TestEnvironment env;
        FullDisk disk(env.ProgramFolder() + "backups", 1024 * 1024);
        QM_REQUIRE_FULL_DISK(disk);
        TMainForm* form = env.CreateMainForm();
        AddToDo(env.ArchiveFile("QMtod90.db"), "first");
        WriteFileBytes(env.ArchiveFile("notes/plan.txt"), "old plan");
        BrowseForFolderSeam::QueueFolder(disk.Folder());
        form->SpeedButtonExport->click();
        QCOMPARE(Texts(), QStringList{"Exponting procedure complete!"});
        const QString profile = disk.Folder() + "/testerArc";
        const QMap<QString, QByteArray> before = Snapshot(profile);
        QVERIFY(before.contains("QMtod90.db") && before.contains("notes/plan.txt"));

        AddToDo(env.ArchiveFile("QMtod90.db"), "second");
        WriteFileBytes(env.ArchiveFile("notes/plan.txt"), "new plan, longer than the old one");
        disk.Fill();
        MessageBoxSeam::Reset();
        BrowseForFolderSeam::QueueFolder(disk.Folder());
        form->SpeedButtonExport->click();

        QCOMPARE(Snapshot(profile), before);
        QCOMPARE(Titles(profile + "/QMtod90.db"), QStringList{"first"});
        const QStringList texts = Texts();
        QVERIFY(NoneSaysComplete(texts));
        QVERIFY(texts.contains(" Error coping: QMtod90.db\rThe file \"" + profile +
                               "/QMtod90.db\" could not be written: No space left on device."));
        QVERIFY(texts.contains(" I can't copy: plan.txt\rThe file \"" + profile +
                               "/notes/plan.txt\" could not be written: No space left on device."));
        const ShownBox last = MessageBoxSeam::Shown().last();
        QVERIFY2(last.text.startsWith("Exporting procedure failed!") && last.text.contains("QMtod90.db") &&
                     last.text.contains("notes/plan.txt"),
                 qPrintable(last.text));
        QCOMPARE(last.flags, Mb::Ok | Mb::IconExclamation);
        QVERIFY(!form->QuitConfirmed());
    }

    // Room for all but the largest file of the backup: nothing is restored, and the box says which.
    void restoreOntoAFullDiskKeepsTheArchive() {
        TestEnvironment env;
        FullDisk disk(env.ArchiveFolder(), 1024 * 1024);
        QM_REQUIRE_FULL_DISK(disk);
        TMainForm* form = env.CreateMainForm();
        ShowOptionsTab(form);
        AddToDo(env.ArchiveFile("QMtod90.db"), "mine");
        WriteFileBytes(env.ArchiveFile("notes/plan.txt"), "my plan");
        const QString backups = BackUpInto(env, form);
        const QString profile = backups + "/testerArc";
        AddToDo(profile + "/QMtod90.db", "from the backup");
        TestEnvironment::ExecOnFile(
            profile + "/QMcon26.db",
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
            "INSERT INTO QMcon26 (ragsoc, note) SELECT 'Anna', printf('%.1000c', 'x') FROM n");
        WriteFileBytes(profile + "/notes/plan.txt", "the backup's plan");
        Session::Instance().CloseAll();
        const QMap<QString, QByteArray> before = Snapshot(env.ArchiveFolder());

        disk.LeaveFree(160 * 1024);
        MessageBoxSeam::Reset();
        BrowseForFolderSeam::QueueFolder(profile);
        QTest::mouseClick(form->SpeedButtonImport, Qt::LeftButton);
        QMap<QString, QByteArray> after = Snapshot(env.ArchiveFolder());
        after.remove(".filler");
        QCOMPARE(after, before);
        QCOMPARE(Texts(),
                 (QStringList{"Can't copy: QMcon26.db\rThe file \"" + env.ArchiveFile("QMcon26.db") +
                                  "\" could not be written: No space left on device.",
                              "Importing procedure failed! Nothing was restored, because these files "
                              "could not be copied: QMcon26.db. Your archive keeps its old content."}));
        QVERIFY(!form->QuitConfirmed());
        QVERIFY(form->isVisible());
        disk.Free();
        QCOMPARE(Titles(env.ArchiveFile("QMtod90.db")), QStringList{"mine"});
    }

    void backupIntoAFolderThatCannotBeMadeSaysSo() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        // A file stands where the profile folder would go.
        const QString backups = MakeFolder(env, "backups");
        WriteFileBytes(backups + "/testerArc", "in the way");
        form->CheckBox_includeNotes->setChecked(false);
        BrowseForFolderSeam::QueueFolder(backups);
        form->SpeedButtonExport->click();
        const QStringList texts = Texts();
        QCOMPARE(texts.first(), QStringLiteral("Can't create the destination folder for the archives!"));
        QVERIFY(NoneSaysComplete(texts));
        QVERIFY2(texts.last().startsWith("Exporting procedure failed!") &&
                     texts.last().contains(backups + "/testerArc"),
                 qPrintable(texts.last()));
        QCOMPARE(ReadFileBytes(backups + "/testerArc"), QByteArray("in the way"));
    }

    void journalsNeverTravel() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString table = env.ArchiveFile("QMtod90.db");
        AddToDo(table, "backed up");
        const QString backups = BackUpInto(env, form);
        const QString profile = backups + "/testerArc";
        AddToDo(table, "after the backup");

        // A crash mid-write leaves a journal beside the table. A backup takes the table as it was
        // before that write, and leaves the journal and the writer's temporary files behind.
        KillWriterMidTransaction(table);
        QVERIFY(QFileInfo(table + "-journal").size() > 0);
        WriteFileBytes(env.ArchiveFile(".Groups.txt.qmtmp-x1"), "torn");
        MessageBoxSeam::Reset();
        BrowseForFolderSeam::QueueFolder(backups);
        form->SpeedButtonExport->click();
        QCOMPARE(Texts(), QStringList{"Exponting procedure complete!"});
        QCOMPARE(Titles(profile + "/QMtod90.db"), (QStringList{"after the backup", "backed up"}));
        QCOMPARE(TestEnvironment::RowsOfFile(profile + "/QMtod90.db", "PRAGMA integrity_check"),
                 QList<QStringList>{{"ok"}});
        QCOMPARE(QDir(profile).entryList({"*-journal", "*.qmtmp-*"}, QDir::Files | QDir::Hidden),
                 QStringList());

        // A restore over a table with a journal: the journal goes, so the next start cannot play it
        // back over the restored table. A journal in the backup folder does not come along.
        AddToDo(profile + "/QMtod90.db", "restored");
        AddToDo(table, "before the restore");
        KillWriterMidTransaction(table);
        QVERIFY(QFileInfo(table + "-journal").size() > 0);
        WriteFileBytes(profile + "/QMtod90.db-journal", ReadFileBytes(table + "-journal"));
        MessageBoxSeam::Reset();
        form->CheckBox_includeNotes->setChecked(false);
        BrowseForFolderSeam::QueueFolder(profile);
        form->SpeedButtonImport->click();
        QCOMPARE(Texts(), QStringList{"Importing procedure complete! Restart me manually!"});
        QVERIFY(!QFileInfo::exists(table + "-journal"));
        QVERIFY(QFileInfo::exists(profile + "/QMtod90.db-journal"));

        env.DestroyMainForm();
        env.CreateMainForm();
        QCOMPARE(Titles(table), (QStringList{"after the backup", "backed up", "restored"}));
        QCOMPARE(TestEnvironment::RowsOfFile(table, "PRAGMA integrity_check"), QList<QStringList>{{"ok"}});
    }

    void agentAndRegionalSettings() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->SpeedButtonAgente->click();
        QCOMPARE(Texts(), QStringList{"I can't find my agent! Repeat the installation!"});
        QVERIFY(LauncherSeam::Launches().isEmpty());

        MessageBoxSeam::Reset();
        const QString agent = env.ProgramFolder() + "qmage.exe";
        WriteFileBytes(agent, "agent");
        form->CheckBox_Autostart->setChecked(true);
        form->SpeedButtonAgente->click();
        QCOMPARE(LauncherSeam::Launches(), QStringList{agent});
        QVERIFY(!form->CheckBox_Autostart->isChecked());
        QCOMPARE(
            TestEnvironment::RowsOfFile(env.ArchiveFile("QMset90.db"), "SELECT autostart FROM QMset90")[0],
            QStringList{"N"});
        QCOMPARE(Texts(), QStringList());

        form->SpeedButton18->click();
        QCOMPARE(Texts(), QStringList{"I can't help you, go to Windows control panel!"});
    }
};

QM_TEST_MAIN_WITH_HELPERS(WorkingFolderTest)
#include "tst_workingfolder.moc"
