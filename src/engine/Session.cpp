#include "engine/Session.h"

#include "engine/EngineError.h"
#include "engine/FoldedLike.h"
#include "engine/ResultCache.h"
#include "platform/OwnFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Every failure that SQLite reports becomes an engine error here. Its text for a full disk names
// neither the file nor what became of the change, so that one is said in the user's words.
[[noreturn]] void ThrowSqliteError(int rc, sqlite3* db, const QString& message, const QString& context) {
    if ((rc & 0xff) == SQLITE_FULL && db) {
        QString file = Session::Instance().FileOf(db);
        if (file.isEmpty())
            file = QString::fromUtf8(sqlite3_db_filename(db, "main"));
        throw EngineError(QStringLiteral("The table file %1 could not be changed: the disk is full.\rNothing "
                                         "was changed. Free some space on the disk, then try again.")
                              .arg(file));
    }
    throw EngineError(context.isEmpty() ? message : context + QStringLiteral(": ") + message);
}

void Exec(sqlite3* db, const char* sql, const QString& context) {
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = error ? QString::fromUtf8(error) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(error);
        ThrowSqliteError(rc, db, message, context);
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
    if (const auto it = m_unavailable.constFind(path); it != m_unavailable.constEnd())
        throw EngineError(it.value(), m_faultsReported);
    QPair<quint64, quint64> identity;
    const bool exists = FileIdentity(path, &identity);
    if (sqlite3* cached = m_connections.value(path)) {
        if (exists && m_identities.value(path) == identity)
            return cached;
        CloseConnection(path);
    }
    if (!exists && !create)
        throw EngineError(QStringLiteral("Table does not exist: %1").arg(file));
    if (const QString problem = ForeignFileProblem(path); !problem.isEmpty())
        throw EngineError(problem);

    if (!exists) {
        // A new table is private from its first byte; SQLite gives its journal the same mode.
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
    }
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX |
                      SQLITE_OPEN_NOFOLLOW;
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
    ++m_connectionsOpened;
    return db;
}

QString Session::FileOf(sqlite3* db) const {
    for (auto it = m_connections.constBegin(); it != m_connections.constEnd(); ++it)
        if (it.value() == db)
            return it.key();
    return QString();
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
    m_unavailable.clear();
    m_readOnly.clear();
    m_faultsReported = false;
}

void Session::InTransaction(const QString& file, const std::function<void()>& steps, bool create) {
    const QString path = AbsolutePath(file);
    const bool existed = QFileInfo::exists(path);
    sqlite3* db = Connection(path, create);
    Exec(db, "BEGIN IMMEDIATE", QStringLiteral("Cannot change the table file %1").arg(file));
    try {
        steps();
        Exec(db, "COMMIT", QStringLiteral("Cannot change the table file %1").arg(file));
    } catch (...) {
        // A failed step may have closed the connection already (a CREATE that removed its file).
        if (m_connections.value(path) == db)
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        if (!existed) {
            CloseConnection(path);
            QFile::remove(path);
            QFile::remove(path + QStringLiteral("-journal"));
        }
        throw;
    }
}

int Session::UserVersion(const QString& file) {
    sqlite3* db = Connection(file);
    sqlite3_stmt* statement = nullptr;
    CheckSqlite(sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &statement, nullptr), db, file);
    const int rc = sqlite3_step(statement);
    const int value = rc == SQLITE_ROW ? sqlite3_column_int(statement, 0) : 0;
    sqlite3_finalize(statement);
    CheckSqlite(rc, db, file);
    return value;
}

void Session::SetUserVersion(const QString& file, int value) {
    CheckWritable(file);
    sqlite3* db = Connection(file);
    const QByteArray sql = QByteArray("PRAGMA user_version = ") + QByteArray::number(value);
    Exec(db, sql.constData(), QStringLiteral("Cannot change the table file %1").arg(file));
}

void Session::MarkUnavailable(const QString& file, const QString& message) {
    const QString path = AbsolutePath(file);
    CloseConnection(path);
    m_unavailable.insert(path, message);
}

void Session::MarkReadOnly(const QString& file, const QString& message) {
    m_readOnly.insert(AbsolutePath(file), message);
}

void Session::CheckWritable(const QString& file) const {
    const QString path = AbsolutePath(file);
    if (const auto it = m_unavailable.constFind(path); it != m_unavailable.constEnd())
        throw EngineError(it.value(), m_faultsReported);
    if (const auto it = m_readOnly.constFind(path); it != m_readOnly.constEnd())
        throw EngineError(it.value(), m_faultsReported);
}

