#include "store/ArchiveRestore.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace qm {

namespace {

std::function<void()>& StepHook() {
    static std::function<void()> hook;
    return hook;
}

void Step() {
    if (StepHook())
        StepHook()();
}

// Hidden, and a folder: no file list shows it, and the sweep of temporary files leaves it alone.
QString StagingOf(const QString& archiveFolder) {
    return archiveFolder + QStringLiteral("/.qmrestore");
}

QString MarkerOf(const QString& staging) {
    return staging + QStringLiteral("/commit");
}

QByteArray Encoded(const QString& path) {
    return QFile::encodeName(path);
}

bool Exists(const QString& path) {
    struct stat info {};
    return ::lstat(Encoded(path).constData(), &info) == 0;
}

// A file directly in the archive folder or in its notes folder; a marker naming anything else is
// not followed.
bool IsRestorableName(const QString& name) {
    const QStringList parts = name.split(QLatin1Char('/'));
    const QString& file = parts.last();
    return (parts.size() == 1 || (parts.size() == 2 && parts[0] == QLatin1String("notes"))) &&
           !file.isEmpty() && file != QLatin1String(".") && file != QLatin1String("..");
}

bool IsTableName(const QString& name) {
    return name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive);
}

void ThrowAway(const QString& archiveFolder, const QString& staging) {
    Step();
    QDir(staging).removeRecursively();
    Step();
    SyncFolderEntries(archiveFolder);
}

QList<RestoreFailure> FinishRenames(const QString& archiveFolder, const QString& staging,
                                    const QStringList& names) {
    QList<RestoreFailure> failures;
    bool notes = false;
    for (const QString& name : names) {
        const QString staged = staging + QLatin1Char('/') + name;
        if (!Exists(staged))
            continue; // renamed before a crash
        const QString target = archiveFolder + QLatin1Char('/') + name;
        // A journal beside the old table would be played back over the new one at its first open.
        const QString journal = target + QStringLiteral("-journal");
        if (IsTableName(name) && Exists(journal)) {
            Step();
            QFile::remove(journal);
        }
        Step();
        if (std::rename(Encoded(staged).constData(), Encoded(target).constData()) != 0)
            failures.append({name, FileErrorText(target, "written", errno)});
        notes = notes || name.startsWith(QLatin1String("notes/"));
    }
    Step();
    SyncFolderEntries(archiveFolder);
    if (notes) {
        Step();
        SyncFolderEntries(archiveFolder + QStringLiteral("/notes"));
    }
    Step();
    QFile::remove(MarkerOf(staging));
    ThrowAway(archiveFolder, staging);
    return failures;
}

} // namespace

ArchiveRestore::ArchiveRestore(const QString& archiveFolder)
    : m_archiveFolder(archiveFolder), m_staging(StagingOf(archiveFolder)) {}

ArchiveRestore::~ArchiveRestore() {
    if (m_open)
        ThrowAway(m_archiveFolder, m_staging);
}

bool ArchiveRestore::Stage(const QString& source, const QString& name, QString* error) {
    const QString target = m_archiveFolder + QLatin1Char('/') + name;
    const auto fail = [&](int err) {
        *error = FileErrorText(target, "written", err);
        return false;
    };
    if (QFileInfo(target).isDir())
        return fail(EISDIR);
    if (!m_open) {
        // A staging folder left from before must not mix with this restore.
        FinishPendingRestore(m_archiveFolder);
        Step();
        if (::mkdir(Encoded(m_staging).constData(), 0700) != 0)
            return fail(errno);
        m_open = true;
        Step();
        SyncFolderEntries(m_archiveFolder);
    }
    const QString staged = m_staging + QLatin1Char('/') + name;
    const QString stagedFolder = QFileInfo(staged).path();
    if (stagedFolder != m_staging && !QFileInfo(stagedFolder).isDir()) {
        Step();
        if (::mkdir(Encoded(stagedFolder).constData(), 0700) != 0)
            return fail(errno);
        Step();
        SyncFolderEntries(m_staging);
    }
    Step();
    if (!CopyFileAtomically(source, staged, error)) {
        // The user knows the file by its place in the archive.
        error->replace(QDir::toNativeSeparators(staged), QDir::toNativeSeparators(target));
        return false;
    }
    // The replaced file's mode stays.
    struct stat old {};
    if (::stat(Encoded(target).constData(), &old) == 0 && (old.st_mode & 07777) != kPrivateFileMode) {
        Step();
        ::chmod(Encoded(staged).constData(), old.st_mode & 07777);
    }
    if (!m_staged.contains(name))
        m_staged << name;
    return true;
}

QList<RestoreFailure> ArchiveRestore::Commit() {
    if (!m_open)
        return {};
    m_open = false;
    QByteArray marker;
    for (const QString& name : std::as_const(m_staged))
        marker += Encoded(name).toPercentEncoding("/") + '\n'; // any byte of a name, one line each
    QString error;
    Step();
    if (m_staged.isEmpty() || !WriteFileAtomically(MarkerOf(m_staging), marker, &error)) {
        ThrowAway(m_archiveFolder, m_staging);
        QList<RestoreFailure> failures;
        for (const QString& name : std::as_const(m_staged))
            failures.append({name, error});
        return failures;
    }
    return FinishRenames(m_archiveFolder, m_staging, m_staged);
}

QList<RestoreFailure> FinishPendingRestore(const QString& archiveFolder) {
    const QString staging = StagingOf(archiveFolder);
    if (!QFileInfo(staging).isDir())
        return {};
    const QString markerFile = MarkerOf(staging);
    if (!Exists(markerFile)) {
        // Staging never finished: nothing was replaced yet.
        ThrowAway(archiveFolder, staging);
        return {};
    }
    QFile marker(markerFile);
    if (!marker.open(QIODevice::ReadOnly))
        return {{markerFile, FileErrorText(markerFile, "read", errno)}};
    QStringList names;
    for (const QByteArray& line : marker.readAll().split('\n')) {
        const QString name = QFile::decodeName(QByteArray::fromPercentEncoding(line));
        if (IsRestorableName(name))
            names << name;
    }
    marker.close();
    return FinishRenames(archiveFolder, staging, names);
}

void SetRestoreStepHookForTest(std::function<void()> hook) {
    StepHook() = std::move(hook);
}

} // namespace qm
