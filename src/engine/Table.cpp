#include "engine/EngineError.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "engine/Statement.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace qm {

namespace {

QString QuoteName(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A table file holds one table; its name is looked up rather than derived from the file name,
// since exchange files carry any name.
QString TableInFile(sqlite3* db, const QString& file) {
    Statement statement(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                           "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid LIMIT 1"));
    const int rc = sqlite3_step(statement.get());
    CheckSqlite(rc, db, file);
    if (rc != SQLITE_ROW)
        throw EngineError(QStringLiteral("The file %1 holds no table").arg(file));
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)));
}

void Exec(sqlite3* db, const char* sql) {
    CheckSqlite(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db);
}

} // namespace

QString TTable::FileName() const {
    return Session::Instance().TableFile(DatabaseName, TableName);
}

bool TTable::Exists() const {
    return QFileInfo(FileName()).isFile();
}

void TTable::BatchAppend(const TTable& source, const std::function<void()>& beforeCommit) {
    Session& session = Session::Instance();
    const QString sourceFile = source.FileName();
    const QString destinationFile = FileName();
    if (QFileInfo(sourceFile).canonicalFilePath() == QFileInfo(destinationFile).canonicalFilePath() &&
        QFileInfo::exists(sourceFile))
        throw EngineError(QStringLiteral("Cannot append the table %1 to itself").arg(sourceFile));
    session.CheckWritable(destinationFile);
    sqlite3* sourceDb = session.Connection(sourceFile);
    sqlite3* db = session.Connection(destinationFile);
    const QString sourceTable = TableInFile(sourceDb, sourceFile);
    const QString table = TableInFile(db, destinationFile);

    // The destination's columns; a lone INTEGER primary key is the row's own number and is
    // given NULL so that appended rows are numbered anew.
    QStringList columns;
    QList<bool> textColumns;
    int keyColumn = -1;
    int keyParts = 0;
    {
        Statement info(db, QStringLiteral("PRAGMA table_info(%1)").arg(QuoteName(table)));
        int rc;
        while ((rc = sqlite3_step(info.get())) == SQLITE_ROW) {
            columns.append(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1))));
            const QString type =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 2)));
            textColumns.append(type.contains(QLatin1String("CHAR"), Qt::CaseInsensitive) ||
                               type.contains(QLatin1String("TEXT"), Qt::CaseInsensitive) ||
                               type.contains(QLatin1String("CLOB"), Qt::CaseInsensitive));
            if (sqlite3_column_int(info.get(), 5) > 0) {
                ++keyParts;
                if (type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                    keyColumn = int(columns.size()) - 1;
            }
        }
        CheckSqlite(rc, db, destinationFile);
    }
    if (keyParts != 1)
        keyColumn = -1;

    Statement select(sourceDb, QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(QuoteName(sourceTable)));
    const int sourceCount = qMin(sqlite3_column_count(select.get()), int(columns.size()));
    const int count = int(columns.size());
    if (sourceCount == 0)
        return;
    QStringList names;
    QStringList placeholders;
    for (int i = 0; i < count; ++i) {
        names.append(QuoteName(columns[i]));
        placeholders.append(QStringLiteral("?%1").arg(i + 1));
    }

    Exec(db, "BEGIN IMMEDIATE");
    try {
        {
            Statement insert(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(QuoteName(table), names.join(QLatin1Char(',')),
                                          placeholders.join(QLatin1Char(','))));
            int rc;
            while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
                for (int i = 0; i < count; ++i) {
                    const bool missing =
                        i >= sourceCount || sqlite3_column_type(select.get(), i) == SQLITE_NULL;
                    if (i == keyColumn)
                        CheckSqlite(sqlite3_bind_null(insert.get(), i + 1), db);
                    else if (missing && textColumns[i])
                        // The archive keeps empty text as '', so that finds and sorts treat it alike.
                        CheckSqlite(sqlite3_bind_text(insert.get(), i + 1, "", 0, SQLITE_STATIC), db);
                    else if (missing)
                        CheckSqlite(sqlite3_bind_null(insert.get(), i + 1), db);
                    else
                        CheckSqlite(
                            sqlite3_bind_value(insert.get(), i + 1, sqlite3_column_value(select.get(), i)),
                            db);
                }
                CheckSqlite(sqlite3_step(insert.get()), db, destinationFile);
                sqlite3_reset(insert.get());
            }
            CheckSqlite(rc, sourceDb, sourceFile);
        }
        if (beforeCommit)
            beforeCommit();
        Exec(db, "COMMIT");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

} // namespace qm
