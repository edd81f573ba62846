#include "engine/ResultSet.h"

#include "engine/EngineError.h"
#include "engine/Session.h"

#include <cstring>
#include <sqlite3.h>

namespace qm {

namespace {

// Each value is a tag byte followed by its payload: nothing for null, 8 bytes for a number,
// a 4-byte length and the bytes for text (UTF-8) and blobs.
enum Tag : char { TagNull = 0, TagInteger = 1, TagFloat = 2, TagText = 3, TagBlob = 4 };

template <typename T> void WriteRaw(char* p, T value) {
    std::memcpy(p, &value, sizeof value);
}

template <typename T> T ReadRaw(const char* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// Size of the value starting at p, tag included.
qsizetype EncodedSize(const char* p) {
    switch (*p) {
    case TagInteger:
    case TagFloat:
        return 1 + 8;
    case TagText:
    case TagBlob:
        return 1 + 4 + qsizetype(ReadRaw<quint32>(p + 1));
    default:
        return 1;
    }
}

} // namespace

void ResultSet::Clear() {
    m_columns.clear();
    m_declaredTypes.clear();
    ClearRows();
}

void ResultSet::ClearRows() {
    m_data = QByteArray();
    std::vector<qint64>().swap(m_rowOffsets);
}

void ResultSet::ReadAll(sqlite3_stmt* statement, sqlite3* db) {
    Clear();
    const int columns = sqlite3_column_count(statement);
    for (int c = 0; c < columns; ++c) {
        m_columns.append(QString::fromUtf8(sqlite3_column_name(statement, c)));
        m_declaredTypes.append(QString::fromUtf8(sqlite3_column_decltype(statement, c)).toUpper());
    }
    // One pass: each row is sized first, then written in place into a buffer that grows by
    // doubling, so that no value costs an allocation of its own.
    std::vector<const void*> bytes(size_t(columns), nullptr);
    std::vector<int> lengths(size_t(columns), 0);
    std::vector<int> types(size_t(columns), SQLITE_NULL);
    qsizetype used = 0;
    for (;;) {
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW) {
            ClearRows();
            CheckSqlite(rc, db);
            throw EngineError(QStringLiteral("Reading the rows failed"));
        }
        qsizetype rowSize = 0;
        for (int c = 0; c < columns; ++c) {
            const int type = sqlite3_column_type(statement, c);
            types[size_t(c)] = type;
            if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
                bytes[size_t(c)] = type == SQLITE_TEXT
                                       ? static_cast<const void*>(sqlite3_column_text(statement, c))
                                       : sqlite3_column_blob(statement, c);
                lengths[size_t(c)] = sqlite3_column_bytes(statement, c);
                rowSize += 1 + 4 + lengths[size_t(c)];
            } else {
                rowSize += type == SQLITE_INTEGER || type == SQLITE_FLOAT ? 1 + 8 : 1;
            }
        }
        if (used + rowSize > m_data.size())
            m_data.resize(qMax(used + rowSize, qMax<qsizetype>(4096, 2 * m_data.size())));
        char* p = m_data.data() + used;
        m_rowOffsets.push_back(used);
        used += rowSize;
        for (int c = 0; c < columns; ++c) {
            switch (types[size_t(c)]) {
            case SQLITE_INTEGER:
                *p = TagInteger;
                WriteRaw<qint64>(p + 1, sqlite3_column_int64(statement, c));
                p += 9;
                break;
            case SQLITE_FLOAT:
                *p = TagFloat;
                WriteRaw<double>(p + 1, sqlite3_column_double(statement, c));
                p += 9;
                break;
            case SQLITE_TEXT:
            case SQLITE_BLOB: {
                const int length = lengths[size_t(c)];
                *p = types[size_t(c)] == SQLITE_TEXT ? TagText : TagBlob;
                WriteRaw<quint32>(p + 1, quint32(length));
                if (length > 0)
                    std::memcpy(p + 5, bytes[size_t(c)], size_t(length));
                p += 5 + length;
                break;
            }
            default:
                *p++ = TagNull;
            }
        }
    }
    m_data.resize(used);
    m_data.squeeze();
}

int ResultSet::ColumnIndex(const QString& name) const {
    for (int c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

QVariant ResultSet::Value(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount())
        return QVariant();
    const char* p = m_data.constData() + m_rowOffsets[size_t(row)];
    for (int c = 0; c < column; ++c)
        p += EncodedSize(p);
    switch (*p) {
    case TagInteger:
        return QVariant(ReadRaw<qint64>(p + 1));
    case TagFloat:
        return QVariant(ReadRaw<double>(p + 1));
    case TagText:
        return QVariant(QString::fromUtf8(p + 5, qsizetype(ReadRaw<quint32>(p + 1))));
    case TagBlob:
        return QVariant(QByteArray(p + 5, qsizetype(ReadRaw<quint32>(p + 1))));
    default:
        return QVariant();
    }
}

} // namespace qm
