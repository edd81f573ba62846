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
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qm {

namespace {

// A lock file as it stands now.
struct LockFile {
    bool present = false;  // something stands under the name
    bool readable = false; // a regular file, read whole within the bound of a lock
    QByteArray bytes;
    struct stat info {};
};

// Others may plant a FIFO, a device or a link under the name: it is opened without waiting or
// following, and anything but a regular file is no lock that can be read.
LockFile ReadLock(const QByteArray& path) {
    LockFile lock;
    const QString name = QFile::decodeName(path);
    const UniqueFd fd = OpenRegularFileAt(AT_FDCWD, name, LinkRule::Refuse, nullptr, name);
    if (!fd) {
        lock.present = errno != ENOENT;
        return lock;
    }
    lock.present = true;
    lock.readable =
        ::fstat(fd.get(), &lock.info) == 0 && ReadAll(fd.get(), kLockFileLimit, &lock.bytes, name);
    return lock;
}

// A process we may not signal lives all the same.
bool IsAlive(qint64 pid) {
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

// When the system started, in seconds since the epoch; 0 when it cannot be told.
qint64 BootTime() {
    static const qint64 boot = [] {
        QByteArray text;
        if (!ReadFileWhole(QStringLiteral("/proc/stat"), &text, nullptr, LinkRule::Refuse, kSmallFileLimit))
            return qint64(0);
        for (const QByteArray& line : text.split('\n'))
            if (line.startsWith("btime "))
                return line.mid(6).trimmed().toLongLong();
        return qint64(0);
    }();
    return boot;
}

// When the process `pid` started, in seconds since the epoch; nothing when it cannot be told.
std::optional<double> StartOf(qint64 pid) {
    QByteArray text;
    const QString stat = QStringLiteral("/proc/%1/stat").arg(pid);
    if (BootTime() == 0 || !ReadFileWhole(stat, &text, nullptr, LinkRule::Refuse, 4096))
        return std::nullopt;
    // The command name in parentheses may hold blanks; the start is the 22nd field.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    bool ok = false;
    const qint64 ticks = fields.value(19).toLongLong(&ok);
    const long perSecond = ::sysconf(_SC_CLK_TCK);
    if (!ok || perSecond <= 0)
        return std::nullopt;
    return double(BootTime()) + double(ticks) / double(perSecond);
}

QByteArray OwnText() {
    return QByteArray::number(qint64(::getpid())).rightJustified(10, ' ') + '\n';
}

// The boot time has whole seconds only: a process counts as younger than a lock only past this.
constexpr double kStartSlack = 2.0;

// Whether a lock as read keeps this process off the port: one naming another live process that
// is not younger than the lock (a younger one only got the number of the dead owner again), or
// one that names none or cannot be read. An id of our own is left from an earlier process.
bool Blocks(const LockFile& lock) {
    if (!lock.present)
        return false;
    if (!lock.readable)
        return true;
    const qint64 owner = TUucpLock::OwnerOf(lock.bytes);
    if (owner == 0)
        return true;
    if (owner == ::getpid() || !IsAlive(owner))
        return false;
    const std::optional<double> started = StartOf(owner);
    return !started || *started <= double(lock.info.st_mtim.tv_sec) + kStartSlack;
}

// The lock folder is not the user's to write (systemd makes it root's), or there is none.
bool IsSystemsOnly(int error) {
    return error == EACCES || error == EPERM || error == EROFS || error == ENOENT || error == ENOTDIR;
}

bool SameFile(const LockFile& a, const LockFile& b) {
    return a.present && b.present && a.readable && b.readable && a.info.st_dev == b.info.st_dev &&
           a.info.st_ino == b.info.st_ino && a.bytes == b.bytes;
}

// Takes the flock on the lock folder that every copy of the program holds while it removes a
// lock, waiting a little for another copy that is at it; false when it cannot be had.
bool LockFolder(int folderFd) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (::flock(folderFd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        ::usleep(2000);
    }
    return false;
}

enum class Removal { Removed, Changed, Kept };

// Removes the stale lock `judged` while, under the folder's flock, the name still holds that very
// file: two copies never both remove it, nor one the lock the other has just made in its place.
Removal RemoveStale(const QByteArray& folder, const QByteArray& target, const LockFile& judged) {
    const UniqueFd folderFd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderFd || !LockFolder(folderFd.get()))
        return Removal::Kept;
    if (!SameFile(ReadLock(target), judged))
        return Removal::Changed;
    if (::unlink(target.constData()) == 0 || errno == ENOENT)
        return Removal::Removed;
    return Removal::Kept;
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
    const QByteArray folderPath = QFile::encodeName(folder);
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
    bool watched = false;
    for (int attempt = 0; written && !taken && attempt < 5; ++attempt) {
        if (::link(temporary.constData(), target.constData()) == 0) {
            taken = true;
            break;
        }
        if (errno != EEXIST)
            break;
        const LockFile held = ReadLock(target);
        if (!held.present)
            continue; // let go meanwhile
        if (Blocks(held))
            break;
        const Removal removal = RemoveStale(folderPath, target, held);
        if (removal == Removal::Kept) {
            // Another user's stale lock in a folder all may write (the sticky bit keeps it there):
            // it claims nothing, and the caller's flock and exclusive mode keep the port.
            watched = true;
            break;
        }
    }
    ::unlink(temporary.constData());
    if (taken)
        m_written = target;
    if (watched)
        m_watched = target;
    return taken || watched;
}

bool TUucpLock::Holds() const {
    return !m_written.isEmpty() || (!m_watched.isEmpty() && !Blocks(ReadLock(m_watched)));
}

void TUucpLock::Release() {
    m_watched.clear();
    if (m_written.isEmpty())
        return;
    const QByteArray path = std::exchange(m_written, QByteArray());
    if (ReadLock(path).bytes == OwnText())
        ::unlink(path.constData());
}

} // namespace qm
