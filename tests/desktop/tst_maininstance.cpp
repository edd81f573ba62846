#include "desktop/MainInstance.h"
#include "platform/MessageBox.h"
#include "support/ShownTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUuid>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm;

namespace {

int Mode(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

// A private folder whose path is `length` characters long: too long for a socket's name in it.
QString LongFolder(const QString& base, int length) {
    const QString path = base + QStringLiteral("/") + QString(length - base.size() - 1, u'l');
    QDir().mkpath(path);
    ::chmod(QFile::encodeName(path).constData(), 0700);
    return path;
}

QString NewKey() {
    return QStringLiteral("tester-") + QUuid::createUuid().toString(QUuid::Id128);
}

// A start of the program in a process of its own: it says whether it is the first copy; the first
// then waits for a line on its input (it is "still starting") before it takes calls, and prints
// the first call it gets.
int RunStart(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments{QStringLiteral("quellmire")};
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    TMainInstance instance(qEnvironmentVariable("QM_INSTANCE_KEY"));
    instance.HandOverMs = 5000;
    const bool first = instance.Start(arguments);
    std::printf(first ? "first\n" : "second\n");
    std::fflush(stdout);
    if (!first)
        return 0;
    std::string line;
    std::getline(std::cin, line);
    QObject::connect(&instance, &TMainInstance::Called, &app, [&app](const QString& text) {
        std::printf("called:[%s]\n", text.toLocal8Bit().constData());
        std::fflush(stdout);
        app.quit();
    });
    QTimer::singleShot(10000, &app, [&app] { app.exit(3); });
    instance.SetReady();
    return app.exec();
}

} // namespace

class MainInstanceTest : public QObject {
    Q_OBJECT

    QProcess* Launch(const QString& key, const QStringList& arguments) {
        auto* process = new QProcess(this);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QM_INSTANCE_START"), QStringLiteral("1"));
        environment.insert(QStringLiteral("QM_INSTANCE_KEY"), key);
        process->setProcessEnvironment(environment);
        process->start(QCoreApplication::applicationFilePath(), arguments);
        return process;
    }

private slots:
    void initTestCase() {
        // The old fallback name in the shared temporary folder, made first by another user.
        const QString taken = m_home.filePath(QStringLiteral("tmp/quellmire-")) + QString::number(::getuid());
        QVERIFY(QDir().mkpath(taken));
        if (::chown(QFile::encodeName(taken).constData(), 65534, 65534) != 0)
            QVERIFY(::chmod(QFile::encodeName(taken).constData(), 0777) == 0);
    }

    void init() {
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
        qputenv("XDG_CACHE_HOME", m_home.filePath(QStringLiteral("cache")).toLocal8Bit());
        qputenv("TMPDIR", m_home.filePath(QStringLiteral("tmp")).toLocal8Bit());
        QVERIFY(::chmod(QFile::encodeName(m_runtime.path()).constData(), 0700) == 0);
        MessageBoxSeam::Enable();
        MessageBoxSeam::Reset();
    }

    void socketAndLockLiveInTheUsersRuntimeFolder() {
        const QString key = NewKey();
        // Someone else took the old name in the shared temporary folder first.
        QLocalServer squatter;
        QVERIFY(squatter.listen(QStringLiteral("QuellmireOrganizer-") + key));

        TMainInstance first(key);
        QVERIFY(first.Start({"quellmire"}));
        QVERIFY(first.ServerName().startsWith(m_runtime.path() + QLatin1Char('/')));
        QVERIFY(QFileInfo::exists(first.ServerName()));
        QCOMPARE(Mode(first.LockName()), 0600);

        TMainInstance second(key);
        QSignalSpy called(&first, &TMainInstance::Called);
        QVERIFY(!second.Start({"quellmire", "DIAL", "555"}));
        QVERIFY(!squatter.hasPendingConnections());
        // A call that comes before the program is ready waits for it.
        QTRY_VERIFY(first.HasWaitingCalls());
        QCOMPARE(called.size(), 0);
        first.SetReady();
        QCOMPARE(called.size(), 1);
        QCOMPARE(called[0][0].toString(), QStringLiteral("DIAL 555 "));
        QVERIFY(!squatter.hasPendingConnections());
    }

    // Without a runtime folder fit for the socket, lock and socket go to a private folder in the
    // user's own cache; one that is not private stops the start with a message, never running
    // unguarded.
    void withoutRuntimeFolderAPrivateFolderIsUsedAndChecked() {
        const QString own = m_home.filePath(QStringLiteral("cache/quellmire"));
        QTemporaryDir open;
        QVERIFY(::chmod(QFile::encodeName(open.path()).constData(), 0755) == 0);
        const QString key = NewKey();
        for (const QString& runtime : {QString(), open.path(), LongFolder(m_home.path(), 120)}) {
            if (runtime.isEmpty())
                qunsetenv("XDG_RUNTIME_DIR");
            else
                qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
            TMainInstance instance(key);
            QCOMPARE(instance.Folder(), own);
            QCOMPARE(Mode(own), 0700);
        }

        QVERIFY(::chmod(QFile::encodeName(own).constData(), 0777) == 0);
        TMainInstance refused(key);
        QCOMPARE(refused.Folder(), QString());
        QVERIFY(!refused.Start({"quellmire"}));
        QCOMPARE(ShownTexts(),
                 QStringList{QStringLiteral("Quellmire Organizer cannot make sure that only one "
                                            "copy of it runs: the folder \"%1\" is not one "
                                            "that you alone may use. Remove it, then start "
                                            "Quellmire Organizer again.")
                                 .arg(own)});
        QVERIFY(QDir(own).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).isEmpty());
        // A link in its place is no folder of ours.
        QVERIFY(QDir(own).removeRecursively());
        QVERIFY(QFile::link(open.path(), own));
        QCOMPARE(TMainInstance(key).Folder(), QString());
        QVERIFY(QFile::remove(own));
    }

