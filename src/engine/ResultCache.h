#pragma once

#include "engine/ResultSet.h"

#include <QString>
#include <list>

struct sqlite3;

namespace qm {

// The state of a table file as one connection sees it: any commit, by this connection or by
// another process, gives a different value.
struct FileVersion {
    qint64 dataVersion = -1; // PRAGMA data_version: commits of other connections
    qint64 ownChanges = -1;  // rows changed through this connection
    bool operator==(const FileVersion&) const = default;
};

FileVersion CurrentFileVersion(sqlite3* db);

// The last few SELECT results, by file, statement and bound values. A list re-opened on an
// unchanged file (the alarm list after every find keystroke, the Tasks and alarm lists of the same
// day) is then not read again. The rows are shared with the queries that show them.
class ResultCache {
public:
    static ResultCache& Instance();

    bool Find(const QString& key, const FileVersion& version, ResultSet* result);
    void Store(const QString& key, const FileVersion& version, const ResultSet& result);
    // Connections closed or replaced: versions of different connections are not comparable.
    void Clear() { m_entries.clear(); }

private:
    struct Entry {
        QString key;
        FileVersion version;
        ResultSet result;
    };
    static constexpr size_t Capacity = 3;
    std::list<Entry> m_entries; // most recently used first
};

} // namespace qm
