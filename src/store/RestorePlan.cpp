#include "store/RestorePlan.h"
#include "platform/SafeFile.h"
#include "store/ArchiveRestore.h"

#include <QDir>
#include <QFileInfo>

namespace qm {

QStringList FilesOf(const QString& folder) {
    // A FIFO, device or dangling link among them is listed too, so that it is reported as a file
    // that could not be copied rather than left out unsaid. A table's journal never travels: beside
    // another copy of the table it would be played back over it at the next open.
    QStringList files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
        if (!name.endsWith(QLatin1String("-journal"), Qt::CaseInsensitive) && !IsTemporaryFileName(name))
            files << name;
    return files;
}

bool SameFile(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

RestorePlan PlanRestore(const QString& source, const QString& archiveFolder, bool includeNotes,
                        const QString& profileName) {
    RestorePlan plan;
    const QStringList sourceFiles = FilesOf(source);
    const bool holdsTables = std::any_of(sourceFiles.begin(), sourceFiles.end(), [](const QString& name) {
        return !ArchiveTableFileName(name).isEmpty();
    });
    if (!holdsTables) {
        plan.notices << QStringLiteral("I can't find the archives!");
    } else {
        for (const QString& name : sourceFiles) {
            // Table files keep the engine's spelling.
            const QString tableFile = ArchiveTableFileName(name);
            plan.copies.append({QDir(source).filePath(name), tableFile.isEmpty() ? name : tableFile});
        }
    }
    if (includeNotes) {
        const QString notesSource = QDir(source).filePath(QStringLiteral("notes"));
        if (QFileInfo(notesSource).isDir()) {
            for (const QString& name : FilesOf(notesSource))
                plan.copies.append({QDir(notesSource).filePath(name), QStringLiteral("notes/") + name});
        } else {
            plan.notices << QStringLiteral("I can't find the notes!");
        }
    }
    // Restored from the archive itself: already in place.
    plan.inPlace = plan.copies.removeIf([&archiveFolder](const RestoreCopy& copy) {
        return SameFile(copy.from, QDir(archiveFolder).filePath(copy.to));
    });

    if (plan.copies.isEmpty() && plan.inPlace == 0) {
        // Nothing would change: one box says where a backup keeps its tables.
        plan.notices.clear();
        const QString profile = QDir(source).filePath(profileName);
        plan.refusal = QFileInfo(profile).isDir()
                           ? QStringLiteral("Nothing was restored: the backup is in the folder \"") +
                                 QDir::toNativeSeparators(profile) +
                                 QStringLiteral("\". Choose that folder to restore from it.")
                           : QStringLiteral("Nothing was restored: the folder \"") +
                                 QDir::toNativeSeparators(source) +
                                 QStringLiteral("\" holds no backup. Choose the folder \"") + profileName +
                                 QStringLiteral("\" that the backup made.");
        return plan;
    }
    QStringList targets;
    for (const RestoreCopy& copy : std::as_const(plan.copies))
        targets << copy.to;
    if (const QString problem = RestoreTargetProblem(archiveFolder, targets); !problem.isEmpty())
        plan.refusal = QStringLiteral("Importing procedure failed! ") + problem;
    return plan;
}

} // namespace qm