Session::TableCheck Session::CheckTableFile(const QString& file, const QString& table) {
    using State = TableState;
    const QString path = AbsolutePath(file);
    // A fresh look: what an earlier look found no longer counts.
    m_unavailable.remove(path);
    m_readOnly.remove(path);
    // Before anything opens it: even a table created anew would take in another user's journal.
    if (const QString problem = ForeignFileProblem(path); !problem.isEmpty())
        return {State::Foreign, problem};
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return {errno == ENOENT ? State::Missing : State::Unopenable,
                errno == ENOENT ? QString() : QString::fromLocal8Bit(strerror(errno))};
    if (S_ISDIR(info.st_mode))
        return {State::Folder, QStringLiteral("a folder stands where the table file should be")};
    if (!S_ISREG(info.st_mode))
        return {State::Unopenable, QStringLiteral("it is not a regular file")};

    // A connection of its own, so that the look waits briefly for a lock and leaves no trace.
    CloseConnection(path);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
    const auto finish = [&db](State state, const QString& reason) {
        sqlite3_close_v2(db);
        db = nullptr;
        return TableCheck{state, reason};
    };
    const auto failure = [&](int code, QString message = QString()) -> TableCheck {
        if (message.isEmpty())
            message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(code));
        switch (code & 0xff) {
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
        case SQLITE_FORMAT:
            return finish(State::Damaged,
                          QStringLiteral("it is damaged or is not a table file (%1)").arg(message));
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return finish(State::Locked, QStringLiteral("another program holds it locked"));
        case SQLITE_READONLY:
            return finish(State::ReadOnly, QStringLiteral("it cannot be written (%1)").arg(message));
        case SQLITE_PERM:
        case SQLITE_CANTOPEN:
        case SQLITE_AUTH:
            return finish(State::Unopenable, QStringLiteral("it cannot be opened (%1)").arg(message));
        default:
            return finish(State::Damaged, QStringLiteral("it cannot be read (%1)").arg(message));
        }
    };
    if (rc != SQLITE_OK)
        return failure(rc);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 250);

    // The tables it holds: none at all is a table never finished (an empty file, or a creation
    // rolled back), which is created anew.
    int tables = 0;
    bool hasTable = false;
    {
        sqlite3_stmt* statement = nullptr;
        rc = sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &statement,
                                nullptr);
        while (rc == SQLITE_OK && (rc = sqlite3_step(statement)) == SQLITE_ROW) {
            ++tables;
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
            hasTable = hasTable || QString::fromUtf8(name).compare(table, Qt::CaseInsensitive) == 0;
            rc = SQLITE_OK;
        }
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE)
            return failure(rc);
    }
    if (tables == 0)
        return finish(State::Missing, QString());
    if (!hasTable)
        return finish(State::Damaged, QStringLiteral("it holds no table named %1").arg(table));

    // Every page read once: a truncated or overwritten file shows here, not at a later statement.
    {
        sqlite3_stmt* statement = nullptr;
        rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &statement, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_step(statement);
        QString verdict;
        if (rc == SQLITE_ROW)
            verdict = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        if (rc != SQLITE_ROW)
            return failure(rc);
        if (verdict != QLatin1String("ok"))
            return finish(State::Damaged, QStringLiteral("it is damaged"));
    }

    // A write that is rolled back: the file, its folder (for the journal) and the lock all allow it.
    if (sqlite3_db_readonly(db, "main") == 1)
        return finish(State::ReadOnly, QStringLiteral("it cannot be written (read-only)"));
    rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        int version = 0;
        sqlite3_stmt* statement = nullptr;
        rc = sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &statement, nullptr);
        if (rc == SQLITE_OK && (rc = sqlite3_step(statement)) == SQLITE_ROW) {
            version = sqlite3_column_int(statement, 0);
            rc = SQLITE_OK;
        }
        sqlite3_finalize(statement);
        if (rc == SQLITE_OK) {
            const QByteArray touch = QByteArray("PRAGMA user_version = ") + QByteArray::number(version);
            rc = sqlite3_exec(db, touch.constData(), nullptr, nullptr, nullptr);
        }
    }
    // The reason is read before the rollback, which would replace it with "not an error".
    const QString writeError = QString::fromUtf8(sqlite3_errmsg(db));
    if (sqlite3_get_autocommit(db) == 0)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        // A full disk leaves the table whole; only changes must wait until there is room again.
        if ((rc & 0xff) == SQLITE_FULL)
            return finish(State::Full, QStringLiteral("the disk is full (%1)").arg(writeError));
        if ((rc & 0xff) == SQLITE_CANTOPEN || (rc & 0xff) == SQLITE_IOERR || (rc & 0xff) == SQLITE_PERM)
            return finish(State::ReadOnly, QStringLiteral("it cannot be written (%1)").arg(writeError));
        return failure(rc, writeError);
    }
    return finish(State::Usable, QString());
}

QString Session::ForeignFileProblem(const QString& file) const {
    const QString path = AbsolutePath(file);
    const QString folder = QFileInfo(path).path();
    bool inArchive = false;
    for (const QString& aliasFolder : m_aliases)
        inArchive = inArchive || AbsolutePath(aliasFolder) == folder;
    if (!inArchive)
        return QString();
    uid_t owner = 0;
    const OwnEntry table = InspectPath(path, &owner);
    if (table == OwnEntry::Foreign)
        return QStringLiteral("The table file %1 cannot be used: it %2.").arg(path, WhyNotOwn(path, false));
    // SQLite plays a hot journal back into the table at its first read, whoever put it there.
    const QString journal = path + QStringLiteral("-journal");
    const OwnEntry journalEntry = InspectPath(journal, &owner);
    if (journalEntry == OwnEntry::Foreign)
        return QStringLiteral("The table file %1 cannot be used: its journal %2 %3, so it is never played "
                              "back into your table.")
            .arg(path, journal, WhyNotOwn(journal, false));
    return QString();
}

void CheckSqlite(int rc, sqlite3* db, const QString& context) {
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE)
        return;
    const QString message =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    ThrowSqliteError(rc, db, message, context);
}

} // namespace qm
