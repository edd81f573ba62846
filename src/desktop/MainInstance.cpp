#include "desktop/MainInstance.h"

#include "platform/MessageBox.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr int ConnectMs = 1000;
constexpr int RetryMs = 20;
// A request starts with a character no command line of a later start begins with; its words are
// parted by another.
constexpr char16_t RequestMark = u'\x1e';
constexpr char16_t WordMark = u'\x1f';

QByteArray Framed(const QByteArray& text) {
    return QByteArray::number(text.size()) + '\n' + text;
}

// A whole framed message at the front of `buffer`, taken from it; false while it is incomplete.
// `bad` is set when the frame cannot be one.
bool TakeFrame(QByteArray& buffer, QByteArray* text, bool* bad) {
    const qsizetype newline = buffer.indexOf('\n');
    if (newline < 0)
        return false;
    bool ok = false;
    const qsizetype length = buffer.left(newline).toLongLong(&ok);
    if (!ok || length < 0) {
        *bad = true;
        return false;
    }
    if (buffer.size() - newline - 1 < length)
        return false;
    *text = buffer.mid(newline + 1, length);
    buffer.clear();
    return true;
}

// A folder of this user that no one else may enter or replace.
bool IsPrivate(const struct stat& info) {
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

bool IsPrivateFolder(const QString& folder) {
    struct stat info {};
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && IsPrivate(info);
}

// A socket's path must fit the address with its closing zero; Qt keeps room for a leading zero too.
bool FitsSocketAddress(const QString& path) {
    return size_t(QFile::encodeName(path).size()) + 2 <= sizeof(sockaddr_un::sun_path);
}

QString SocketFileName(const QString& key) {
    QString safe;
    for (const QChar c : key)
        safe += c.isLetterOrNumber() && c.unicode() < 128 ? c : QChar(u'_');
    return QStringLiteral("quellmire-") + safe + QStringLiteral(".socket");
}

bool TryLock(int fd) {
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

// Never a shared name such as /tmp/quellmire-<uid>: another user could make it first.
QString OwnFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/quellmire");
}

void Refuse(const QString& why) {
    MessageBox(QStringLiteral("Quellmire Organizer cannot make sure that only one copy of it runs: ") + why,
               QStringLiteral("Quellmire Organizer"), Mb::Ok | Mb::IconExclamation);
}

} // namespace

TMainInstance::TMainInstance(const QString& key, QObject* parent) : QObject(parent), m_key(key) {
    const QString file = SocketFileName(key);
    const QString runtime = QDir::cleanPath(qEnvironmentVariable("XDG_RUNTIME_DIR"));
    // A relative name would be taken by Qt as one in the shared temporary folder.
    if (QDir::isAbsolutePath(runtime) && IsPrivateFolder(runtime) &&
        FitsSocketAddress(runtime + QLatin1Char('/') + file)) {
        m_folder = m_socketFolder = runtime;
        return;
    }
    const QString own = OwnFolder();
    QDir().mkpath(QFileInfo(own).path());
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    if (!IsPrivateFolder(own))
        return;
    m_folder = m_socketFolder = own;
    if (FitsSocketAddress(own + QLatin1Char('/') + file))
        return;
    // A short name that still leads into the checked folder alone: the descriptor is checked
    // itself, so the folder cannot be swapped between the check and the use.
    m_folderFd = ::open(QFile::encodeName(own).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info {};
    if (m_folderFd < 0 || ::fstat(m_folderFd, &info) != 0 || !IsPrivate(info)) {
        m_folder.clear();
        m_socketFolder.clear();
        return;
    }
    m_socketFolder = QStringLiteral("/proc/self/fd/") + QString::number(m_folderFd);
}

TMainInstance::~TMainInstance() {
    if (m_server)
        m_server->close();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    if (m_folderFd >= 0)
        ::close(m_folderFd);
}

QString TMainInstance::ServerName() const {
    return m_folder.isEmpty() ? QString() : m_socketFolder + QLatin1Char('/') + SocketFileName(m_key);
}

QString TMainInstance::LockName() const {
    QString name = SocketFileName(m_key);
    name.chop(int(qstrlen(".socket")));
    return m_folder.isEmpty() ? QString() : m_folder + QLatin1Char('/') + name + QStringLiteral(".lock");
}

QString TMainInstance::ForwardedText(const QStringList& arguments) {
    QString text;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        text += arguments[i] + QLatin1Char(' ');
        if (text.toUpper().contains(QLatin1String(".EXE")))
            text.clear();
    }
    return text;
}

