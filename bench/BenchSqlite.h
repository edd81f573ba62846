#pragma once

// What the benchmarks share for writing their sample rows straight into a table file.

#include <cstdio>
#include <sqlite3.h>

namespace qm::bench {

inline bool Exec(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK)
        return true;
    std::fprintf(stderr, "sqlite: %s\n", error ? error : "?");
    sqlite3_free(error);
    return false;
}

} // namespace qm::bench
