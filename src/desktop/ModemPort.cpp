#include "desktop/ModemPort.h"

#include <QDeadlineTimer>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace qm {

TModemPort::TModemPort(const QString& device, const QString& lockFolder)
    : m_device(device), m_lockFolder(lockFolder) {}

bool TModemPort::Open() {
    Close();
    // The lock comes first: opening a port can already disturb the program that uses it.
    if (!m_lock.Acquire(m_lockFolder, m_device))
        return false;
    m_fd = ::open(QFile::encodeName(m_device).constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // Without a lock file of our own, a program that locked the port between the look at the lock
    // folder and the exclusive mode keeps it.
    if (m_fd < 0 || !TakeLine() || !m_lock.Holds()) {
        Close();
        return false;
    }
    return true;
}

bool TModemPort::TakeLine() {
    int exclusive = 0;
    if (::ioctl(m_fd, TIOCGEXCL, &exclusive) == 0 && exclusive)
        return false;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(m_fd, TIOCEXCL) != 0)
        return false;
    m_exclusive = true;
    if (::tcgetattr(m_fd, &m_saved) != 0)
        return false;
    m_restore = true;
    termios line = m_saved;
    ::cfmakeraw(&line);
    line.c_cflag = (line.c_cflag & ~(CSIZE | PARENB | CSTOPB | CRTSCTS)) | CS8 | CLOCAL | CREAD;
    line.c_iflag &= ~(IXON | IXOFF | IXANY);
    ::cfsetispeed(&line, B9600);
    ::cfsetospeed(&line, B9600);
    return ::tcsetattr(m_fd, TCSANOW, &line) == 0;
}

bool TModemPort::Write(const QByteArray& bytes, int timeoutMs) {
    if (m_fd < 0)
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return Discard();
        pollfd writable{m_fd, POLLOUT, 0};
        const int ready = ::poll(&writable, 1, int(deadline.remainingTime()));
        if (ready == 0 || (ready < 0 && errno != EINTR) ||
            (writable.revents & (POLLERR | POLLHUP | POLLNVAL)))
            return Discard();
    }
    // What the driver still holds for the line has to leave in time as well.
    for (int queued = 0; ::ioctl(m_fd, TIOCOUTQ, &queued) == 0 && queued > 0;) {
        if (deadline.hasExpired())
            return Discard();
        ::poll(nullptr, 0, 10);
    }
    return true;
}

bool TModemPort::Discard() {
    ::tcflush(m_fd, TCOFLUSH);
    return false;
}

void TModemPort::Close() {
    if (m_fd >= 0) {
        if (m_restore)
            ::tcsetattr(m_fd, TCSANOW, &m_saved);
        // The mode belongs to the terminal, not to this descriptor: left on, it would shut out
        // every later open by others.
        if (m_exclusive)
            ::ioctl(m_fd, TIOCNXCL);
        ::close(m_fd);
    }
    m_fd = -1;
    m_exclusive = false;
    m_restore = false;
    m_lock.Release();
}

} // namespace qm
