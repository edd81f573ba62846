#pragma once

#include <QHash>
#include <QPair>
#include <QString>

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
    // Closes a cached connection (before a file is renamed, replaced or deleted).
    void CloseConnection(const QString& file);
    void CloseAll();

    // Test seam: forget aliases and connections.
    void Reset();

private:
    Session() = default;
    ~Session();
    bool m_started = false;
    QHash<QString, QString> m_aliases; // upper-case alias -> folder
    QHash<QString, sqlite3*> m_connections;
    // Device and inode of each cached file, so that a file replaced behind our back is reopened.
    QHash<QString, QPair<quint64, quint64>> m_identities;
    QString m_privateDir;
};

// Throws EngineError with SQLite's message when rc is an error code.
void CheckSqlite(int rc, sqlite3* db, const QString& context = QString());

} // namespace qm
