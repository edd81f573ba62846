#include "desktop/UucpLock.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

// What the lock file holds now; nothing when it is gone.
std::optional<QByteArray> ReadLock(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return errno == ENOENT ? std::nullopt : std::optional<QByteArray>(QByteArray());
    char buffer[128];
    ssize_t n;
    do
        n = ::read(fd, buffer, sizeof buffer);
    while (n < 0 && errno == EINTR);
    ::close(fd);
    return n < 0 ? QByteArray() : QByteArray(buffer, n);
}

// A process we may not signal lives all the same.
bool IsAlive(qint64 pid) {
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

QByteArray OwnText() {
    return QByteArray::number(qint64(::getpid())).rightJustified(10, ' ') + '\n';
}

} // namespace

QString TUucpLock::FileName(const QString& device) {
    return QStringLiteral("LCK..") + QFileInfo(device).fileName();
}

qint64 TUucpLock::OwnerOf(const QByteArray& bytes) {
    static const QByteArray textual(" \t\n\r\v\f0123456789");
    const bool text = std::all_of(bytes.begin(), bytes.end(), [](char c) { return textual.contains(c); });
    qint64 pid = 0;
    if (!text && bytes.size() == 4) {
        qint32 value = 0;
        std::memcpy(&value, bytes.constData(), sizeof value);
        pid = value;
    } else {
        // Some programs write their name after the id.
        pid = bytes.simplified().split(' ').value(0).toLongLong();
    }
    return pid > 0 && pid <= INT_MAX ? pid : 0;
}

bool TUucpLock::Acquire(const QString& folder, const QString& device) {
    Release();
    const QByteArray target = QFile::encodeName(folder + QLatin1Char('/') + FileName(device));
    const QByteArray temporary =
        QFile::encodeName(folder + QStringLiteral("/LTMP.") + QString::number(qint64(::getpid())));
    const QByteArray own = OwnText();
    ::unlink(temporary.constData());
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return false;
    // Readable by every program that checks the port, whatever the umask.
    bool written = ::fchmod(fd, 0644) == 0 && ::write(fd, own.constData(), size_t(own.size())) == own.size();
    written = ::close(fd) == 0 && written;

    bool taken = false;
    for (int attempt = 0; written && !taken && attempt < 3; ++attempt) {
        if (::link(temporary.constData(), target.constData()) == 0) {
            taken = true;
            break;
        }
        if (errno != EEXIST)
            break;
        const std::optional<QByteArray> held = ReadLock(target);
        if (!held)
            continue; // let go meanwhile
        // An id of our own is left from an earlier process: this one holds no lock of the port.
        const qint64 owner = OwnerOf(*held);
        if (owner == 0 || (owner != ::getpid() && IsAlive(owner)))
            break;
        // Stale: removed unless another program has just taken it over.
        if (ReadLock(target) == held && ::unlink(target.constData()) != 0 && errno != ENOENT)
            break;
    }
    ::unlink(temporary.constData());
    if (taken)
        m_path = QFile::decodeName(target);
    return taken;
}

void TUucpLock::Release() {
    if (m_path.isEmpty())
        return;
    const QByteArray path = QFile::encodeName(m_path);
    m_path.clear();
    if (ReadLock(path) == OwnText())
        ::unlink(path.constData());
}

} // namespace qm
