#pragma once

#include "desktop/UucpLock.h"

#include <QByteArray>
#include <QString>
#include <termios.h>

namespace qm {

// A serial port held for one dial. It is taken only when no other program holds it, and then held
// against all others: the UUCP lock file, the terminal's exclusive mode and an flock. The root
// user passes an exclusive mode without a word, so another program's is asked for, not trusted.
// The line is set raw, 9600 baud, 8 bits, no parity, no flow control; its old settings come back
// on closing.
class TModemPort {
public:
    TModemPort(const QString& device, const QString& lockFolder);
    ~TModemPort() { Close(); }
    TModemPort(const TModemPort&) = delete;
    TModemPort& operator=(const TModemPort&) = delete;

    // False when the device is missing or no terminal, or another program holds it.
    bool Open();
    // True when the line has sent every byte within `timeoutMs`; otherwise whatever is still
    // waiting is thrown away, so that nothing of it reaches the modem later.
    bool Write(const QByteArray& bytes, int timeoutMs);
    void Close();

private:
    bool TakeLine();
    bool Discard();

    QString m_device;
    QString m_lockFolder;
    TUucpLock m_lock;
    int m_fd = -1;
    bool m_exclusive = false;
    bool m_restore = false;
    termios m_saved{};
};

} // namespace qm
