#pragma once

#include "engine/EngineError.h"
#include "engine/Session.h"

#include <QString>
#include <sqlite3.h>

namespace qm {

// A prepared statement that is finalized however the scope is left.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql) {
        const QByteArray utf8 = sql.toUtf8();
        CheckSqlite(sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_statement, nullptr), db);
        if (!m_statement)
            throw EngineError(QStringLiteral("Empty SQL statement"));
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return m_statement; }

private:
    sqlite3_stmt* m_statement = nullptr;
};

} // namespace qm
