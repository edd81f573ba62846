#include "app/MainForm.h"
#include "desktop/Dialer.h"
#include "desktop/MainInstance.h"
#include "desktop/ProgramArguments.h"
#include "dialogs/TeleForm.h"
#include "engine/Query.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/SafeFile.h"
#include "platform/widgets/Panel.h"
#include "support/FakeModem.h"
#include "support/FileBytes.h"
#include "support/HelperProcess.h"
#include "support/ShownTexts.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <QtTest>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <grp.h>
#include <optional>
#include <spawn.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using namespace qm;

namespace {

void AddContact(TestEnvironment& env, const QString& name, const QString& tel, const QString& mobile) {
    TestEnvironment::ExecOnFile(
        env.ArchiveFile(QStringLiteral("QMcon26.db")),
        QStringLiteral(
            "INSERT INTO QMcon26 (ragsoc,indirizzo,tel,email,note,fax,gruppo,site,company,mobile,allegato) "
            "VALUES ('%1','','%2','','','','','','','%3','')")
            .arg(name, tel, mobile));
}

void OpenTele(TMainForm* form, const std::function<void(TTeleForm&)>& act) {
    ModalSeam::Queue([act](QDialog& dialog) { act(static_cast<TTeleForm&>(dialog)); });
    ShowTeleForm(form);
    QCOMPARE(ModalSeam::UnhandledCount(), 0);
}

// Numbers as people type them: service codes with "*" and "#", international numbers with blanks,
// vanity numbers with letters, an extension after a comma.
const QStringList TypedNumbers{QStringLiteral("*31#0612345678"), QStringLiteral("#31#+44 20 7946 0000"),
                               QStringLiteral("1-800-FLOWERS"), QStringLiteral("+39 (02) 555.1, 22")};
const QStringList TelAddresses{
    QStringLiteral("tel:*31%230612345678"), QStringLiteral("tel:%2331%23+44%2020%207946%200000"),
    QStringLiteral("tel:1-800-FLOWERS"), QStringLiteral("tel:+39%20(02)%20555.1%2C%2022")};

// What the desktop gets from a launch: the address as a URL, its number read back in full.
void CheckReachesTheDesktop(const QString& launched, const QString& typed) {
    const QUrl url(launched, QUrl::TolerantMode);
    QVERIFY(url.isValid());
    QCOMPARE(url.scheme(), QStringLiteral("tel"));
    QVERIFY(!url.hasFragment());
    QCOMPARE(url.path(QUrl::FullyDecoded), typed);
    QCOMPARE(QUrl::fromPercentEncoding(url.toEncoded().mid(4)), typed);
}

constexpr uid_t Nobody = 65534;

// The pid of a process that has ended.
qint64 DeadPid() {
    pid_t child = 0;
    char* const argv[] = {const_cast<char*>("true"), nullptr};
    if (::posix_spawn(&child, "/bin/true", nullptr, nullptr, argv, environ) != 0)
        return 0;
    ::waitpid(child, nullptr, 0);
    return child;
}

QByteArray LockText(qint64 pid) {
    return QByteArray::number(pid).rightJustified(10, ' ') + '\n';
}

QString LockFile(const TestEnvironment& env, const FakeModem& modem) {
    return env.LockFolder() + QStringLiteral("/LCK..") + QFileInfo(modem.Device()).fileName();
}

void AimModem(TDialer& dialer, TComPort port, const QString& number) {
    dialer.ComPort = port;
    dialer.DialCommand = QStringLiteral("ATDT");
    dialer.NumberToDial = number;
}

// Opens a FIFO's other end 5 s from now unless the test is done with it first: a dial that waits on
// the FIFO then fails the test instead of hanging it.
class FifoWatchdog {
public:
    explicit FifoWatchdog(const QString& fifo)
        : m_opened(
              std::async(std::launch::async, [path = QFile::encodeName(fifo), done = m_done.get_future()] {
                  if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
                      return false;
                  ::close(::open(path.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
                  return true;
              })) {}
    ~FifoWatchdog() { Opened(); }
    bool Opened() {
        if (m_opened.valid()) {
            m_done.set_value();
            m_wasOpened = m_opened.get();
        }
        return m_wasOpened;
    }

private:
    std::promise<void> m_done;
    std::future<bool> m_opened;
    bool m_wasOpened = false;
};

// The status words of a modem dial, told by a helper as exit codes from 10 on, apart from the
// helper's own failures.
const QStringList DialStatus{QStringLiteral("OK"), QStringLiteral("COMOPENERROR"),
                             QStringLiteral("DIALERROR")};

// A dial as the user 65534 in a process of its own, the pick-up box answered.
QM_TEST_HELPER(dialAsNobody) {
    KillSelfAfter(20 * 1000 * 1000);
    if (::setgroups(0, nullptr) != 0 || ::setresgid(Nobody, Nobody, Nobody) != 0 ||
        ::setresuid(Nobody, Nobody, Nobody) != 0)
        return 3;
    DialerSeam::SetPortDevice(dpCOM2, arguments.value(0));
    DialerSeam::SetLockFolder(arguments.value(1));
    MessageBoxSeam::Enable();
    MessageBoxSeam::QueueAnswer(Id::Ok);
    TDialer dialer;
    AimModem(dialer, dpCOM2, arguments.value(2));
    const qsizetype status = DialStatus.indexOf(dialer.Dial());
    return status < 0 ? 2 : 10 + int(status);
}

// One of two copies dialling at once: waits for the file "go" in the folder of the third argument,
// dials, and holds the line while the pick-up box is open until the file "release" is there. It
// marks "held.<pid>" or "failed.<pid>" so that the test knows when both got as far as they will.
QM_TEST_HELPER(dialRace) {
    KillSelfAfter(20 * 1000 * 1000);
    const QString sync = arguments.value(2);
    const auto waitFor = [&sync](const char* name) {
        for (int i = 0; i < 10000 && !QFileInfo::exists(sync + QLatin1Char('/') + QLatin1String(name)); ++i)
            ::usleep(500);
    };
    const auto mark = [&sync](const char* what) {
        QFile(sync + QStringLiteral("/%1.%2").arg(QLatin1String(what)).arg(::getpid()))
            .open(QIODevice::WriteOnly);
    };
    DialerSeam::SetPortDevice(dpCOM2, arguments.value(0));
    DialerSeam::SetLockFolder(arguments.value(1));
    MessageBoxSeam::Enable();
    MessageBoxSeam::QueueAnswer(Id::Ok);
    MessageBoxSeam::WhileOpen([&](const ShownBox& box) {
        if (box.text == QLatin1String("Pick up phone")) {
            mark("held");
            waitFor("release");
        } else {
            mark("failed");
        }
    });
    TDialer dialer;
    AimModem(dialer, dpCOM2, QStringLiteral("0612"));
    waitFor("go");
    const qsizetype status = DialStatus.indexOf(dialer.Dial());
    return status < 0 ? 2 : 10 + int(status);
}

// Sets the file's times back by ten years: written long before any process now running started.
void MakeOld(const QString& path) {
    const timeval old[2] = {{::time(nullptr) - 315360000, 0}, {::time(nullptr) - 315360000, 0}};
    QCOMPARE(::utimes(QFile::encodeName(path).constData(), old), 0);
}

QString DialAsNobody(const QString& device, const QString& lockFolder, const QString& number) {
    const int status = RunHelper("dialAsNobody", {device, lockFolder, number});
    if (!WIFEXITED(status))
        return QStringLiteral("<killed>");
    const int code = WEXITSTATUS(status);
    if (code == 3)
        return QStringLiteral("<not the user 65534>");
    return DialStatus.value(code - 10, QStringLiteral("<exit %1>").arg(code));
}

QString ModemText(TestEnvironment& env) {
    QFile file(env.ArchiveFolder() + QStringLiteral("/Modem.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QStringLiteral("<missing>");
}

} // namespace

class TestDialer : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { DialerSeam::Reset(); }

    void modemDialWritesTheCommandThenHangsUp() {
        TestEnvironment env;
        FakeModem modem;
        QVERIFY(!modem.Device().isEmpty());
        DialerSeam::SetPortDevice(dpCOM3, modem.Device());
        TDialer dialer;
        dialer.ComPort = dpCOM3;
        dialer.DialCommand = QStringLiteral("ATDT");
        dialer.NumberToDial = QStringLiteral("0123 456");
        MessageBoxSeam::QueueAnswer(Id::Ok);
        QCOMPARE(dialer.Dial(), QStringLiteral("OK"));
        QCOMPARE(modem.Received(19), QByteArray("ATDT0123 456\r\nATH\r\n"));
        const auto shown = MessageBoxSeam::Shown();
        QCOMPARE(shown.size(), 1); // Confirm is off: nothing asked before
        QCOMPARE(shown.at(0).text, QStringLiteral("Pick up phone"));
        QCOMPARE(shown.at(0).flags, Mb::Ok | Mb::IconInformation);
    }

    void confirmDeclinedAndPortMissing() {
        TestEnvironment env;
        FakeModem modem;
        DialerSeam::SetPortDevice(dpCOM1, modem.Device());
        TDialer dialer;
        dialer.Confirm = true;
        dialer.Language = dlDutch;
        dialer.NumberToDial = QStringLiteral("555");
        MessageBoxSeam::QueueAnswer(Id::No);
        QCOMPARE(dialer.Dial(), QString());
        QCOMPARE(MessageBoxSeam::Shown().at(0).text,
                 QStringLiteral("Weet u zeker dat u nummer 555 wilt kiezen ?"));

        MessageBoxSeam::Reset();
        DialerSeam::SetPortDevice(dpCOM2, QStringLiteral("/nonexistent/ttyQ9"));
        dialer.ComPort = dpCOM2;
        dialer.Confirm = false;
        dialer.Language = dlEnglish;
        QCOMPARE(dialer.Dial(), QStringLiteral("COMOPENERROR"));
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::Shown().at(0).text, QStringLiteral("Unable to open COM2"));
        QCOMPARE(MessageBoxSeam::Shown().at(0).flags, Mb::Ok | Mb::IconError);
    }

    // Another program holds the port, in any of the ways programs do: nothing is written and its
    // lock stays as it was, also for root, whom the exclusive mode does not stop.
    void busyPortIsNotDialled_data() {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<QByteArray>("lock");
        const qint64 live = getppid();
        const qint32 binary = qint32(live);
        QTest::newRow("exclusive mode") << "exclusive" << QByteArray();
        QTest::newRow("flock") << "flock" << QByteArray();
        QTest::newRow("lock, ten characters") << "" << LockText(live);
        QTest::newRow("lock, bare number") << "" << QByteArray::number(live) + "\n";
        QTest::newRow("lock, blanks and a name") << ""
                                                 << "\t" + QByteArray::number(live) + "  cu\r\n";
        QTest::newRow("lock, binary int") << "" << QByteArray(reinterpret_cast<const char*>(&binary), 4);
        QTest::newRow("lock naming no process") << "" << QByteArray("");
        // Planted in a lock folder that others may write: read without waiting or following.
        QTest::newRow("FIFO as the lock") << "fifo" << QByteArray();
        QTest::newRow("link to a dead owner's lock") << "link" << LockText(DeadPid());
    }
    void busyPortIsNotDialled() {
        QFETCH(QString, holder);
        QFETCH(QByteArray, lock);
        TestEnvironment env;
        FakeModem modem;
        DialerSeam::SetPortDevice(dpCOM2, modem.Device());
        const int other = ::open(QFile::encodeName(modem.Device()).constData(), O_RDWR | O_NOCTTY);
        QVERIFY(other >= 0);
        const auto closeOther = qScopeGuard([other] { ::close(other); });
        if (holder == QLatin1String("exclusive"))
            QCOMPARE(::ioctl(other, TIOCEXCL), 0);
        if (holder == QLatin1String("flock"))
            QCOMPARE(::flock(other, LOCK_EX | LOCK_NB), 0);
        const QString lockFile = LockFile(env, modem);
        if (holder.isEmpty())
            WriteFileBytes(lockFile, lock);
        if (holder == QLatin1String("link")) {
            WriteFileBytes(env.ProgramFolder() + QStringLiteral("elsewhere"), lock);
            QVERIFY(QFile::link(env.ProgramFolder() + QStringLiteral("elsewhere"), lockFile));
        }
        std::optional<FifoWatchdog> watchdog;
        if (holder == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(lockFile).constData(), 0644), 0);
            watchdog.emplace(lockFile);
        }

