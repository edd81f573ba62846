#pragma once

#include <QHash>
#include <QPair>
#include <QString>
#include <functional>

struct sqlite3;

// The engine's session: aliases naming archive folders, and the open table files.
// Every table is one SQLite file <folder>/<Table>.db holding one table of the same name; the
// file's existence is the table's existence. Files use the rollback journal (the folder may be
// copied file by file or lie on a network share) with synchronous FULL.
namespace qm {

class Session {
public:
    static Session& Instance();

    // Starts the engine once; false when it cannot run.
    bool Start();
    bool IsStarted() const { return m_started; }

    void AddAlias(const QString& alias, const QString& folder);
    bool HasAlias(const QString& alias) const;
    // Throws EngineError for an unknown alias.
    QString AliasFolder(const QString& alias) const;
    void SetPrivateDir(const QString& folder) { m_privateDir = folder; }
    QString PrivateDir() const { return m_privateDir; }

    // The file of a table: <alias folder>/<table>.db, or the table name itself when it is a path
    // (contains "/" or ends in a file extension, as exchange files do).
    QString TableFile(const QString& alias, const QString& table) const;
    bool TableExists(const QString& alias, const QString& table) const;

    // The connection to a table's file. Throws EngineError when the file does not exist, unless
    // `create` is set (CREATE TABLE).
    sqlite3* Connection(const QString& file, bool create = false);
    // The file of a cached connection; empty for any other.
    QString FileOf(sqlite3* db) const;
    // Closes a cached connection (before a file is renamed, replaced or deleted).
    void CloseConnection(const QString& file);
    // Counts the connections opened: a table file reopened (replaced on disk, or after a close)
    // has versions that cannot be compared with the old connection's.
    quint64 ConnectionsOpened() const { return m_connectionsOpened; }
    void CloseAll();

    // What a look at a table file before its first use finds.
    // Full: readable, but the disk has no room for the journal a change needs.
    // Foreign: the file or its journal is a link or another user's, and is never opened.
    enum class TableState { Missing, Usable, ReadOnly, Full, Damaged, Locked, Folder, Unopenable, Foreign };
    struct TableCheck {
        TableState state = TableState::Missing;
        QString reason; // what is wrong, for the user; empty when Missing or Usable
    };
    // Looks at the file of `table` without changing it. A file that is absent, empty or holds no
    // table at all counts as missing. A lock is waited for only briefly.
    TableCheck CheckTableFile(const QString& file, const QString& table);

    // A table file that cannot be used this run: every statement on it throws `message`.
    void MarkUnavailable(const QString& file, const QString& message);
    // A table file that can be read but not written: statements that change it throw `message`.
    void MarkReadOnly(const QString& file, const QString& message);
    // Throws the message of a file marked read-only or unavailable.
    void CheckWritable(const QString& file) const;
    // While set (during start-up, after the marked files were reported in one message), the errors
    // of marked files are flagged as already reported and show no box of their own.
    void SetFaultsReported(bool reported) { m_faultsReported = reported; }
    bool FaultsReported() const { return m_faultsReported; }

    // Runs `steps` in one transaction on the table file (created when missing and `create` is
    // set): all of them or none. A file created here is removed again when a step throws.
    void InTransaction(const QString& file, const std::function<void()>& steps, bool create = false);
    // A number kept in the file's header (SQLite's user_version), written within the transaction
    // open on the file, if any.
    int UserVersion(const QString& file);
    void SetUserVersion(const QString& file, int value);

    // Why the table file `file` of an alias folder must not be opened: it, or a journal beside it
    // that SQLite would play back into it, is a link, another user's, or no file or folder at all.
    // Empty when it may be.
    QString ForeignFileProblem(const QString& file) const;

    // Test seam: forget aliases, connections and marks.
    void Reset();

private:
    Session() = default;
    ~Session();
    bool m_started = false;
    QHash<QString, QString> m_aliases; // upper-case alias -> folder
    QHash<QString, sqlite3*> m_connections;
    quint64 m_connectionsOpened = 0;
    // Device and inode of each cached file, so that a file replaced behind our back is reopened.
    QHash<QString, QPair<quint64, quint64>> m_identities;
    QString m_privateDir;
    QHash<QString, QString> m_unavailable; // absolute path -> message
    QHash<QString, QString> m_readOnly;    // absolute path -> message
    bool m_faultsReported = false;
};

// Throws EngineError with SQLite's message when rc is an error code; a full disk is said in the
// user's words, naming the table file.
void CheckSqlite(int rc, sqlite3* db, const QString& context = QString());

} // namespace qm
