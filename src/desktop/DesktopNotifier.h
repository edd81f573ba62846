#pragma once

#include <QObject>
#include <QSet>
#include <QString>

namespace qm {

// Desktop notifications through org.freedesktop.Notifications on the session bus. Nothing here ever
// waits on the bus: the call is asynchronous, and without a session bus or a notification service a
// notification is simply not shown.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotifier(QObject* parent = nullptr);
    ~DesktopNotifier() override;

    // Shows `summary` and `body` (plain text) with a default action, "Show".
    void Notify(const QString& summary, const QString& body);

    // The session bus address: DBUS_SESSION_BUS_ADDRESS, else the user's bus in XDG_RUNTIME_DIR;
    // empty when there is none. No bus is ever started for us (autolaunch could hang).
    static QString SessionBusAddress();

signals:
    // The user chose one of our notifications (its default action).
    void DefaultAction();

private slots:
    void ActionInvoked(uint id, const QString& action);
    void NotificationClosed(uint id, uint reason);

private:
    bool Connect();

    QString m_connectionName;
    QString m_address;  // of the connection held, when there is one
    QSet<uint> m_shown; // ids of our notifications still open
};

} // namespace qm
