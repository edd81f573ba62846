#pragma once

#include <QObject>
#include <QString>

namespace qm {

enum TComPort { dpCOM1, dpCOM2, dpCOM3, dpCOM4 };
enum TLanguage { dlEnglish, dlDutch, dlGerman };
enum TMode { mDirect, mTapi };

// Dials a telephone number: by writing an AT command to a modem on a serial port (COM1 to COM4 are
// /dev/ttyS0 to /dev/ttyS3), or by handing a "tel:" address to the desktop's telephony program.
// Dial returns a status word: "TapiConnected", "TapiNotAvailable", "TapiInvalidAddress" (desktop),
// "COMOPENERROR", "DIALERROR", "OK" (modem), or empty when the user declined.
class TDialer : public QObject {
    Q_OBJECT
public:
    explicit TDialer(QObject* owner = nullptr) : QObject(owner) {}

    TComPort ComPort = dpCOM1;
    bool Confirm = false; // ask before a modem dial
    QString NumberToDial;
    TLanguage Language = dlEnglish;
    QString DialCommand;
    TMode Mode = mDirect;

    QString Dial();

    // "COM1" ... "COM4".
    static QString PortName(TComPort port);
    // The device behind the port.
    static QString PortDevice(TComPort port);

private:
    QString DialDesktop();
    QString DialModem();
};

// The "tel:" address that hands `number` to the desktop's telephony program. Every character but the
// digits, the ASCII letters, "+", "*" and the visual separators "-", ".", "(" and ")" is
// percent-encoded, so that "#" (which would start a fragment) and blanks reach the program as
// typed. Letters stay as they are: the desktop would receive them decoded in any case. Blanks at
// both ends are dropped.
QString TelAddress(const QString& number);

// Test seam: the ports can be pointed at other devices (a pseudo-terminal), their locks made in
// another folder than /run/lock, and a stalled line given up sooner than after 3 seconds.
namespace DialerSeam {
void SetPortDevice(TComPort port, const QString& path);
void SetLockFolder(const QString& folder);
void SetWriteTimeout(int ms);
void Reset();
} // namespace DialerSeam

} // namespace qm
