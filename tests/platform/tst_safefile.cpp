#include "platform/SafeFile.h"
#include "support/FileBytes.h"
#include "support/FullDisk.h"
#include "support/HelperProcess.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qm;

namespace {

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(path));
}

// Every name in the folder, hidden ones included.
QStringList Names(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

mode_t ModeOf(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

QByteArray Pattern(char c, int size) {
    QByteArray bytes(size, c);
    for (int i = 0; i < size; i += 97)
        bytes[i] = '\n';
    return bytes;
}

// Writes under a limit of 4 KiB for any file, so that a write fails with EFBIG; the exit code has a
// bit for each check that failed.
QM_TEST_HELPER(writeUnderFileSizeLimit) {
    const QString path = arguments.value(0);
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    QString error;
    int code = 0;
    if (WriteFileAtomically(path, Pattern('n', 10000), &error) || !error.contains("File too large"))
        code |= 1;
    if (CopyFileAtomically(arguments.value(1), path, &error) || !error.contains("File too large"))
        code |= 2;
    if (!WriteFileAtomically(path, "fits"))
        code |= 4;
    return code;
}

const QByteArray kVersions[] = {Pattern('a', 256 * 1024), Pattern('b', 300 * 1024), Pattern('c', 200 * 1024)};

// Writes the versions in turn for ever, the third as a copy of `source`, telling the descriptor
// `progress` when it is ready and after each whole write.
QM_TEST_HELPER(writeForever) {
    const QString path = arguments.value(0);
    const QString source = arguments.value(1);
    const int progress = arguments.value(2).toInt();
    const char ready = 'r';
    if (::write(progress, &ready, 1) != 1)
        return 2;
    for (int i = 0;; ++i) {
        const bool ok =
            i % 3 == 2 ? CopyFileAtomically(source, path) : WriteFileAtomically(path, kVersions[i % 3]);
        if (!ok)
            return 1;
        const char done = 'w';
        if (::write(progress, &done, 1) != 1)
            return 2;
    }
}

} // namespace

class TestSafeFile : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void writesNewAndReplacesOld() {
        const QString path = dir_->filePath("plain.txt");
        QString error = "stale";
        QVERIFY(WriteFileAtomically(path, "first", &error));
        QVERIFY(error.isEmpty());
        QCOMPARE(ReadBytes(path), QByteArray("first"));
        // A new file is private to its user.
        QCOMPARE(ModeOf(path), mode_t(0600));

        // An existing file keeps its mode, and an empty text makes an empty file.
        ::chmod(QFile::encodeName(path).constData(), 0640);
        QVERIFY(WriteFileAtomically(path, QByteArray(), &error));
        QCOMPARE(ReadBytes(path), QByteArray());
        QCOMPARE(ModeOf(path), mode_t(0640));
        QCOMPARE(Names(dir_->path()), QStringList{"plain.txt"});
        // Another user's file gives its mode to nobody's new content: the new file is private.
        if (::geteuid() == 0) {
            QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
            ::chmod(QFile::encodeName(path).constData(), 0666);
            QVERIFY(WriteFileAtomically(path, "mine", &error));
            QCOMPARE(ModeOf(path), mode_t(0600));
        }

        // A copy replaces the target whole; the source is untouched.
        const QString source = dir_->filePath("source.bin");
        const QByteArray big = Pattern('s', 300 * 1024);
        WriteBytes(source, big);
        QVERIFY(CopyFileAtomically(source, path, &error));
        QCOMPARE(ReadBytes(path), big);
        QCOMPARE(ReadBytes(source), big);
        QCOMPARE(Names(dir_->path()), (QStringList{"plain.txt", "source.bin"}));
    }

    void linksAndLongNames() {
        // A link stays a link: its file gets the new text.
        const QString real = dir_->filePath("real.txt");
        const QString link = dir_->filePath("link.txt");
        WriteBytes(real, "old");
        QVERIFY(QFile::link(real, link));
        QVERIFY(WriteFileAtomically(link, "new"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadBytes(real), QByteArray("new"));

        // A name at the file system's limit still leaves room for the temporary name.
        const QString longName = dir_->filePath(QString(250, u'n'));
        QVERIFY(WriteFileAtomically(longName, "long"));
        QCOMPARE(ReadBytes(longName), QByteArray("long"));
        QCOMPARE(Names(dir_->path()).size(), 3);
    }

    // A link is followed only where the kernel's rule for shared sticky folders would follow it:
    // another user must not make the writer replace one of the user's files.
    void linksInSharedFolders_data() {
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<bool>("folderIsOthers");
        QTest::addColumn<bool>("linkIsOthers");
        QTest::addColumn<bool>("linkOnTheWay"); // a folder on the way, not the file itself
        QTest::addColumn<bool>("followed");
        QTest::newRow("another's link in a shared folder") << 01777 << false << true << false << false;
        QTest::newRow("another's folder link on the way") << 01777 << false << true << true << false;
        QTest::newRow("own link in another's shared folder") << 01777 << true << false << false << true;
        QTest::newRow("the shared folder owner's link") << 01777 << true << true << false << true;
        QTest::newRow("another's link, no sticky bit") << 0777 << false << true << false << true;
    }
    void linksInSharedFolders() {
        QFETCH(int, folderMode);
        QFETCH(bool, folderIsOthers);
        QFETCH(bool, linkIsOthers);
        QFETCH(bool, linkOnTheWay);
        QFETCH(bool, followed);
        const uid_t other = 65534;
        const QString shared = dir_->filePath("shared");
        const QString own = dir_->filePath("own");
        QVERIFY(QDir().mkpath(shared) && QDir().mkpath(own));
        const QString real = own + "/profile";
        WriteBytes(real, "old");
        const QString link = shared + (linkOnTheWay ? "/folder" : "/export.csv");
        const QString path = linkOnTheWay ? link + "/profile" : link;
        QVERIFY(QFile::link(linkOnTheWay ? own : real, link));
        if ((linkIsOthers && ::lchown(QFile::encodeName(link).constData(), other, other) != 0) ||
            (folderIsOthers && ::chown(QFile::encodeName(shared).constData(), other, other) != 0))
            QSKIP("giving a file to another user needs root");
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), mode_t(folderMode)) == 0);

        // Reads keep the same rule.
        QString error;
        QByteArray read;
        QCOMPARE(ReadFileWhole(path, &read, &error), followed);
        QCOMPARE(read, followed ? QByteArray("old") : QByteArray());
        if (!followed)
            QCOMPARE(error,
                     QStringLiteral("The file \"%1\" could not be read: it is reached through a link that "
                                    "another user put in a shared folder.")
                         .arg(path));

        QCOMPARE(WriteFileAtomically(path, "new", &error), followed);
        QCOMPARE(ReadBytes(real), QByteArray(followed ? "new" : "old"));
        QCOMPARE(error, followed ? QString()
                                 : QStringLiteral("The file \"%1\" could not be written: it is reached "
                                                  "through a link that another user put in a shared folder.")
                                       .arg(path));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(Names(own), QStringList{"profile"});
        QCOMPARE(Names(shared), linkOnTheWay ? QStringList() : QStringList{"export.csv"});
    }

    // What stands where a file is expected is refused at once, never waited on: a FIFO nobody
    // writes, a device, a folder; and a link where links are refused.
    void nonRegularFilesAreRefusedAtOnce_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("why");
        QTest::newRow("FIFO") << "fifo"
                              << "it is not a regular file";
        QTest::newRow("device") << "device"
                                << "it is not a regular file";
        QTest::newRow("folder") << "folder"
                                << "Is a directory";
        QTest::newRow("link where links are refused") << "link"
                                                      << "it is a link";
    }
    void nonRegularFilesAreRefusedAtOnce() {
        QFETCH(QString, kind);
        QFETCH(QString, why);
        QString source = dir_->filePath("source");
        const QString target = dir_->filePath("target");
        WriteBytes(target, "old");
        if (kind == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(source).constData(), 0600), 0);
        } else if (kind == "device") {
            source = "/dev/zero";
        } else if (kind == "folder") {
            QVERIFY(QDir().mkpath(source));
        } else {
            WriteBytes(dir_->filePath("real"), "real");
            QVERIFY(QFile::link(dir_->filePath("real"), source));
        }
        const LinkRule links = kind == "link" ? LinkRule::Refuse : LinkRule::FollowOwn;
        const QString expected = "The file \"" + source + "\" could not be read: " + why + ".";
        QString error;
        QByteArray read = "stale";
        ::alarm(30); // a wait on the FIFO fails the test instead of hanging it
        const auto disarm = qScopeGuard([] { ::alarm(0); });
        QVERIFY(!ReadFileWhole(source, &read, &error, links));
        QCOMPARE(error, expected);
        QCOMPARE(read, QByteArray());
        if (kind != "link") {
            QVERIFY(!CopyFileAtomically(source, target, &error));
            QCOMPARE(error, expected);
        }
        QCOMPARE(ReadBytes(target), QByteArray("old"));
    }

    // A read takes in at most its bound, whatever fstat says: a sparse giant is refused before it is
    // read, a file that reports no size (as /proc's do) when the bound is passed.
    void readsAreBounded_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<bool>("read");
        QTest::newRow("1 GB sparse, small file") << "sparse" << kSmallFileLimit << false;
        QTest::newRow("1 GB sparse, document") << "sparse" << kDocumentLimit << false;
        QTest::newRow("exactly the limit") << "limit" << qint64(4096) << true;
        QTest::newRow("one byte past") << "past" << qint64(4096) << false;
        QTest::newRow("no size reported") << "proc" << qint64(16) << false;
    }
    void readsAreBounded() {
        QFETCH(QString, kind);
        QFETCH(qint64, limit);
        QFETCH(bool, read);
        QString path = dir_->filePath("TabFont.txt");
        if (kind == "sparse")
            WriteSparseFile(path, qint64(1) << 30);
        else if (kind == "proc")
            path = "/proc/self/status";
        else
            WriteBytes(path, Pattern('x', int(limit) + (kind == "past" ? 1 : 0)));
        QByteArray data = "stale";
        QString error;
        QCOMPARE(ReadFileWhole(path, &data, &error, LinkRule::FollowOwn, limit), read);
        if (read) {
            QCOMPARE(data.size(), limit);
            QCOMPARE(error, QString());
        } else {
            QCOMPARE(data, QByteArray());
            QCOMPARE(errno, EFBIG);
            QCOMPARE(error, TooLargeText(path, limit));
            QVERIFY2(error.startsWith("The file \"" + path + "\" could not be read: it is larger than "),
                     qPrintable(error));
        }
    }

    // Opened in a folder's descriptor: the rule holds for the last name, messages name the file.
    void opensInAFolderDescriptor() {
        const QString folder = dir_->filePath("lock");
        QVERIFY(QDir().mkpath(folder));
        WriteBytes(folder + "/LCK..ttyS1", "      4242\n");
        QVERIFY(QFile::link(folder + "/LCK..ttyS1", folder + "/LCK..ttyS2"));
        const UniqueFd folderFd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY));
        QVERIFY(folderFd);
        QString error;
        UniqueFd fd = OpenRegularFileAt(folderFd.get(), "LCK..ttyS1", LinkRule::Refuse, &error);
        QVERIFY2(fd, qPrintable(error));
        const UniqueFd moved = std::move(fd);
        QVERIFY(!fd && moved);
        QByteArray data;
        QVERIFY(ReadAll(moved.get(), kLockFileLimit, &data, folder + "/LCK..ttyS1", &error));
        QCOMPARE(data, QByteArray("      4242\n"));
        QVERIFY(!OpenRegularFileAt(folderFd.get(), "LCK..ttyS2", LinkRule::Refuse, &error));
        QCOMPARE(error, "The file \"" + folder + "/LCK..ttyS2\" could not be read: it is a link.");
        QVERIFY(OpenRegularFileAt(folder, "LCK..ttyS2", LinkRule::FollowOwn, &error));
        QVERIFY(!OpenRegularFileAt(folderFd.get(), "LCK..ttyS3", LinkRule::Refuse, &error, "shown"));
        QCOMPARE(errno, ENOENT);
        QCOMPARE(error, QStringLiteral("The file \"shown\" could not be read: No such file or directory."));
    }

    void failuresNameTheFileAndLeaveNothing() {
        QString error;
        const QString missing = dir_->filePath("no/such/folder/out.txt");
        QVERIFY(!WriteFileAtomically(missing, "x", &error));
        QCOMPARE(
            error,
            QStringLiteral("The file \"%1\" could not be written: No such file or directory.").arg(missing));

        const QString folder = dir_->filePath("folder");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(!WriteFileAtomically(folder, "x", &error));
        QCOMPARE(error, QStringLiteral("The file \"%1\" could not be written: Is a directory.").arg(folder));
        QVERIFY(QFileInfo(folder).isDir());

        const QString target = dir_->filePath("target.txt");
        WriteBytes(target, "kept");
        QVERIFY(!CopyFileAtomically(dir_->filePath("absent"), target, &error));
        QCOMPARE(error, QStringLiteral("The file \"%1\" could not be read: No such file or directory.")
                            .arg(dir_->filePath("absent")));
        QVERIFY(!CopyFileAtomically(folder, target, &error));
        QVERIFY2(error.contains("could not be read: Is a directory"), qPrintable(error));
        QCOMPARE(ReadBytes(target), QByteArray("kept"));
        QCOMPARE(Names(dir_->path()), QStringList{"target.txt"});
        QVERIFY(!WriteFileAtomically(missing, "x")); // no message wanted
    }

    void fullDiskKeepsTheOldFile() {
        FullDisk disk(dir_->filePath("disk"));
        QM_REQUIRE_FULL_DISK(disk);
        const QString path = disk.Folder() + "/Groups.txt";
        const QString source = dir_->filePath("source.txt");
        WriteBytes(path, "Family\r\n");
        WriteBytes(source, Pattern('c', 5000));
        disk.Fill();

        // Small enough to sit in any write buffer: the failure must still be seen.
        QString error;
        QVERIFY(!WriteFileAtomically(path, "Family\r\nWork\r\n", &error));
        QCOMPARE(error,
                 QStringLiteral("The file \"%1\" could not be written: No space left on device.").arg(path));
        QVERIFY(!CopyFileAtomically(source, path, &error));
        QVERIFY2(error.contains("No space left on device"), qPrintable(error));
        QCOMPARE(ReadBytes(path), QByteArray("Family\r\n"));
        QCOMPARE(Names(disk.Folder()), (QStringList{".filler", "Groups.txt"}));

        // Room for a part but not for the whole.
        disk.Free();
        const QByteArray tooBig = Pattern('b', 200 * 1024);
        QVERIFY(!WriteFileAtomically(path, tooBig, &error));
        QVERIFY2(error.contains("No space left on device"), qPrintable(error));
        QCOMPARE(ReadBytes(path), QByteArray("Family\r\n"));
        QCOMPARE(Names(disk.Folder()), QStringList{"Groups.txt"});

        // With room again the same write goes through.
        QVERIFY(WriteFileAtomically(path, "Family\r\nWork\r\n", &error));
        QCOMPARE(ReadBytes(path), QByteArray("Family\r\nWork\r\n"));
    }

    void fileSizeLimitKeepsTheOldFile() {
        const QString path = dir_->filePath("limited.txt");
        const QString source = dir_->filePath("source.txt");
        WriteBytes(path, "old");
        WriteBytes(source, Pattern('c', 64 * 1024));
        const int status = RunHelper("writeUnderFileSizeLimit", {path, source});
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(ReadBytes(path), QByteArray("fits"));
        QCOMPARE(Names(dir_->path()), (QStringList{"limited.txt", "source.txt"}));
    }

    // A writer killed anywhere leaves the old bytes or the new, never a torn or empty file, and the
    // temporary file it leaves is one the sweep removes.
    void killedWritesLeaveOldOrNew() {
        const QString path = dir_->filePath("Note0");
        const QString source = dir_->filePath("source");
        const QByteArray* versions = kVersions;
        WriteBytes(path, versions[0]);
        WriteBytes(source, versions[2]);
        auto* random = QRandomGenerator::global();
        int torn = 0;
        for (int round = 0; round < 30; ++round) {
            int progress[2];
            QVERIFY(::pipe(progress) == 0);
            HelperProcess writer("writeForever", {path, source, QString::number(progress[1])});
            QVERIFY(writer.Started());
            ::close(progress[1]);
            // Kill after a random number of whole writes, a random moment into the next one.
            const int writes = int(random->bounded(4));
            char done;
            for (int i = 0; i <= writes; ++i) // the first tells that it is ready
                QCOMPARE(::read(progress[0], &done, 1), ssize_t(1));
            // A busy wait of random length, not a sleep: the kill lands anywhere in the next write.
            const quint32 spins = random->bounded(200000u);
            for (quint32 n = 0; n < spins; ++n)
                asm volatile("" ::: "memory");
            writer.Kill(SIGKILL);
            QVERIFY2(WIFSIGNALED(writer.Wait()), "the writer ended before it was killed");
            ::close(progress[0]);

            const QByteArray now = ReadBytes(path);
            if (now != versions[0] && now != versions[1] && now != versions[2])
                ++torn;
            for (const QString& name : Names(dir_->path()))
                QVERIFY2(name == "Note0" || name == "source" || IsTemporaryFileName(name), qPrintable(name));
            SweepTemporaryFiles(dir_->path());
            QCOMPARE(Names(dir_->path()), (QStringList{"Note0", "source"}));
        }
        QCOMPARE(torn, 0);
    }

    void temporaryNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("temporary");
        QTest::newRow("writer's own") << ".Note0.qmtmp-3kz81q" << true;
        QTest::newRow("of a hidden file") << "..hidden.qmtmp-a0" << true;
        QTest::newRow("not hidden") << "Note0.qmtmp-3kz81q" << false;
        QTest::newRow("no tail") << ".Note0.qmtmp-" << false;
        QTest::newRow("tail not the writer's") << ".Note0.qmtmp-ABC" << false;
        QTest::newRow("no name") << "..qmtmp-abc" << false;
        QTest::newRow("plain hidden") << ".hidden" << false;
        QTest::newRow("note") << "Shopping.txt" << false;
    }
    void temporaryNames() {
        QFETCH(QString, name);
        QFETCH(bool, temporary);
        QCOMPARE(IsTemporaryFileName(name), temporary);
    }

    void sweepRemovesOnlyTemporaryFiles() {
        const QString sub = dir_->filePath("sub");
        QDir().mkpath(sub);
        for (const char* name :
             {".set.clr.qmtmp-1x", ".Groups.txt.qmtmp-zz9", "Groups.txt", ".hidden", "Note0.qmtmp-1x"})
            WriteBytes(dir_->filePath(name), "x");
        WriteBytes(sub + "/.deep.qmtmp-1", "x");
        QCOMPARE(SweepTemporaryFiles(dir_->path()), 2);
        QCOMPARE(Names(dir_->path()), (QStringList{".hidden", "Groups.txt", "Note0.qmtmp-1x"}));
        QCOMPARE(Names(sub), QStringList{".deep.qmtmp-1"});
        QCOMPARE(SweepTemporaryFiles(dir_->filePath("missing")), 0);
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

QM_TEST_MAIN_WITH_HELPERS(TestSafeFile)
#include "tst_safefile.moc"
