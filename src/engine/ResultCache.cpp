#include "engine/ResultCache.h"

#include <sqlite3.h>

namespace qm {

FileVersion CurrentFileVersion(sqlite3* db) {
    FileVersion version;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA data_version", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        version.dataVersion = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    version.ownChanges = sqlite3_total_changes64(db);
    return version;
}

ResultCache& ResultCache::Instance() {
    // Never destroyed: the session's own destruction still clears it.
    static ResultCache* cache = new ResultCache;
    return *cache;
}

bool ResultCache::Find(const QString& key, const FileVersion& version, ResultSet* result) {
    if (version.dataVersion < 0)
        return false;
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->key != key)
            continue;
        if (!(it->version == version)) {
            m_entries.erase(it);
            return false;
        }
        m_entries.splice(m_entries.begin(), m_entries, it);
        *result = it->result;
        return true;
    }
    return false;
}

void ResultCache::Store(const QString& key, const FileVersion& version, const ResultSet& result) {
    if (version.dataVersion < 0)
        return;
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->key == key) {
            m_entries.erase(it);
            break;
        }
    }
    m_entries.push_front({key, version, result});
    while (m_entries.size() > Capacity)
        m_entries.pop_back();
}

} // namespace qm
