#include "platform/ProgramFolder.h"
#include "platform/UserAccount.h"

#include <QCoreApplication>
#include <QtTest>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm;

namespace {
int Mode(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}
} // namespace

class TestPlatformMisc : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        qunsetenv("QUELLMIRE_PROGRAM_FOLDER");
        ClearTestLoginName();
    }

    void programFolderFromEnvironment();
    void programFolderDefaultsToProgramsFolder();
    void privatePathsAreTheUsersAlone();
    void loginNameSeam();
};

void TestPlatformMisc::programFolderFromEnvironment() {
    qputenv("QUELLMIRE_PROGRAM_FOLDER", "/srv/quellmire");
    QCOMPARE(ProgramFolder(), "/srv/quellmire/");
    qputenv("QUELLMIRE_PROGRAM_FOLDER", "/srv/quellmire/");
    QCOMPARE(ProgramFolder(), "/srv/quellmire/");
}

void TestPlatformMisc::programFolderDefaultsToProgramsFolder() {
    // The user's data folder, never the folder of the program file (deleted with a build).
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    const QString expected = data.path() + QStringLiteral("/quellmire/");
    qunsetenv("QUELLMIRE_PROGRAM_FOLDER");
    QCOMPARE(ProgramFolder(), expected);
    qputenv("QUELLMIRE_PROGRAM_FOLDER", "");
    QCOMPARE(ProgramFolder(), expected);
    QVERIFY(!ProgramFolder().startsWith(QCoreApplication::applicationDirPath()));

    // Shipped files: the program folder's own first, then the one beside the program file.
    QCOMPARE(ShippedFile(QStringLiteral("no-such-help.chm")), expected + QStringLiteral("no-such-help.chm"));
    const QString beside = QCoreApplication::applicationFilePath();
    const QString name = QFileInfo(beside).fileName();
    QCOMPARE(ShippedFile(name), beside);
    QVERIFY(MakePrivatePath(expected));
    QFile own(expected + name);
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.close();
    QCOMPARE(ShippedFile(name), expected + name);
    qunsetenv("XDG_DATA_HOME");
}

void TestPlatformMisc::privatePathsAreTheUsersAlone() {
    QTemporaryDir dir;
    const mode_t old = ::umask(022);
    const QString deep = dir.path() + QStringLiteral("/a/b/c");
    QVERIFY(MakePrivatePath(deep));
    for (const QString& folder : {dir.path() + "/a", dir.path() + "/a/b", deep})
        QCOMPARE(Mode(folder), 0700);
    // An existing folder keeps its mode; a file in the way is no folder.
    QVERIFY(::chmod(QFile::encodeName(dir.path() + "/a").constData(), 0755) == 0);
    QVERIFY(MakePrivatePath(deep + QStringLiteral("/d")));
    QCOMPARE(Mode(dir.path() + "/a"), 0755);
    QCOMPARE(Mode(deep + "/d"), 0700);
    QFile blocker(dir.path() + QStringLiteral("/file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(!MakePrivatePath(dir.path() + QStringLiteral("/file/sub")));
    ::umask(old);
}

void TestPlatformMisc::loginNameSeam() {
    const passwd* account = getpwuid(geteuid());
    const QString real = account ? QString::fromLocal8Bit(account->pw_name) : QString();
    QCOMPARE(LoginName(), real);

    SetTestLoginName(QStringLiteral("tester"));
    QCOMPARE(LoginName(), "tester");
    SetTestLoginName(QString());
    QVERIFY(LoginName().isEmpty());
    ClearTestLoginName();
    QCOMPARE(LoginName(), real);
}

QTEST_GUILESS_MAIN(TestPlatformMisc)
#include "tst_platformmisc.moc"
