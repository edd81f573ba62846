#include "platform/ProgramFolder.h"
#include "platform/UserAccount.h"

#include <QCoreApplication>
#include <QtTest>
#include <pwd.h>
#include <unistd.h>

using namespace qm;

class TestPlatformMisc : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        qunsetenv("QUELLMIRE_PROGRAM_FOLDER");
        ClearTestLoginName();
    }

    void programFolderFromEnvironment();
    void programFolderDefaultsToProgramsFolder();
    void loginNameSeam();
};

void TestPlatformMisc::programFolderFromEnvironment() {
    qputenv("QUELLMIRE_PROGRAM_FOLDER", "/srv/quellmire");
    QCOMPARE(ProgramFolder(), "/srv/quellmire/");
    qputenv("QUELLMIRE_PROGRAM_FOLDER", "/srv/quellmire/");
    QCOMPARE(ProgramFolder(), "/srv/quellmire/");
}

void TestPlatformMisc::programFolderDefaultsToProgramsFolder() {
    const QString expected = QCoreApplication::applicationDirPath() + u'/';
    QCOMPARE(ProgramFolder(), expected);
    qputenv("QUELLMIRE_PROGRAM_FOLDER", "");
    QCOMPARE(ProgramFolder(), expected);
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
