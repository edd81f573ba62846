#pragma once

#include <QString>
#include <functional>

namespace qm {

class TTable;

// The one-time merge of an old contacts table "QMcon80.db" of `archiveFolder` into `contacts`.
// The state on disk always says what is left to do, so a crash at any moment leads to exactly one
// merge: the append commits together with a mark in the contacts file, then the old file becomes
// "QMcon80.BK", then the mark goes. Throws EngineError when a step fails; the next start goes on
// from where it stopped.
void MergeOldContacts(TTable& oldContacts, TTable& contacts, const QString& archiveFolder);

// Creates the table `name` ("QMarc80", ...) of the archive `alias` names, and the folder, when the
// table's file is missing, as the start-up road does; for tools that run without the window.
// Throws EngineError.
void CreateTableWhenMissing(const QString& alias, const QString& name);

// Test seam: called after each step of the merge (1 appended and marked, 2 renamed, 3 unmarked).
void SetMergeStepHookForTest(std::function<void(int step)> hook);

} // namespace qm
