#include "desktop/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QThread>
#include <QVariantMap>

namespace qm {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kAppId = QStringLiteral("org.quellmire.Organizer");

// More open notifications than this are forgotten: the oldest ids no longer matter.
constexpr qsizetype kMostRemembered = 64;
// Alarms that wait for a connection; more than this are not news any more.
constexpr qsizetype kMostPending = 8;

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

void DesktopNotifier::Notify(const QString& summary, const QString& body) {
    const QString address = SessionBusAddress();
    if (address.isEmpty())
        return;
    if (m_pending.size() >= kMostPending)
        m_pending.removeFirst();
    m_pending.append({address, summary, body});
    m_failedAddress.clear(); // the bus may be back
    Flush();
}

// Sends what waits on the connection of its bus, making that connection first when needed. A
// connection of our own, so that ActionInvoked reaches the connection that sent Notify.
void DesktopNotifier::Flush() {
    if (m_connecting || m_pending.isEmpty())
        return;
    const QString address = SessionBusAddress();
    // Notifications meant for another bus, or for one that failed, are not shown.
    m_pending.removeIf([&](const Pending& p) { return p.address != address || address == m_failedAddress; });
    if (m_pending.isEmpty())
        return;
    if (!m_address.isEmpty()) {
        if (address == m_address && QDBusConnection(m_connectionName).isConnected()) {
            for (const Pending& p : std::exchange(m_pending, {}))
                Send(p);
            return;
        }
        QDBusConnection::disconnectFromBus(m_connectionName);
        m_address.clear();
        m_shown.clear();
    }
    m_connecting = true;
    const QString name = m_connectionName;
    QThread* thread = QThread::create([address, name] { QDBusConnection::connectToBus(address, name); });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &QThread::finished, this, [this, address] { Connected(address); });
    thread->start();
}

void DesktopNotifier::Connected(const QString& address) {
    m_connecting = false;
    QDBusConnection bus(m_connectionName);
    if (bus.isConnected()) {
        m_address = address;
        // No service name: matching on the sender would ask the bus for the owner and wait for it.
        bus.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                    SLOT(ActionInvoked(uint, QString)));
        bus.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                    SLOT(NotificationClosed(uint, uint)));
    } else {
        QDBusConnection::disconnectFromBus(m_connectionName);
        m_failedAddress = address;
    }
    Flush();
}

void DesktopNotifier::Send(const Pending& notification) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), kAppId},
                            {QStringLiteral("category"), QStringLiteral("x-quellmire.alarm")}};
    // Servers that read markup in the body would take "<" and "&" of a title for it.
    call << QStringLiteral("Quellmire Organizer") << uint(0) << kAppId << notification.summary
         << notification.body.toHtmlEscaped()
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
    if (m_shown.contains(id) && action == QLatin1String("default"))
        emit DefaultAction();
}

void DesktopNotifier::NotificationClosed(uint id, uint) {
    m_shown.remove(id);
}

} // namespace qm
