#include "desktop/Dialer.h"

#include "desktop/ModemPort.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"

#include <QFileInfo>
#include <QHash>

namespace qm {

namespace {

QHash<int, QString>& PortOverrides() {
    static QHash<int, QString> overrides;
    return overrides;
}

// How long the modem may take to accept a few bytes before the dial counts as failed.
constexpr int DefaultWriteTimeoutMs = 3000;
int g_writeTimeoutMs = DefaultWriteTimeoutMs;
QString g_lockFolder;

// Where the serial programs of the system keep their port locks.
QString LockFolder() {
    if (!g_lockFolder.isEmpty())
        return g_lockFolder;
    const QString run = QStringLiteral("/run/lock");
    return QFileInfo(run).isDir() ? run : QStringLiteral("/var/lock");
}

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

    TModemPort port(PortDevice(ComPort), LockFolder());
    if (!port.Open()) {
        MessageBox(texts.openFailed, QStringLiteral("Error"), Mb::Ok | Mb::IconError);
        return QStringLiteral("COMOPENERROR");
    }
    if (!port.Write((DialCommand + NumberToDial).toLatin1() + "\r\n", g_writeTimeoutMs)) {
        // Let go before the user is told, so that the modem cannot dial after all.
        port.Close();
        MessageBox(texts.writeFailed, QStringLiteral("Error"), Mb::Ok | Mb::IconError);
        return QStringLiteral("DIALERROR");
    }
    // The modem keeps the line until the user has lifted the handset; then it hangs up and leaves
    // the call to the telephone.
    MessageBox(texts.pickUp, QStringLiteral("Information"), Mb::Ok | Mb::IconInformation);
    port.Write(QByteArrayLiteral("ATH\r\n"), g_writeTimeoutMs);
    port.Close();
    return QStringLiteral("OK");
}

namespace DialerSeam {
void SetPortDevice(TComPort port, const QString& path) {
    PortOverrides().insert(int(port), path);
}
void SetLockFolder(const QString& folder) {
    g_lockFolder = folder;
}
void SetWriteTimeout(int ms) {
    g_writeTimeoutMs = ms;
}
void Reset() {
    PortOverrides().clear();
    g_lockFolder.clear();
    g_writeTimeoutMs = DefaultWriteTimeoutMs;
}
} // namespace DialerSeam

} // namespace qm
