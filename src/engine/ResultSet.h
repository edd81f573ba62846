#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace qm {

// The rows of a SELECT, kept compactly: one byte buffer for all values and an offset per row,
// so that a list of 100,000 rows is read in one pass and costs little memory. Values are
// decoded only when asked for.
class ResultSet {
public:
    void Clear();
    // Drops the rows but keeps the columns (a closed query still knows its fields).
    void ClearRows();
    // Steps the statement to its end, keeping every row. Throws EngineError on failure.
    void ReadAll(sqlite3_stmt* statement, sqlite3* db);

    int RowCount() const { return int(m_rowOffsets.size()); }
    int ColumnCount() const { return int(m_columns.size()); }
    const QStringList& Columns() const { return m_columns; }
    int ColumnIndex(const QString& name) const; // case-insensitive, -1 when missing
    // Declared type of the column (as in CREATE TABLE), upper case, empty for expressions.
    const QString& DeclaredType(int column) const { return m_declaredTypes[column]; }

    // Null, qint64, double or QString.
    QVariant Value(int row, int column) const;

private:
    QStringList m_columns;
    QStringList m_declaredTypes;
    QByteArray m_data;
    std::vector<qint64> m_rowOffsets;
};

} // namespace qm
