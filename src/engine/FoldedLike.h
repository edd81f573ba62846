#pragma once

struct sqlite3;

namespace qm {

// The SQL function qm_upper_like(pattern, value): exactly UPPER(value) LIKE UPPER(pattern) with the
// engine's UPPER (every letter folded, NULL read as ''), in one step and without building the two
// upper-case texts when both are plain ASCII. The translator uses it for that shape, which every
// find runs once per row. Returns an SQLite result code.
int RegisterFoldedLike(sqlite3* db);

} // namespace qm
