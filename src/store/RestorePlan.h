#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace qm {

// The files that travel in a backup or a restore: the files directly in a folder, hidden ones
// included, by name, without the tables' journals and the writer's temporary files.
QStringList FilesOf(const QString& folder);

// True when `a` and `b` are one file.
bool SameFile(const QString& a, const QString& b);

// One file a restore copies: from the backup, to its name in the archive folder ("notes/plan.txt").
struct RestoreCopy {
    QString from;
    QString to;
};

// What a restore from a folder would do, worked out before anything is touched.
struct RestorePlan {
    QList<RestoreCopy> copies;
    qsizetype inPlace = 0; // files that are already the archive's own (restored from the archive itself)
    QStringList notices;   // said before the restore runs ("I can't find the archives!")
    QString refusal;       // when set, nothing is restored and this says why
};

// The plan for restoring `archiveFolder` from `source`, with the notes when `includeNotes`:
// every target is looked at, and a restore that could not replace them all is refused.
RestorePlan PlanRestore(const QString& source, const QString& archiveFolder, bool includeNotes,
                        const QString& profileName);

} // namespace qm
