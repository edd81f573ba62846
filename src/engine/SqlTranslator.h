#pragma once

#include <QString>
#include <QStringList>

// Translates the program's local SQL into SQLite SQL. Nothing of the text is passed through
// unread: the statement is tokenised and rebuilt.
//  - "text" in double quotes is a string literal ('text' in SQLite, quotes doubled inside);
//  - EXTRACT(MONTH|DAY|YEAR FROM c) becomes the number of that part of the date text c;
//  - CREATE TABLE types: AUTOINC is an INTEGER PRIMARY KEY AUTOINCREMENT (a key never reused),
//    CHARACTER(n) text with '' as default, NUMERIC a number, DATE the text 'YYYY-MM-DD';
//  - :name parameters keep their place, their names folded to lower case;
//  - the one table the statement names is reported, so the engine opens its file.
namespace qm {

enum class StatementKind { Select, Insert, Update, Delete, CreateTable, Other };

struct TranslatedStatement {
    QString sql;   // SQLite text
    QString table; // the table the statement works on, as written
    StatementKind kind = StatementKind::Other;
    QStringList parameters; // parameter names (lower case) in order of appearance, without ':'
};

// Throws EngineError on text it cannot read (an unterminated literal, no table name).
// With `foldedLike`, a condition UPPER(column) LIKE UPPER(:param or "text") standing alone between
// AND, OR, NOT, WHERE and parentheses becomes qm_upper_like(pattern, column): the same test in one
// step per row (the engine's connections provide the function).
TranslatedStatement TranslateLocalSql(const QString& localSql, bool foldedLike = false);

} // namespace qm
