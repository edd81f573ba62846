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

// What finishing a restore left undone.
struct RestoreReport {
    QList<RestoreFailure> failures; // files that keep their old content
    QStringList leftAlone;          // paths not the user's own, left exactly as they were
    QString refusal;                // the restore was refused before anything was replaced, and why
    bool kept = false;              // a rename failed: the marker and the staging stay for the next start
    bool IsClean() const { return failures.isEmpty() && leftAlone.isEmpty(); }
};

// The message for staging left alone because it is not the user's own.
QString LeftAloneText(const QStringList& paths);

// The message for a restore that a failed rename left to the next start.
QString PendingRestoreText(const QStringList& shownNames, const QStringList& errors);

// A table file's name ("QMtod90.db", "friends.db"): the engine's files, whose journal never travels.
bool IsTableFileName(const QString& name);
// The engine's own spelling of one of the archive's four table files ("QMarc80.db"), when `name` is
// one without regard to case; empty otherwise.
QString ArchiveTableFileName(const QString& name);

// Names of files of the archive ("QMtod90.db", "notes/plan.txt") as the user is shown them: the
// file name, with its folder where two share a name.
QStringList ShownNames(const QStringList& names);

// Why `names` of `archiveFolder` cannot all be replaced: a target, journal or notes folder that is
// not the user's own real file or folder, or a notes folder on another disk. Empty when they can.
QString RestoreTargetProblem(const QString& archiveFolder, const QStringList& names);

// Replaces files of an archive folder and of its "notes" subfolder all or nothing, across a crash
// or a power cut: the new files are copied into a hidden staging folder inside the archive folder
// and synced, then a marker naming them is written beside them, and only then are they renamed over
// the old ones. A start that finds the marker finishes the renames (FinishPendingRestore); staging
// without the marker is thrown away, and the archive is as it was.
//
// Every file is staged on the disk of its destination, so a rename cannot fail for crossing disks.
// The archive folder may be shared with other users, so the staging folder, its marker and every
// staged file are used only when they are the user's own real folder or file (never a link, never
// another user's), and nothing is ever removed through a link.
class ArchiveRestore {
public:
    explicit ArchiveRestore(const QString& archiveFolder);
    ~ArchiveRestore(); // what was staged and never committed is thrown away
    ArchiveRestore(const ArchiveRestore&) = delete;
    ArchiveRestore& operator=(const ArchiveRestore&) = delete;

    // Makes a new staging folder, after finishing or throwing away one a crash left. False, with
    // `error` saying why, when there is none to be had.
    bool Begin(QString* error);

    // Copies `source` into the staging folder, to replace `name` of the archive folder
    // ("QMtod90.db", "notes/plan.txt"). The source must be a regular file itself (no link, FIFO or
    // device). On failure nothing is staged for `name` and `error` names the file.
    bool Stage(const QString& source, const QString& name, QString* error);

    // Looks at every target again, then replaces every staged file. Refused as a whole, with every
    // file keeping its old content, when a target is not the user's own; a rename that fails after
    // the marker leaves the restore to the next start (`kept`).
    RestoreReport Commit();

    // Throws away everything staged: the archive stays as it was.
    void Abandon();

    int StagedCount() const { return int(m_staged.size()); }

private:
    void CloseFolders();

    QString m_archiveFolder;
    QStringList m_staged;
    int m_archiveFd = -1;
    int m_stagingFd = -1;
    int m_filesFd = -1;
    int m_notesFd = -1;
};

// Finishes, or throws away, a restore of `archiveFolder` that a crash cut short. Runs before any
// table of the folder is opened.
RestoreReport FinishPendingRestore(const QString& archiveFolder);

// Test seam: called before each step on the disk of a restore, so a test can kill it at each one.
void SetRestoreStepHookForTest(std::function<void()> hook);

} // namespace qm
