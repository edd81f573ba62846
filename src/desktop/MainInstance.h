#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class QLocalServer;
class QLocalSocket;

namespace qm {

// Keeps one running copy of the program per user. The copy that holds the lock file is the first;
// it listens on a local socket, and a later copy hands its command line to it and is told to end.
// Lock and socket live in a folder of this user alone, so no other user can take their names.
class TMainInstance : public QObject {
    Q_OBJECT
public:
    // `key` names the socket and the lock (the login name); tests give their own. The folder for
    // them is chosen (and made) here.
    explicit TMainInstance(const QString& key, QObject* parent = nullptr);
    ~TMainInstance() override;

    // True when no other copy runs: this one then listens for later ones. False when another copy
    // runs: the arguments (argument 0 being the program) have been handed to it. A copy that is
    // still starting is waited for up to `HandOverMs`. Also false, after a message, when there is
    // no private folder for the lock: running unguarded could let two copies share the archive.
    bool Start(const QStringList& arguments);
    int HandOverMs = 10000;

    // Texts that arrived before the program could take them are delivered now, later ones at once.
    void SetReady();
    bool HasWaitingCalls() const { return !m_pending.isEmpty(); }

    // The text handed on: each argument after the last one that names a ".exe" (the program
    // itself, however it was started), each followed by one blank; empty when nothing is left.
    static QString ForwardedText(const QStringList& arguments);
    // $XDG_RUNTIME_DIR when it belongs to this user, no one else may enter it and the socket's
    // name fits a socket address; else <cache home>/quellmire, made 0700 and checked the same way.
    // Empty when that folder is not this user's alone.
    QString Folder() const { return m_folder; }
    // Full paths of the socket and the lock file; empty without a folder.
    QString ServerName() const;
    QString LockName() const;

    // A request that wants an answer (the command line's calendar import): `words` is what was
    // asked, the result says whether it worked and what to tell.
    struct Answer {
        bool ok = false;
        QString text;
    };
    std::function<Answer(const QStringList& words)> OnRequest;

    // The asking side, for a program that does not become the running copy: hands `words` to the
    // running copy and waits up to `waitMs` for its answer. Shows no box.
    enum class AskResult { NotRunning, Answered, NoAnswer, NoFolder };
    AskResult Ask(const QStringList& words, Answer* answer, int waitMs);

signals:
    // A later copy was started; `text` is its forwarded command line (possibly empty).
    void Called(const QString& text);

private:
    bool BecomeFirst();
    bool HandOver(const QStringList& arguments);
    void AcceptConnection();
    void Deliver(const QString& text);
    void AnswerRequest(QLocalSocket* socket, const QStringList& words);

    QString m_key;
    QString m_folder;
    // The folder as the socket's name reaches it: the folder itself, or, when its path is too long
    // for a socket address, this process's descriptor of it under /proc/self/fd.
    QString m_socketFolder;
    int m_folderFd = -1;
    QLocalServer* m_server = nullptr;
    int m_lockFd = -1;
    bool m_ready = false;
    QStringList m_pending;
    QList<QPair<QPointer<QLocalSocket>, QStringList>> m_pendingRequests;
};

} // namespace qm
