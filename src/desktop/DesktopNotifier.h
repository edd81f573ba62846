#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

namespace qm {

// Desktop notifications through org.freedesktop.Notifications on the session bus. Nothing here ever
// waits on the bus: the connection is made on a thread of its own (a bus that accepts but never
// answers would hold it for long), the call is asynchronous, and without a session bus or a
// notification service a notification is simply not shown.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotifier(QObject* parent = nullptr);
    ~DesktopNotifier() override;

    // Shows `summary` and `body` (plain text) with a default action, "Show".
    void Notify(const QString& summary, const QString& body);

    // True while a connection to the bus is being made.
    bool Connecting() const { return m_connecting; }

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
    struct Pending {
        QString address; // the bus it was meant for
        QString summary;
        QString body;
    };
    void Flush();
    void Connected(const QString& address);
    void Send(const Pending& notification);

    QString m_connectionName;
    QString m_address;       // of the connection held, when there is one
    QString m_failedAddress; // the last attempt failed there; tried again at the next notification
    bool m_connecting = false;
    QList<Pending> m_pending;
    QSet<uint> m_shown; // ids of our notifications still open
};

} // namespace qm