        TDialer dialer;
        AimModem(dialer, dpCOM2, QStringLiteral("0612"));
        QCOMPARE(dialer.Dial(), QStringLiteral("COMOPENERROR"));
        if (watchdog)
            QVERIFY2(!watchdog->Opened(), "the dial waited for a writer of the FIFO");
        QCOMPARE(ShownTexts(), QStringList(QStringLiteral("Unable to open COM2")));
        QCOMPARE(modem.Received(1, 100), QByteArray());
        const bool planted = holder != QLatin1String("exclusive") && holder != QLatin1String("flock");
        QCOMPARE(QDir(env.LockFolder())
                     .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
                 planted ? QStringList(QFileInfo(lockFile).fileName()) : QStringList());
        if (planted && !watchdog)
            QCOMPARE(ReadFileBytes(lockFile), lock);
    }

    // A dead process's lock is taken over; the lock holds our pid while the line is ours and goes
    // with the dial, but a lock another program put in its place meanwhile stays.
    void staleLockIsTakenOverAndOnlyOurOwnRemoved() {
        TestEnvironment env;
        FakeModem modem;
        DialerSeam::SetPortDevice(dpCOM4, modem.Device());
        const QString lockFile = LockFile(env, modem);
        WriteFileBytes(lockFile, LockText(DeadPid()));
        // In a folder all may write, another user may take any name first, "LTMP.<our pid>" among
        // them; a folder is one that not even root can remove.
        QCOMPARE(::chmod(QFile::encodeName(env.LockFolder()).constData(), 01777), 0);
        const QByteArray squatted =
            QFile::encodeName(env.LockFolder() + QStringLiteral("/LTMP.") + QString::number(getpid()));
        QCOMPARE(::mkdir(squatted.constData(), 0755), 0);
        if (::geteuid() == 0)
            QCOMPARE(::chown(squatted.constData(), Nobody, Nobody), 0);
        QByteArray heldDuringTheCall;
        MessageBoxSeam::WhileOpen([&](const ShownBox&) { heldDuringTheCall = ReadFileBytes(lockFile); });
        TDialer dialer;
        AimModem(dialer, dpCOM4, QStringLiteral("555"));
        QCOMPARE(dialer.Dial(), QStringLiteral("OK"));
        QCOMPARE(modem.Received(14), QByteArray("ATDT555\r\nATH\r\n"));
        QCOMPARE(heldDuringTheCall, LockText(getpid()));
        QCOMPARE(QDir(env.LockFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());

        // A live process whose number a lock names, but which started after the lock was written,
        // only got the dead owner's number again: the lock is stale all the same.
        heldDuringTheCall.clear();
        WriteFileBytes(lockFile, LockText(getppid()));
        MakeOld(lockFile);
        QCOMPARE(dialer.Dial(), QStringLiteral("OK"));
        QCOMPARE(heldDuringTheCall, LockText(getpid()));
        QCOMPARE(modem.Received(14), QByteArray("ATDT555\r\nATH\r\n"));

        const QByteArray foreign = LockText(getppid());
        MessageBoxSeam::WhileOpen([&](const ShownBox&) { WriteFileBytes(lockFile, foreign); });
        QCOMPARE(dialer.Dial(), QStringLiteral("OK"));
        QCOMPARE(ReadFileBytes(lockFile), foreign);
    }

    // Two copies dial at once over one stale lock: the take-over is serialised, so exactly one
    // dials, every time; the other finds the port busy.
    void twoCopiesOnOneStaleLockDialOnce() {
        TestEnvironment env;
        FakeModem modem;
        const QString lockFile = LockFile(env, modem);
        const QByteArray sent("ATDT0612\r\nATH\r\n");
        const qint64 dead = DeadPid();
        for (int round = 0; round < 50; ++round) {
            QTemporaryDir sync;
            WriteFileBytes(lockFile, LockText(dead));
            HelperProcess first("dialRace", {modem.Device(), env.LockFolder(), sync.path()});
            HelperProcess second("dialRace", {modem.Device(), env.LockFolder(), sync.path()});
            WriteFileBytes(sync.path() + QStringLiteral("/go"), QByteArray());
            for (int i = 0; i < 10000 && QDir(sync.path()).entryList(QDir::Files).size() < 3; ++i)
                ::usleep(500);
            // While the one that dials holds the line, the lock names it: neither removed the other's.
            const QStringList held = QDir(sync.path()).entryList({QStringLiteral("held.*")}, QDir::Files);
            const QByteArray lockDuringTheCall = ReadFileBytes(lockFile);
            WriteFileBytes(sync.path() + QStringLiteral("/release"), QByteArray());
            QCOMPARE(held.size(), 1);
            QCOMPARE(lockDuringTheCall, LockText(held.first().mid(5).toLongLong()));
            QStringList results;
            for (HelperProcess* helper : {&first, &second}) {
                const int status = helper->Wait();
                results << (WIFEXITED(status)
                                ? DialStatus.value(WEXITSTATUS(status) - 10, QStringLiteral("<exit>"))
                                : QStringLiteral("<killed>"));
            }
            results.sort();
            QCOMPARE(results, QStringList({QStringLiteral("COMOPENERROR"), QStringLiteral("OK")}));
            QCOMPARE(modem.Received(2 * int(sent.size()), 20), sent);
            QVERIFY2(!QFileInfo::exists(lockFile), qPrintable(QStringLiteral("round %1").arg(round)));
        }
    }

    // Where only root may write the lock folder, a user's dial takes a free port by its flock and
    // exclusive mode and leaves nothing in the folder. The locks there still count: a live
    // owner's keeps the port; a dead one's cannot be removed but claims nothing.
    // The same where the user may write the lock folder but not remove another user's lock in it
    // (a sticky folder such as Debian's /run/lock): a stale one claims nothing there either.
    void portIsTakenWhereOnlyRootWritesLocks_data() {
        QTest::addColumn<QByteArray>("lock");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<bool>("old");
        for (const int mode : {0755, 01777}) {
            const char* folder = mode == 0755 ? "root's folder" : "sticky folder";
            QTest::addRow("no lock, %s", folder) << QByteArray() << "OK" << mode << false;
            QTest::addRow("live owner's lock, %s", folder)
                << LockText(getpid()) << "COMOPENERROR" << mode << false;
            QTest::addRow("dead owner's lock, %s", folder) << LockText(DeadPid()) << "OK" << mode << false;
            QTest::addRow("lock older than its live owner, %s", folder)
                << LockText(getpid()) << "OK" << mode << true;
        }
    }
    void portIsTakenWhereOnlyRootWritesLocks() {
        if (::geteuid() != 0)
            QSKIP("dialling as the user 65534 beside a lock folder of root's needs root");
        QFETCH(QByteArray, lock);
        QFETCH(QString, status);
        QFETCH(int, folderMode);
        QFETCH(bool, old);
        TestEnvironment env;
        FakeModem modem;
        QCOMPARE(::chown(QFile::encodeName(modem.Device()).constData(), Nobody, Nobody), 0);
        QCOMPARE(::chmod(QFile::encodeName(env.LockFolder()).constData(), mode_t(folderMode)), 0);
        const QString lockFile = LockFile(env, modem);
        if (!lock.isEmpty())
            WriteFileBytes(lockFile, lock);
        if (old)
            MakeOld(lockFile);

        QCOMPARE(DialAsNobody(modem.Device(), env.LockFolder(), QStringLiteral("0612")), status);
        const QByteArray sent =
            status == QLatin1String("OK") ? QByteArray("ATDT0612\r\nATH\r\n") : QByteArray();
        QCOMPARE(modem.Received(qMax(1, int(sent.size())), sent.isEmpty() ? 100 : 5000), sent);
        QCOMPARE(QDir(env.LockFolder())
                     .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
                 lock.isEmpty() ? QStringList() : QStringList(QFileInfo(lockFile).fileName()));
        if (!lock.isEmpty())
            QCOMPARE(ReadFileBytes(lockFile), lock);
    }

    // The line takes nothing: the dial fails in its time, and when the line moves again while the
    // user reads the failure, no byte of the command comes out after all. The port is free again.
    void stalledLineLeavesNothingQueued() {
        TestEnvironment env;
        FakeModem modem;
        DialerSeam::SetPortDevice(dpCOM2, modem.Device());
        DialerSeam::SetWriteTimeout(150);
        QCOMPARE(::tcflow(modem.Line(), TCOOFF), 0);
        MessageBoxSeam::WhileOpen([&](const ShownBox& box) {
            if (box.text == QLatin1String("Unable to dial number")) {
                ::tcflow(modem.Line(), TCOON);
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            }
        });
        TDialer dialer;
        AimModem(dialer, dpCOM2, QStringLiteral("0612"));
        QCOMPARE(dialer.Dial(), QStringLiteral("DIALERROR"));
        QCOMPARE(ShownTexts(), QStringList(QStringLiteral("Unable to dial number")));
        QCOMPARE(MessageBoxSeam::Shown().at(0).flags, Mb::Ok | Mb::IconError);
        QCOMPARE(modem.Received(1, 300), QByteArray());

        MessageBoxSeam::Reset();
        QCOMPARE(dialer.Dial(), QStringLiteral("OK"));
        QCOMPARE(modem.Received(15), QByteArray("ATDT0612\r\nATH\r\n"));
        QCOMPARE(QDir(env.LockFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void desktopTelephony() {
        TestEnvironment env;
        LauncherSeam::Reset();
        TDialer dialer;
        dialer.Mode = mTapi;
        dialer.NumberToDial = QString(90, u'5');
        QCOMPARE(dialer.Dial(), QStringLiteral("TapiConnected"));
        QCOMPARE(LauncherSeam::Launches(), QStringList(QStringLiteral("tel:") + QString(80, u'5')));
        LauncherSeam::QueueResult(false);
        QCOMPARE(dialer.Dial(), QStringLiteral("TapiNotAvailable"));
        dialer.NumberToDial.clear();
        QCOMPARE(dialer.Dial(), QStringLiteral("TapiInvalidAddress"));
        QCOMPARE(LauncherSeam::Launches().size(), 2);
    }

    void telAddressesKeepEveryCharacter() {
        TestEnvironment env;
        for (qsizetype i = 0; i < TypedNumbers.size(); ++i) {
            QCOMPARE(TelAddress(TypedNumbers[i]), TelAddresses[i]);
            LauncherSeam::Reset();
            TDialer dialer;
            dialer.Mode = mTapi;
            dialer.NumberToDial = TypedNumbers[i];
            QCOMPARE(dialer.Dial(), QStringLiteral("TapiConnected"));
            QCOMPARE(LauncherSeam::Launches(), QStringList(TelAddresses[i]));
            CheckReachesTheDesktop(LauncherSeam::Launches().at(0), TypedNumbers[i]);
        }
        QCOMPARE(TelAddress(QStringLiteral(" 0612 ")), QStringLiteral("tel:0612"));
        QCOMPARE(TelAddress(QStringLiteral("Åsa")), QStringLiteral("tel:%C3%85sa"));
    }

    void commandLineDialKeepsEveryCharacter() {
        for (qsizetype i = 0; i < TypedNumbers.size(); ++i) {
            TestEnvironment env;
            ProgramArgumentsSeam::Set({QStringLiteral("quellmire"), QStringLiteral("Dial"), TypedNumbers[i]});
            TMainForm* form = env.CreateMainForm();
            QCOMPARE(LauncherSeam::Launches(), QStringList(TelAddresses[i]));
            CheckReachesTheDesktop(LauncherSeam::Launches().at(0), TypedNumbers[i]);
            QVERIFY(!form->TerminateRequested());
        }
        ProgramArgumentsSeam::Reset();
    }

    // The program runs; a later start with "DIAL" hands its command line over and the running copy
    // dials, every character kept, and goes on running whatever "KILL" said.
    void laterStartDialsThroughTheRunningCopy() {
        QTemporaryDir runtime;
        QVERIFY(::chmod(QFile::encodeName(runtime.path()).constData(), 0700) == 0);
        const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        const auto restore = qScopeGuard([&oldRuntime] { qputenv("XDG_RUNTIME_DIR", oldRuntime); });
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        TMainInstance running(QStringLiteral("dialler-test"));
        QVERIFY(running.Start({QStringLiteral("quellmire")}));
        connect(&running, &TMainInstance::Called, form,
                [form](const QString& text) { form->CalledByLaterStart(text); });
        running.SetReady();
        for (qsizetype i = 0; i < TypedNumbers.size(); ++i) {
            LauncherSeam::Reset();
            TMainInstance later(QStringLiteral("dialler-test"));
            QStringList arguments{QStringLiteral("quellmire"), QStringLiteral("dial"), TypedNumbers[i]};
            if (i % 2)
                arguments << QStringLiteral("Kill");
            QVERIFY(!later.Start(arguments));
            QTRY_COMPARE(LauncherSeam::Launches(), QStringList(TelAddresses[i]));
            CheckReachesTheDesktop(LauncherSeam::Launches().at(0), TypedNumbers[i]);
            QVERIFY(!form->TerminateRequested());
        }
        // Any other command line only brings the window forward.
        LauncherSeam::Reset();
        TMainInstance later(QStringLiteral("dialler-test"));
        QSignalSpy called(&running, &TMainInstance::Called);
        QVERIFY(!later.Start({QStringLiteral("quellmire"), QStringLiteral("CONTROL")}));
        QTRY_COMPARE(called.size(), 1);
        QCOMPARE(LauncherSeam::Launches(), QStringList());
        QVERIFY(form->isVisible());
    }

    void telephonyButtonClickedSendsTheTypedNumber() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddContact(env, QStringLiteral("Neri"), QString(), QString());
        form->RefreshContactQuery();
        QStringList launched;
        OpenTele(form, [&launched](TTeleForm& tele) {
            for (const QString& number : TypedNumbers) {
                tele.ComboBox_telefoni->lineEdit()->clear();
                QTest::keyClicks(tele.ComboBox_telefoni, number);
                QCOMPARE(tele.ComboBox_telefoni->currentText(), number);
                QVERIFY(tele.SpeedButtonDialTelephony->isEnabled());
                QTest::mouseClick(tele.SpeedButtonDialTelephony, Qt::LeftButton);
            }
            launched = LauncherSeam::Launches();
            QVERIFY(tele.isVisible());
        });
        QCOMPARE(launched, TelAddresses);
        for (qsizetype i = 0; i < launched.size(); ++i)
            CheckReachesTheDesktop(launched[i], TypedNumbers[i]);
    }

    void numbersAreCleaned() {
        QCOMPARE(TTeleForm::CleanNumber(QStringLiteral("+39 (02) 1234-567")),
                 QStringLiteral("39  02  1234 567"));
        QCOMPARE(TTeleForm::CleanNumber(QStringLiteral("  ")), QString());
        QCOMPARE(TTeleForm::CleanNumber(QString(120, u'7')), QString(100, u'7'));
    }

    void dialogOffersTheNumbersAndKeepsThePort() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddContact(env, QStringLiteral("Rossi"), QStringLiteral("+39 (02) 555-1"), QStringLiteral("333 12"));
        form->RefreshContactQuery();
        form->SectionColors.ContactColor = Colors::clRed;
        QCOMPARE(ModemText(env), QStringLiteral("<missing>"));
        OpenTele(form, [](TTeleForm& tele) {
            QVERIFY(!tele.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            QCOMPARE(tele.Panel_Border->Color(), Colors::clRed);
            QCOMPARE(tele.LabelContact->text(), QStringLiteral("Rossi"));
            QCOMPARE(tele.ComboBox_telefoni->count(), 2);
            QCOMPARE(tele.ComboBox_telefoni->itemText(0), QStringLiteral("333 12")); // sorted
            QCOMPARE(tele.ComboBox_telefoni->itemText(1), QStringLiteral("39  02  555 1"));
            QCOMPARE(tele.ComboBox_telefoni->currentText(), QStringLiteral("333 12"));
            QCOMPARE(tele.ComboBoxCOM->currentText(), QStringLiteral("COM2"));
            QCOMPARE(tele.DialerContact.ComPort, dpCOM2);
            QVERIFY(tele.SpeedButtonDial->isEnabled());
            tele.ComboBoxCOM->setCurrentIndex(2);
            emit tele.ComboBoxCOM->activated(2);
            QCOMPARE(tele.DialerContact.ComPort, dpCOM3);
        });
        QCOMPARE(ModemText(env), QStringLiteral("2"));
        OpenTele(form,
                 [](TTeleForm& tele) { QCOMPARE(tele.ComboBoxCOM->currentText(), QStringLiteral("COM3")); });

        // A file that names no port leaves COM2 and is not rewritten.
        QFile file(env.ArchiveFolder() + QStringLiteral("/Modem.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("seven");
        file.close();
        OpenTele(form, [](TTeleForm& tele) { QCOMPARE(tele.DialerContact.ComPort, dpCOM2); });
        QCOMPARE(ModemText(env), QStringLiteral("seven"));
        // One far too large is named in one box and names no port either.
        MessageBoxSeam::Reset();
        WriteSparseFile(file.fileName(), qint64(1) << 30);
        OpenTele(form, [](TTeleForm& tele) { QCOMPARE(tele.DialerContact.ComPort, dpCOM2); });
        QCOMPARE(ShownTexts(), QStringList(TooLargeText(file.fileName(), kSmallFileLimit)));
    }

    // The lists drop down at their fields and a box opens over the dialog, wherever the dialog was
    // moved to.
    void popUpsOpenAtTheirControls() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddContact(env, QStringLiteral("Neri"), QStringLiteral("0612"), QStringLiteral("333"));
        form->RefreshContactQuery();
        DialerSeam::SetPortDevice(dpCOM2, QStringLiteral("/nonexistent/ttyQ9"));
        QRect dialog;
        QRect box;
        OpenTele(form, [&](TTeleForm& tele) {
            tele.move(tele.pos() + QPoint(170, 110));
            for (QComboBox* combo : {tele.ComboBox_telefoni, tele.ComboBoxCOM}) {
                QTest::mouseClick(combo, Qt::LeftButton, {}, QPoint(combo->width() - 6, combo->height() / 2));
                QWidget* list = QApplication::activePopupWidget();
                QVERIFY2(list, qPrintable(combo->objectName()));
                const QRect field(combo->mapToGlobal(QPoint()), combo->size());
                QCOMPARE(list->x(), field.x());
                QVERIFY2(list->y() <= field.bottom() + 1 && list->geometry().bottom() >= field.bottom(),
                         qPrintable(combo->objectName()));
                QTest::keyClick(list, Qt::Key_Escape);
                QVERIFY(!QApplication::activePopupWidget());
            }
            dialog = tele.frameGeometry();
            MessageBoxSeam::Disable();
            QTimer::singleShot(0, [&box] {
                if (auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    box = shown->frameGeometry();
                    QTest::mouseClick(shown->button(QMessageBox::Ok), Qt::LeftButton);
                }
            });
            QTest::keyClick(tele.ComboBox_telefoni, Qt::Key_Return);
            MessageBoxSeam::Enable();
            QCOMPARE(tele.Label_result->text(), QStringLiteral("COMOPENERROR"));
        });
        QVERIFY(!box.isEmpty());
        QVERIFY2((box.center() - dialog.center()).manhattanLength() < 30,
                 qPrintable(QStringLiteral("box at %1,%2, dialog at %3,%4")
                                .arg(box.center().x())
                                .arg(box.center().y())
                                .arg(dialog.center().x())
                                .arg(dialog.center().y())));
    }

    void enterDialsOnceAndShowsTheStatus() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddContact(env, QStringLiteral("Bianchi"), QStringLiteral("0612"), QString());
        form->RefreshContactQuery();
        FakeModem modem;
        DialerSeam::SetPortDevice(dpCOM2, modem.Device());
        MessageBoxSeam::QueueAnswer(Id::Ok);
        OpenTele(form, [](TTeleForm& tele) {
            QTest::keyClick(tele.ComboBox_telefoni, Qt::Key_Return);
            QCOMPARE(tele.Label_result->text(), QStringLiteral("OK"));
            QVERIFY(tele.isVisible());
        });
        QCOMPARE(modem.Received(15), QByteArray("ATDT0612\r\nATH\r\n"));
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
    }

    void noNumberNoDialAndTelephonyButton() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddContact(env, QStringLiteral("Verdi"), QString(), QString());
        form->RefreshContactQuery();
        LauncherSeam::Reset();
        OpenTele(form, [](TTeleForm& tele) {
            QCOMPARE(tele.ComboBox_telefoni->count(), 0);
            QVERIFY(!tele.SpeedButtonDial->isEnabled());
            QVERIFY(!tele.SpeedButtonDialTelephony->isEnabled());
            QTest::keyClicks(tele.ComboBox_telefoni, QStringLiteral("0801"));
            QVERIFY(tele.SpeedButtonDial->isEnabled());
            tele.SpeedButtonDialTelephony->click();
            QCOMPARE(tele.Label_result->text(), QString());
            QTest::keyClick(&tele, Qt::Key_Escape);
            QVERIFY(!tele.isVisible());
        });
        QCOMPARE(LauncherSeam::Launches(), QStringList(QStringLiteral("tel:0801")));
    }
};

QM_TEST_MAIN_WITH_HELPERS(TestDialer)
#include "tst_dialer.moc"