bool TMainInstance::Start(const QStringList& arguments) {
    const QString lockName = LockName();
    if (lockName.isEmpty()) {
        Refuse(QStringLiteral("the folder \"%1\" is not one that you alone may use. Remove it, then start "
                              "Quellmire Organizer again.")
                   .arg(QDir::toNativeSeparators(OwnFolder())));
        return false;
    }
    // The lock decides who is first, also when two copies start at the same moment; the kernel
    // lets it go when the holder ends, however it ends.
    m_lockFd =
        ::open(QFile::encodeName(lockName).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd < 0) {
        Refuse(QStringLiteral("the file \"%1\" could not be opened: %2.")
                   .arg(QDir::toNativeSeparators(lockName), QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    if (TryLock(m_lockFd))
        return BecomeFirst();
    return HandOver(arguments);
}

bool TMainInstance::BecomeFirst() {
    // A socket left by a copy that crashed is ours to replace: we hold the lock.
    const QString name = ServerName();
    QLocalServer::removeServer(name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &TMainInstance::AcceptConnection);
    // A copy that cannot listen still runs; it only cannot be called up by later ones.
    if (!m_server->listen(name))
        qWarning("The single-instance socket %s cannot listen: %s", qPrintable(name),
                 qPrintable(m_server->errorString()));
    return true;
}

bool TMainInstance::HandOver(const QStringList& arguments) {
    const QByteArray text = ForwardedText(arguments).toUtf8();
    // Framed by its length, so a half-written message is never taken for a whole one.
    const QByteArray message = Framed(text);
    const QString name = ServerName();
    QDeadlineTimer deadline(HandOverMs);
    // The first copy may hold the lock and not listen yet: it is still starting.
    do {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(ConnectMs)) {
            socket.write(message);
            const bool written = socket.waitForBytesWritten(ConnectMs) || socket.bytesToWrite() == 0;
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState)
                socket.waitForDisconnected(ConnectMs);
            if (written) {
                ::close(m_lockFd);
                m_lockFd = -1;
                return false;
            }
        }
        // The first copy ended meanwhile: this one takes its place.
        if (TryLock(m_lockFd))
            return BecomeFirst();
        QThread::msleep(RetryMs);
    } while (!deadline.hasExpired());

    ::close(m_lockFd);
    m_lockFd = -1;
    MessageBox(QStringLiteral("Quellmire Organizer is already running but does not answer. End it, then "
                              "start Quellmire Organizer again."),
               QStringLiteral("Quellmire Organizer"), Mb::Ok | Mb::IconExclamation);
    return false;
}

void TMainInstance::SetReady() {
    m_ready = true;
    const QStringList pending = std::exchange(m_pending, {});
    for (const QString& text : pending)
        emit Called(text);
    const auto requests = std::exchange(m_pendingRequests, {});
    for (const auto& [socket, words] : requests)
        if (socket)
            AnswerRequest(socket, words);
}

void TMainInstance::AnswerRequest(QLocalSocket* socket, const QStringList& words) {
    if (!m_ready) {
        m_pendingRequests.append({QPointer<QLocalSocket>(socket), words});
        return;
    }
    TMainInstance::Answer answer;
    if (OnRequest)
        answer = OnRequest(words);
    else
        answer.text = QStringLiteral("Quellmire Organizer cannot do this now.");
    socket->write(Framed((answer.ok ? "0\n" : "1\n") + answer.text.toUtf8()));
    socket->flush();
    socket->disconnectFromServer();
}

TMainInstance::AskResult TMainInstance::Ask(const QStringList& words, TMainInstance::Answer* answer,
                                            int waitMs) {
    const QString lockName = LockName();
    if (lockName.isEmpty())
        return AskResult::NoFolder;
    const int fd =
        ::open(QFile::encodeName(lockName).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return AskResult::NoFolder;
    const auto closeLock = qScopeGuard([fd] { ::close(fd); });
    if (TryLock(fd))
        return AskResult::NotRunning;

    const QByteArray message = Framed((QString(QChar(RequestMark)) + words.join(QChar(WordMark))).toUtf8());
    QDeadlineTimer connectDeadline(HandOverMs);
    QLocalSocket socket;
    // The running copy may hold the lock and not listen yet: it is still starting.
    for (;;) {
        socket.connectToServer(ServerName());
        if (socket.waitForConnected(ConnectMs))
            break;
        // The running copy ended meanwhile: there is no one to ask.
        if (TryLock(fd))
            return AskResult::NotRunning;
        if (connectDeadline.hasExpired())
            return AskResult::NoAnswer;
        QThread::msleep(RetryMs);
    }
    socket.write(message);
    socket.waitForBytesWritten(ConnectMs);
    QDeadlineTimer deadline(waitMs);
    QByteArray buffer;
    QByteArray reply;
    bool bad = false;
    while (!TakeFrame(buffer, &reply, &bad)) {
        if (bad || deadline.hasExpired())
            return AskResult::NoAnswer;
        if (!socket.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 1000))) &&
            socket.state() != QLocalSocket::ConnectedState && socket.bytesAvailable() == 0)
            return AskResult::NoAnswer;
        buffer += socket.readAll();
    }
    socket.disconnectFromServer();
    answer->ok = reply.startsWith("0\n");
    answer->text = QString::fromUtf8(reply.mid(2));
    return AskResult::Answered;
}

void TMainInstance::Deliver(const QString& text) {
    if (m_ready)
        emit Called(text);
    else
        m_pending << text;
}

void TMainInstance::AcceptConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        auto deliver = [this, socket, buffer] {
            *buffer += socket->readAll();
            QByteArray frame;
            bool bad = false;
            if (!TakeFrame(*buffer, &frame, &bad)) {
                if (bad)
                    socket->abort();
                return;
            }
            const QString text = QString::fromUtf8(frame);
            socket->disconnect(this);
            if (text.startsWith(QChar(RequestMark)))
                AnswerRequest(socket, text.mid(1).split(QChar(WordMark)));
            else
                Deliver(text);
        };
        connect(socket, &QLocalSocket::readyRead, this, deliver);
        if (socket->bytesAvailable() > 0)
            deliver();
    }
}

} // namespace qm
