#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace qm {

// A file a restore could not replace, by its name in the archive folder, and why.
struct RestoreFailure {
    QString name;
    QString error;
};

// Replaces files of an archive folder and of its "notes" subfolder all or nothing, across a crash
// or a power cut: the new files are copied into a hidden staging folder inside the archive folder
// and synced, then a marker naming them is written, and only then are they renamed over the old
// ones. A start that finds the marker finishes the renames (FinishPendingRestore); a staging folder
// without the marker is thrown away, and the archive is as it was.
class ArchiveRestore {
public:
    explicit ArchiveRestore(const QString& archiveFolder);
    ~ArchiveRestore(); // what was staged and never committed is thrown away
    ArchiveRestore(const ArchiveRestore&) = delete;
    ArchiveRestore& operator=(const ArchiveRestore&) = delete;

    // Copies `source` into the staging folder, to replace `name` of the archive folder
    // ("QMtod90.db", "notes/plan.txt"). On failure nothing is staged for `name` and `error` names the
    // file it was to replace.
    bool Stage(const QString& source, const QString& name, QString* error);

    // Replaces every staged file; returns the ones that keep their old content.
    QList<RestoreFailure> Commit();

    int StagedCount() const { return int(m_staged.size()); }

private:
    QString m_archiveFolder;
    QString m_staging;
    QStringList m_staged;
    bool m_open = false;
};

// Finishes, or throws away, a restore of `archiveFolder` that a crash cut short. Runs before any
// table of the folder is opened. Returns the files that could not be replaced.
QList<RestoreFailure> FinishPendingRestore(const QString& archiveFolder);

// Test seam: called before each step on the disk of a restore, so a test can kill it at each one.
void SetRestoreStepHookForTest(std::function<void()> hook);

} // namespace qm
