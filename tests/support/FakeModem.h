#pragma once

#include <QByteArray>
#include <QString>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace qm {

// A pseudo-terminal standing in for the modem: the dialler writes to its device, the test reads
// what arrived at the other end.
class FakeModem {
public:
    FakeModem() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0) {
            m_device = QString::fromLocal8Bit(ptsname(m_master));
            // Held open so that what the dialler wrote stays readable after it closed the port.
            m_slave = ::open(ptsname(m_master), O_RDWR | O_NOCTTY);
        }
    }
    FakeModem(const FakeModem&) = delete;
    FakeModem& operator=(const FakeModem&) = delete;
    ~FakeModem() {
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
    }
    QString Device() const { return m_device; }
    // The line's end the dialler writes to, as another program holding it would see it.
    int Line() const { return m_slave; }
    // Reads until `expected` bytes came or nothing more arrives within `waitMs`.
    QByteArray Received(int expected, int waitMs = 5000) {
        QByteArray bytes;
        while (bytes.size() < expected) {
            pollfd fd{m_master, POLLIN, 0};
            if (poll(&fd, 1, waitMs) <= 0)
                break;
            char buffer[256];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            bytes.append(buffer, n);
        }
        return bytes;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_device;
};

} // namespace qm
