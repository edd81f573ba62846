#include "desktop/MainInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <memory>

namespace qm {

namespace {

constexpr int ConnectMs = 1000;

} // namespace

TMainInstance::TMainInstance(const QString& key, QObject* parent) : QObject(parent), m_key(key) {}

TMainInstance::~TMainInstance() = default;

QString TMainInstance::ServerName() const {
    QString safe;
    for (const QChar c : m_key)
        safe += c.isLetterOrNumber() && c.unicode() < 128 ? c : QChar(u'_');
    return QStringLiteral("QuellmireOrganizer-") + safe;
}

QString TMainInstance::ForwardedText(const QStringList& arguments) {
    QString text;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        text += arguments[i] + QLatin1Char(' ');
        if (text.toUpper().contains(QLatin1String(".EXE")))
            text.clear();
    }
    return text;
}

bool TMainInstance::Start(const QStringList& arguments) {
    // Two copies started together must not both decide they are the first.
    QLockFile lock(QDir::tempPath() + QLatin1Char('/') + ServerName() + QStringLiteral(".lock"));
    lock.tryLock(ConnectMs * 5);

    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (socket.waitForConnected(ConnectMs)) {
        const QByteArray text = ForwardedText(arguments).toUtf8();
        // Framed by its length, so a half-written message is never taken for a whole one.
        QByteArray message = QByteArray::number(text.size()) + '\n' + text;
        socket.write(message);
        socket.waitForBytesWritten(ConnectMs);
        socket.disconnectFromServer();
        return false;
    }

    // Nobody answers: a name left over by a copy that crashed is taken over.
    QLocalServer::removeServer(ServerName());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &TMainInstance::AcceptConnection);
    // A copy that cannot listen still runs; it only cannot be called up by later ones.
    m_server->listen(ServerName());
    return true;
}

void TMainInstance::AcceptConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        auto deliver = [this, socket, buffer] {
            *buffer += socket->readAll();
            const qsizetype newline = buffer->indexOf('\n');
            if (newline < 0)
                return;
            bool ok = false;
            const qsizetype length = buffer->left(newline).toLongLong(&ok);
            if (!ok || length < 0) {
                socket->abort();
                return;
            }
            if (buffer->size() - newline - 1 < length)
                return;
            const QString text = QString::fromUtf8(buffer->mid(newline + 1, length));
            buffer->clear();
            socket->disconnect(this);
            emit Called(text);
        };
        connect(socket, &QLocalSocket::readyRead, this, deliver);
        if (socket->bytesAvailable() > 0)
            deliver();
    }
}

} // namespace qm
