#include "engine/Session.h"

#include "engine/EngineError.h"
#include "engine/FoldedLike.h"
#include "engine/ResultCache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <sys/stat.h>

namespace qm {

namespace {

// UPPER for every letter, not only ASCII; NULL reads as '' so that "%%" matches an empty column.
void UpperFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_text(context, "", 0, SQLITE_STATIC);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int length = sqlite3_value_bytes(argv[0]);
    if (!text) {
        sqlite3_result_error_nomem(context);
        return;
    }
    // The common case stays out of QString: LIKE searches call this once per row.
    auto* upper = static_cast<char*>(sqlite3_malloc64(sqlite3_uint64(length) + 1));
    if (!upper) {
        sqlite3_result_error_nomem(context);
        return;
    }
    for (int i = 0; i < length; ++i) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            sqlite3_free(upper);
            const QByteArray folded = QString::fromUtf8(text, length).toUpper().toUtf8();
            sqlite3_result_text(context, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
            return;
        }
        upper[i] = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
    }
    upper[length] = 0;
    sqlite3_result_text(context, upper, length, sqlite3_free);
}

QString AbsolutePath(const QString& file) {
    return QDir::cleanPath(QFileInfo(file).absoluteFilePath());
}

bool FileIdentity(const QString& file, QPair<quint64, quint64>* identity) {
    struct stat info {};
    if (::stat(QFile::encodeName(file).constData(), &info) != 0)
        return false;
    *identity = qMakePair(quint64(info.st_dev), quint64(info.st_ino));
    return true;
}

void Exec(sqlite3* db, const char* sql, const QString& context) {
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = error ? QString::fromUtf8(error) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(error);
        throw EngineError(context + QStringLiteral(": ") + message);
    }
}

} // namespace

Session& Session::Instance() {
    static Session session;
    return session;
}

Session::~Session() {
    CloseAll();
}

bool Session::Start() {
    if (!m_started)
        m_started = sqlite3_initialize() == SQLITE_OK && sqlite3_libversion_number() >= 3035000;
    return m_started;
}

void Session::AddAlias(const QString& alias, const QString& folder) {
    m_aliases.insert(alias.toUpper(), folder);
}

bool Session::HasAlias(const QString& alias) const {
    return m_aliases.contains(alias.toUpper());
}

QString Session::AliasFolder(const QString& alias) const {
    const auto it = m_aliases.constFind(alias.toUpper());
    if (it == m_aliases.constEnd())
        throw EngineError(QStringLiteral("Unknown database alias: %1").arg(alias));
    return it.value();
}

QString Session::TableFile(const QString& alias, const QString& table) const {
    if (table.contains(QLatin1Char('/')))
        return table;
    QString folder = AliasFolder(alias);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    // A name with an extension ("friends.QOC") is a file of the folder under its own name.
    if (table.contains(QLatin1Char('.')))
        return folder + table;
    return folder + table + QStringLiteral(".db");
}

bool Session::TableExists(const QString& alias, const QString& table) const {
    return QFileInfo(TableFile(alias, table)).isFile();
}

sqlite3* Session::Connection(const QString& file, bool create) {
    Start();
    const QString path = AbsolutePath(file);
    QPair<quint64, quint64> identity;
    const bool exists = FileIdentity(path, &identity);
    if (sqlite3* cached = m_connections.value(path)) {
        if (exists && m_identities.value(path) == identity)
            return cached;
        CloseConnection(path);
    }
    if (!exists && !create)
        throw EngineError(QStringLiteral("Table does not exist: %1").arg(file));

    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    const QString context = QStringLiteral("Cannot open table file %1").arg(file);
    try {
        if (rc != SQLITE_OK) {
            if (!db)
                throw EngineError(context + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errstr(rc)));
            CheckSqlite(rc, db, context);
        }
        CheckSqlite(sqlite3_busy_timeout(db, 2000), db, context);
        // The rollback journal, not WAL: the folder may be copied file by file or be on a share.
        Exec(db, "PRAGMA journal_mode=DELETE", context);
        Exec(db, "PRAGMA synchronous=FULL", context);
        Exec(db, "PRAGMA cache_size=-16384", context);
        Exec(db, "PRAGMA foreign_keys=OFF", context);
        CheckSqlite(sqlite3_create_function_v2(db, "upper", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                               &UpperFunction, nullptr, nullptr, nullptr),
                    db, context);
        CheckSqlite(RegisterFoldedLike(db), db, context);
    } catch (...) {
        sqlite3_close_v2(db);
        throw;
    }
    if (!FileIdentity(path, &identity))
        identity = qMakePair(quint64(0), quint64(0));
    m_connections.insert(path, db);
    m_identities.insert(path, identity);
    return db;
}

void Session::CloseConnection(const QString& file) {
    const QString path = AbsolutePath(file);
    ResultCache::Instance().Clear();
    if (sqlite3* db = m_connections.take(path))
        sqlite3_close_v2(db);
    m_identities.remove(path);
}

void Session::CloseAll() {
    ResultCache::Instance().Clear();
    for (sqlite3* db : std::as_const(m_connections))
        sqlite3_close_v2(db);
    m_connections.clear();
    m_identities.clear();
}

void Session::Reset() {
    CloseAll();
    m_aliases.clear();
    m_privateDir.clear();
}

void CheckSqlite(int rc, sqlite3* db, const QString& context) {
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE)
        return;
    const QString message =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    throw EngineError(context.isEmpty() ? message : context + QStringLiteral(": ") + message);
}

} // namespace qm
