#include "desktop/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QVariantMap>

namespace qm {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kAppId = QStringLiteral("org.quellmire.Organizer");

// More open notifications than this are forgotten: the oldest ids no longer matter.
constexpr qsizetype kMostRemembered = 64;

} // namespace

DesktopNotifier::DesktopNotifier(QObject* parent)
    : QObject(parent),
      m_connectionName(QStringLiteral("quellmire-notifications-%1").arg(quintptr(this), 0, 16)) {}

DesktopNotifier::~DesktopNotifier() {
    if (!m_address.isEmpty())
        QDBusConnection::disconnectFromBus(m_connectionName);
}

QString DesktopNotifier::SessionBusAddress() {
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        return address;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString bus = runtime + QStringLiteral("/bus");
    if (!runtime.isEmpty() && QFileInfo(bus).exists())
        return QStringLiteral("unix:path=") + bus;
    return QString();
}

// A connection of our own, made again when the bus went away or another one is named, so that
// ActionInvoked reaches the connection that sent Notify.
bool DesktopNotifier::Connect() {
    const QString address = SessionBusAddress();
    if (!m_address.isEmpty()) {
        if (address == m_address && QDBusConnection(m_connectionName).isConnected())
            return true;
        QDBusConnection::disconnectFromBus(m_connectionName);
        m_address.clear();
        m_shown.clear();
    }
    if (address.isEmpty())
        return false;
    QDBusConnection bus = QDBusConnection::connectToBus(address, m_connectionName);
    m_address = address;
    if (!bus.isConnected())
        return false;
    // No service name: matching on the sender would ask the bus for the owner and wait for it.
    bus.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(ActionInvoked(uint, QString)));
    bus.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(NotificationClosed(uint, uint)));
    return true;
}

void DesktopNotifier::Notify(const QString& summary, const QString& body) {
    if (!Connect())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), kAppId},
                            {QStringLiteral("category"), QStringLiteral("x-quellmire.alarm")}};
    // Servers that read markup in the body would take "<" and "&" of a title for it.
    call << QStringLiteral("Quellmire Organizer") << uint(0) << kAppId << summary << body.toHtmlEscaped()
         << QStringList{QStringLiteral("default"), QStringLiteral("Show")} << hints << int(-1);
    // Without a service the reply is an error; a service that never answers is given up by Qt.
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection(m_connectionName).asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError())
            return;
        if (m_shown.size() >= kMostRemembered)
            m_shown.clear();
        m_shown.insert(reply.value());
    });
}

void DesktopNotifier::ActionInvoked(uint id, const QString& action) {
    if (!m_shown.contains(id))
        return;
    if (action == QLatin1String("default"))
        emit DefaultAction();
}

void DesktopNotifier::NotificationClosed(uint id, uint) {
    m_shown.remove(id);
}

} // namespace qm
