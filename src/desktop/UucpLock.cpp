#include "desktop/UucpLock.h"
#include "platform/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qm {

namespace {

// What the lock file holds now; nothing when it is gone, no bytes when it cannot be read or is no
// regular file. Others may plant a FIFO or a device under the name: opening it must not wait.
std::optional<QByteArray> ReadLock(const QByteArray& path) {
    const QString name = QFile::decodeName(path);
    const UniqueFd fd = OpenRegularFileAt(AT_FDCWD, name, LinkRule::Refuse, nullptr, name);
    if (!fd)
        return errno == ENOENT ? std::nullopt : std::optional<QByteArray>(QByteArray());
    QByteArray bytes;
    ReadAll(fd.get(), kLockFileLimit, &bytes, name);
    return bytes;
}

// A process we may not signal lives all the same.
bool IsAlive(qint64 pid) {
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

QByteArray OwnText() {
    return QByteArray::number(qint64(::getpid())).rightJustified(10, ' ') + '\n';
}

// Whether a lock as read keeps this process off the port: one naming another live process, or
// naming none that can be read. An id of our own is left from an earlier process.
bool Blocks(const std::optional<QByteArray>& held) {
    if (!held)
        return false;
    const qint64 owner = TUucpLock::OwnerOf(*held);
    return owner == 0 || (owner != ::getpid() && IsAlive(owner));
}

// The lock folder is not the user's to write (systemd makes it root's), or there is none.
bool IsSystemsOnly(int error) {
    return error == EACCES || error == EPERM || error == EROFS || error == ENOENT || error == ENOTDIR;
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
    QByteArray temporary = QFile::encodeName(folder + QStringLiteral("/LTMP.XXXXXX"));
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        // A stale lock here cannot be removed, but it claims nothing: the port is as free as
        // without one, and the caller's flock and exclusive mode keep it.
        if (!IsSystemsOnly(errno) || Blocks(ReadLock(target)))
            return false;
        m_watched = target;
        return true;
    }
    // Readable by every program that checks the port, whatever the umask.
    const QByteArray own = OwnText();
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
        if (Blocks(held))
            break;
        // Stale: removed unless another program has just taken it over.
        if (ReadLock(target) == held && ::unlink(target.constData()) != 0 && errno != ENOENT)
            break;
    }
    ::unlink(temporary.constData());
    if (taken)
        m_written = target;
    return taken;
}

bool TUucpLock::Holds() const {
    return !m_written.isEmpty() || (!m_watched.isEmpty() && !Blocks(ReadLock(m_watched)));
}

void TUucpLock::Release() {
    m_watched.clear();
    if (m_written.isEmpty())
        return;
    const QByteArray path = std::exchange(m_written, QByteArray());
    if (ReadLock(path) == OwnText())
        ::unlink(path.constData());
}

} // namespace qm
