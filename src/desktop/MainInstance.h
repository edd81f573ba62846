#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace qm {

// Keeps one running copy of the program per user. The first copy listens on a local socket named
// after the login name; a later copy hands its command line to it and is told to end.
class TMainInstance : public QObject {
    Q_OBJECT
public:
    // `key` names the socket (the login name); tests give their own.
    explicit TMainInstance(const QString& key, QObject* parent = nullptr);
    ~TMainInstance() override;

    // True when no other copy runs: this one then listens for later ones. False when another copy
    // runs: the arguments (argument 0 being the program) have been handed to it.
    bool Start(const QStringList& arguments);

    // The text handed on: each argument after the last one that names a ".exe" (the program
    // itself, however it was started), each followed by one blank; empty when nothing is left.
    static QString ForwardedText(const QStringList& arguments);
    QString ServerName() const;

signals:
    // A later copy was started; `text` is its forwarded command line (possibly empty).
    void Called(const QString& text);

private:
    void AcceptConnection();

    QString m_key;
    QLocalServer* m_server = nullptr;
};

} // namespace qm
