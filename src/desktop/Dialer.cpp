#include "desktop/Dialer.h"

#include "platform/Launcher.h"
#include "platform/MessageBox.h"

#include <QHash>
#include <QSerialPort>

namespace qm {

namespace {

QHash<int, QString>& PortOverrides() {
    static QHash<int, QString> overrides;
    return overrides;
}

// How long the modem may take to accept a few bytes before the dial counts as failed.
constexpr int WriteTimeoutMs = 3000;

struct Texts {
    QString confirm;
    QString openFailed;
    QString writeFailed;
    QString pickUp;
};

Texts TextsFor(TLanguage language, const QString& number, const QString& port) {
    switch (language) {
    case dlDutch:
        return {QStringLiteral("Weet u zeker dat u nummer ") + number + QStringLiteral(" wilt kiezen ?"),
                QStringLiteral("Kan ") + port + QStringLiteral(" niet openen"),
                QStringLiteral("Kan dit nummer niet kiezen"), QStringLiteral("Pak de telefoon op")};
    case dlGerman:
        return {
            QStringLiteral("Wollen Sie die Nummer ") + number + QStringLiteral(" wählen ?"),
            QStringLiteral("Fehler beim Ansprechen des COM ") + port +
                QStringLiteral(" Ports. Bitte überprüfen Sie, ob das Modem richtig angeschlossen ist und ob "
                               "keine weitere Kommunikationssoftware aktiv ist."),
            QStringLiteral("Kann die angegebene Nummer nicht erreichen !"),
            QStringLiteral("Nummer gewählt - Bitte nehmen Sie den Hörer ab und klicken dann auf OK")};
    case dlEnglish:
        break;
    }
    return {QStringLiteral("About to dial the number ") + number + QStringLiteral(". Are you sure?"),
            QStringLiteral("Unable to open ") + port, QStringLiteral("Unable to dial number"),
            QStringLiteral("Pick up phone")};
}

bool WriteAll(QSerialPort& port, const QByteArray& bytes) {
    if (port.write(bytes) != bytes.size())
        return false;
    while (port.bytesToWrite() > 0)
        if (!port.waitForBytesWritten(WriteTimeoutMs))
            return false;
    return true;
}

} // namespace

QString TelAddress(const QString& number) {
    static const QByteArray kept("+*-.()");
    static const char hex[] = "0123456789ABCDEF";
    QByteArray address("tel:");
    for (const char byte : number.trimmed().toUtf8()) {
        if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
            kept.contains(byte)) {
            address += byte;
        } else {
            address += '%';
            address += hex[uchar(byte) >> 4];
            address += hex[uchar(byte) & 0xF];
        }
    }
    return QString::fromLatin1(address);
}

QString TDialer::PortName(TComPort port) {
    return QStringLiteral("COM") + QString::number(int(port) + 1);
}

QString TDialer::PortDevice(TComPort port) {
    const auto override = PortOverrides().constFind(int(port));
    if (override != PortOverrides().constEnd())
        return *override;
    return QStringLiteral("/dev/ttyS") + QString::number(int(port));
}

QString TDialer::Dial() {
    return Mode == mTapi ? DialDesktop() : DialModem();
}

QString TDialer::DialDesktop() {
    const QString number = NumberToDial.left(80).trimmed();
    if (number.isEmpty())
        return QStringLiteral("TapiInvalidAddress");
    return ShellOpen(TelAddress(number)) ? QStringLiteral("TapiConnected")
                                         : QStringLiteral("TapiNotAvailable");
}

QString TDialer::DialModem() {
    const QString portName = PortName(ComPort);
    const Texts texts = TextsFor(Language, NumberToDial, portName);
    if (Confirm &&
        MessageBox(texts.confirm, QStringLiteral("Confirm"), Mb::YesNo | Mb::IconQuestion) != Id::Yes)
        return QString();

    QSerialPort port(PortDevice(ComPort));
    if (!port.open(QIODevice::WriteOnly)) {
        MessageBox(texts.openFailed, QStringLiteral("Error"), Mb::Ok | Mb::IconError);
        return QStringLiteral("COMOPENERROR");
    }
    QString status;
    if (!WriteAll(port, (DialCommand + NumberToDial).toLatin1() + "\r\n")) {
        MessageBox(texts.writeFailed, QStringLiteral("Error"), Mb::Ok | Mb::IconError);
        status = QStringLiteral("DIALERROR");
    } else {
        // The modem keeps the line until the user has lifted the handset; then it hangs up and
        // leaves the call to the telephone.
        MessageBox(texts.pickUp, QStringLiteral("Information"), Mb::Ok | Mb::IconInformation);
        status = QStringLiteral("OK");
        WriteAll(port, QByteArrayLiteral("ATH\r\n"));
    }
    port.close();
    return status;
}

namespace DialerSeam {
void SetPortDevice(TComPort port, const QString& path) {
    PortOverrides().insert(int(port), path);
}
void Reset() {
    PortOverrides().clear();
}
} // namespace DialerSeam

} // namespace qm