    // Two real starts: exactly one runs and the other's words reach it, wherever the lock and the
    // socket have to live.
    void twoStartsRacingOneRunsAndTheOtherIsHandedOver_data() {
        QTest::addColumn<QString>("runtime"); // empty: unset
        QTest::addColumn<QString>("cache");
        const QString cache = m_home.filePath(QStringLiteral("cache"));
        QTest::newRow("runtime folder") << m_runtime.path() << cache;
        QTest::newRow("no runtime folder, the shared name taken") << QString() << cache;
        QTest::newRow("runtime folder too long for a socket")
            << LongFolder(m_home.filePath(QStringLiteral("run")), 120) << cache;
        // A socket path of 107 bytes fits the address with its zero, but not Qt's local sockets.
        const int socketName = int(qstrlen("quellmire-") + qstrlen(".socket")) + NewKey().size();
        QTest::newRow("runtime folder a byte too long")
            << LongFolder(m_home.filePath(QStringLiteral("edge")), 107 - 1 - socketName) << cache;
        QTest::newRow("cache folder too long for a socket too")
            << QString() << LongFolder(m_home.filePath(QStringLiteral("home")), 120);
    }
    void twoStartsRacingOneRunsAndTheOtherIsHandedOver() {
        QFETCH(QString, runtime);
        QFETCH(QString, cache);
        if (runtime.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
        qputenv("XDG_CACHE_HOME", cache.toLocal8Bit());
        for (int race = 0; race < 3; ++race) {
            const QString key = NewKey();
            QProcess* a = Launch(key, {"DIAL", "111"});
            QProcess* b = Launch(key, {"DIAL", "222"});
            QVERIFY(a->waitForReadyRead(10000));
            QVERIFY(b->waitForReadyRead(10000));
            const QByteArray aSays = a->readLine().trimmed();
            const QByteArray bSays = b->readLine().trimmed();
            QVERIFY2((aSays == "first") != (bSays == "first"), (aSays + " / " + bSays).constData());
            QProcess* first = aSays == "first" ? a : b;
            QProcess* second = first == a ? b : a;
            // The second ends while the first is still starting, its arguments handed over.
            QVERIFY(second->waitForFinished(10000));
            QCOMPARE(second->exitCode(), 0);
            first->write("go\n");
            first->closeWriteChannel();
            QVERIFY(first->waitForFinished(10000));
            QCOMPARE(first->exitCode(), 0);
            const QByteArray expected = second == a ? "called:[DIAL 111 ]" : "called:[DIAL 222 ]";
            QCOMPARE(first->readAll().trimmed(), expected);
        }
    }

    void aStartWaitsForAFirstCopyThatHoldsTheLockButDoesNotListenYet() {
        const QString key = NewKey();
        TMainInstance probe(key);
        const QString lockName = probe.LockName();
        const int fd = ::open(QFile::encodeName(lockName).constData(), O_RDWR | O_CREAT, 0600);
        QVERIFY(fd >= 0);
        QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);

        QProcess* later = Launch(key, {"CONTROL"});
        QVERIFY(later->waitForStarted(10000));
        QLocalServer::removeServer(probe.ServerName());
        QLocalServer server;
        QVERIFY(server.listen(probe.ServerName()));
        QVERIFY(server.waitForNewConnection(10000));
        QLocalSocket* socket = server.nextPendingConnection();
        QByteArray message;
        while (message.size() < 10 && socket->waitForReadyRead(5000))
            message += socket->readAll();
        QCOMPARE(message, QByteArray("8\nCONTROL "));
        QVERIFY(later->waitForFinished(10000));
        QCOMPARE(later->readAll().trimmed(), QByteArray("second"));
        ::close(fd);
    }

    void firstCopyThatEndedLeavesItsPlaceToTheNext() {
        const QString key = NewKey();
        {
            TMainInstance first(key);
            QVERIFY(first.Start({"quellmire"}));
        }
        // Its socket file may remain; the lock went with it.
        TMainInstance next(key);
        QVERIFY(next.Start({"quellmire"}));
        TMainInstance third(key);
        QSignalSpy called(&next, &TMainInstance::Called);
        next.SetReady();
        QVERIFY(!third.Start({"quellmire"}));
        QTRY_COMPARE(called.size(), 1);
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

private:
    QTemporaryDir m_runtime;
    QTemporaryDir m_home; // the user's own cache and a shared temporary folder
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("QM_INSTANCE_START"))
        return RunStart(argc, argv);
    QCoreApplication app(argc, argv);
    MainInstanceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_maininstance.moc"
