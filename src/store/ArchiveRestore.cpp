#include "store/ArchiveRestore.h"
#include "platform/OwnFiles.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

// Hidden, and a folder: no file list shows it, and the sweep of temporary files leaves it alone.
constexpr char kStaging[] = ".qmrestore";
// The staged files, under their names in the archive folder; the marker stands beside this folder,
// where no restored name can be.
constexpr char kFiles[] = "files";
constexpr char kMarker[] = "commit";
constexpr char kNewMarker[] = "commit.new";
constexpr char kNotes[] = "notes";

std::function<void()>& StepHook() {
    static std::function<void()> hook;
    return hook;
}

void Step() {
    if (StepHook())
        StepHook()();
}

QByteArray Encoded(const QString& path) {
    return QFile::encodeName(path);
}

void Close(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

void SyncDescriptor(int fd) {
    if (fd >= 0)
        ::fsync(fd);
}

using Entry = OwnEntry;

Entry Inspect(int folderFd, const QByteArray& name) {
    return InspectEntry(folderFd, name);
}

int OpenOwnFolder(int folderFd, const QByteArray& name) {
    return OpenOwnFolderAt(folderFd, name);
}

QList<QByteArray> NamesIn(int folderFd) {
    QList<QByteArray> names;
    const int fd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* folder = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!folder) {
        if (fd >= 0)
            ::close(fd);
        return names;
    }
    while (const dirent* entry = ::readdir(folder)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    ::closedir(folder);
    return names;
}

// Removes `name` of `folderFd` when it is the user's own file, or own folder with what in it is
// the user's own. Anything else stays exactly as it is and is listed in `leftAlone` as `shown`.
void RemoveOwn(int folderFd, const QByteArray& name, const QString& shown, QStringList* leftAlone) {
    switch (Inspect(folderFd, name)) {
    case Entry::Missing:
        return;
    case Entry::OwnFile:
        Step();
        ::unlinkat(folderFd, name.constData(), 0);
        return;
    case Entry::OwnFolder: {
        const UniqueFd folder(OpenOwnFolder(folderFd, name));
        if (folder.get() < 0)
            break;
        for (const QByteArray& child : NamesIn(folder.get()))
            RemoveOwn(folder.get(), child, shown + QLatin1Char('/') + QFile::decodeName(child), leftAlone);
        Step();
        ::unlinkat(folderFd, name.constData(), AT_REMOVEDIR); // stays when something was left in it
        return;
    }
    case Entry::Foreign:
        break;
    }
    *leftAlone << QDir::toNativeSeparators(shown);
}

QString StagingPath(const QString& archiveFolder) {
    return archiveFolder + QLatin1Char('/') + QLatin1String(kStaging);
}

void ThrowAway(int archiveFd, const QString& archiveFolder, QStringList* leftAlone) {
    RemoveOwn(archiveFd, kStaging, StagingPath(archiveFolder), leftAlone);
    Step();
    SyncDescriptor(archiveFd);
}

// A file directly in the archive folder or in its notes folder; a marker naming anything else is
// not followed.
bool IsRestorableName(const QString& name) {
    const QStringList parts = name.split(QLatin1Char('/'));
    const QString& file = parts.last();
    return (parts.size() == 1 || (parts.size() == 2 && parts[0] == QLatin1String(kNotes))) &&
           !file.isEmpty() && file != QLatin1String(".") && file != QLatin1String("..");
}

bool InNotes(const QString& name) {
    return name.startsWith(QLatin1String(kNotes) + QLatin1Char('/'));
}

QByteArray FileNameOf(const QString& name) {
    return Encoded(InNotes(name) ? name.mid(int(sizeof kNotes)) : name);
}

// The marker's bytes; false with `error` naming `markerPath` when it cannot be read or is too large.
bool ReadMarker(int stagingFd, const QString& markerPath, QByteArray* text, QString* error) {
    const UniqueFd marker =
        OpenRegularFileAt(stagingFd, QLatin1String(kMarker), LinkRule::Refuse, error, markerPath);
    return marker && ReadAll(marker.get(), kRestoreMarkerLimit, text, markerPath, error);
}

QString Shown(const QString& path) {
    return QStringLiteral("\"%1\"").arg(QDir::toNativeSeparators(path));
}

// The archive folder, opened once: it must be the user's own folder (the user chose it, so a link
// to it is followed). -1 with `problem` set otherwise.
int OpenArchiveFolder(const QString& archiveFolder, QString* problem) {
    const int fd = ::open(Encoded(archiveFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        *problem = QStringLiteral("the archive folder %1 cannot be opened: %2")
                       .arg(Shown(archiveFolder), QString::fromLocal8Bit(std::strerror(errno)));
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid()) {
        ::close(fd);
        *problem = QStringLiteral("the archive folder %1 belongs to the user %2")
                       .arg(Shown(archiveFolder), UserNameOf(info.st_uid));
        return -1;
    }
    return fd;
}

// What stands in the way of replacing `names` in the archive folder (`archiveFd`) all or nothing,
// each said as "<path> <why>"; the notes folder, when one is named, is opened into `notesFd` (made
// when missing). `stagingDev` is the device the staged files are on: a rename cannot cross devices,
// and a restore whose commit could fail half way is refused before it starts.
QStringList TargetProblems(int archiveFd, const QString& archiveFolder, const QStringList& names,
                           dev_t stagingDev, int* notesFd) {
    QStringList problems;
    const QString notesPath = archiveFolder + QLatin1Char('/') + QLatin1String(kNotes);
    bool notesLooked = false;
    for (const QString& name : names) {
        int folderFd = archiveFd;
        if (InNotes(name)) {
            if (!notesLooked) {
                notesLooked = true;
                if (Inspect(archiveFd, kNotes) == Entry::Missing)
                    ::mkdirat(archiveFd, kNotes, 0700);
                *notesFd = OpenOwnFolder(archiveFd, kNotes);
                struct stat info {};
                if (*notesFd < 0)
                    problems << QStringLiteral("the notes folder %1 %2")
                                    .arg(Shown(notesPath), WhyNotOwn(notesPath, true));
                else if (::fstat(*notesFd, &info) == 0 && info.st_dev != stagingDev)
                    problems << QStringLiteral("the notes folder %1 is on another disk than the archive "
                                               "folder %2, so its notes could not be replaced together "
                                               "with the tables")
                                    .arg(Shown(notesPath), Shown(archiveFolder));
            }
            if (*notesFd < 0)
                continue;
            folderFd = *notesFd;
        }
        const QByteArray file = FileNameOf(name);
        const QString target = archiveFolder + QLatin1Char('/') + name;
        const Entry entry = Inspect(folderFd, file);
        // A folder of the user's own in the way is refused by the copy, naming it.
        if (entry == Entry::Foreign)
            problems << QStringLiteral("%1 %2").arg(Shown(target), WhyNotOwn(target, false));
        // A journal that is not the user's would stay beside the new table and be played into it.
        const QByteArray journal = file + "-journal";
        if (IsTableFileName(name) && InspectEntry(folderFd, journal) == Entry::Foreign)
            problems << QStringLiteral("%1 %2").arg(Shown(target + QStringLiteral("-journal")),
                                                    WhyNotOwn(target + QStringLiteral("-journal"), false));
    }
    return problems;
}

QString TargetProblemText(const QStringList& problems) {
    return QStringLiteral("Nothing was restored, because %1. Your archive keeps its old content.")
        .arg(problems.join(QStringLiteral("; ")));
}

// The renames of a committed restore, then the marker and the staging go. `filesFd` holds the
// staged files (their notes folder inside it). A rename that fails keeps the marker and what is
// still staged, so that the next start finishes the restore instead of leaving it half done.
RestoreReport FinishRenames(int archiveFd, int stagingFd, int filesFd, const QString& archiveFolder,
                            const QStringList& names) {
    RestoreReport report;
    const QString filesPath = StagingPath(archiveFolder) + QLatin1Char('/') + QLatin1String(kFiles);
    // The staged notes folder: gone when every note was renamed before a crash; -1 (so that its
    // notes are left alone) when it is not the user's own.
    const Entry stagedNotes = Inspect(filesFd, kNotes);
    const UniqueFd stagedNotesFolder(stagedNotes == Entry::OwnFolder ? OpenOwnFolder(filesFd, kNotes) : -1);
    int notesFd = -1;
    int notesErr = 0;
    QStringList named; // staged files left alone, already named with the failures
    for (const QString& name : names) {
        int from = filesFd;
        int to = archiveFd;
        if (InNotes(name)) {
            if (stagedNotes == Entry::Missing)
                continue;
            if (notesFd < 0 && !notesErr) {
                if (Inspect(archiveFd, kNotes) == Entry::Missing)
                    ::mkdirat(archiveFd, kNotes, 0700); // removed since the marker: the notes go back
                if ((notesFd = OpenOwnFolder(archiveFd, kNotes)) < 0)
                    notesErr = errno;
            }
            from = stagedNotesFolder.get();
            to = notesFd;
        }
        const QByteArray file = FileNameOf(name);
        const QString target = archiveFolder + QLatin1Char('/') + name;
        const Entry staged = from >= 0 ? Inspect(from, file) : Entry::Foreign;
        if (staged == Entry::Missing)
            continue; // renamed before a crash
        if (staged != Entry::OwnFile) {
            const QString path = QDir::toNativeSeparators(filesPath + QLatin1Char('/') + name);
            report.failures.append(
                {name,
                 QStringLiteral("The file \"%1\" was left as it is: it is a link or belongs to another user.")
                     .arg(path)});
            named << path;
            continue;
        }
        if (to < 0) {
            const QString notesPath = archiveFolder + QLatin1Char('/') + QLatin1String(kNotes);
            report.failures.append(
                {name, QStringLiteral("The notes folder %1 %2.")
                           .arg(Shown(notesPath), notesErr == ENOENT ? QStringLiteral("is missing")
                                                                     : WhyNotOwn(notesPath, true))});
            report.kept = true;
            continue;
        }
        // A journal beside the old table would be played back over the new one at its first open.
        const QByteArray journal = file + "-journal";
        const Entry journalEntry = IsTableFileName(name) ? Inspect(to, journal) : Entry::Missing;
        if (journalEntry == Entry::Foreign) {
            report.failures.append({name, QStringLiteral("The file %1 %2.")
                                              .arg(Shown(target + QStringLiteral("-journal")),
                                                   WhyNotOwn(target + QStringLiteral("-journal"), false))});
            report.kept = true;
            continue;
        }
        if (journalEntry == Entry::OwnFile) {
            Step();
            ::unlinkat(to, journal.constData(), 0);
        }
        Step();
        if (::renameat(from, file.constData(), to, file.constData()) != 0) {
            report.failures.append({name, FileErrorText(target, "written", errno)});
            report.kept = true;
        }
    }
    Step();
    SyncDescriptor(archiveFd);
    if (notesFd >= 0) {
        Step();
        SyncDescriptor(notesFd);
    }
    Close(notesFd);
    if (report.kept)
        return report;
    Step();
    ::unlinkat(stagingFd, kMarker, 0);
    ThrowAway(archiveFd, archiveFolder, &report.leftAlone);
    report.leftAlone.removeIf([&named](const QString& path) { return named.contains(path); });
    return report;
}

} // namespace

bool IsTableFileName(const QString& name) {
    return name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive);
}

QString ArchiveTableFileName(const QString& name) {
    for (const char* table : {"QMarc80", "QMcon26", "QMtod90", "QMset90"}) {
        const QString fileName = QString::fromLatin1(table) + QStringLiteral(".db");
        if (name.compare(fileName, Qt::CaseInsensitive) == 0)
            return fileName;
    }
    return QString();
}

QString LeftAloneText(const QStringList& paths) {
    return QStringLiteral(
               "Nothing was restored from \"%1\": it is a link or belongs to another user, so it is not "
               "what a restore of yours left. It was left as it is; remove it before you restore again.")
        .arg(paths.join(QStringLiteral("\", \"")));
}

QString PendingRestoreText(const QStringList& shownNames, const QStringList& errors) {
    return QStringLiteral("Importing procedure not finished! These files are not restored yet: %1.\r%2\rThey "
                          "stay staged, and the restore is finished at the next start.")
        .arg(shownNames.join(QStringLiteral(", ")), errors.join(QStringLiteral("\r")));
}

QString RestoreTargetProblem(const QString& archiveFolder, const QStringList& names) {
    QString problem;
    const UniqueFd archive(OpenArchiveFolder(archiveFolder, &problem));
    if (archive.get() < 0)
        return TargetProblemText({problem});
    struct stat info {};
    ::fstat(archive.get(), &info);
    int notesFd = -1;
    const QStringList problems = TargetProblems(archive.get(), archiveFolder, names, info.st_dev, &notesFd);
    Close(notesFd);
    return problems.isEmpty() ? QString() : TargetProblemText(problems);
}

QStringList ShownNames(const QStringList& names) {
    QStringList shown;
    for (const QString& name : names) {
        const QString file = QFileInfo(name).fileName();
        const bool shared = std::count_if(names.begin(), names.end(), [&file](const QString& other) {
                                return QFileInfo(other).fileName() == file;
                            }) > 1;
        shown << (shared ? name : file);
    }
    return shown;
}

ArchiveRestore::ArchiveRestore(const QString& archiveFolder) : m_archiveFolder(archiveFolder) {}

ArchiveRestore::~ArchiveRestore() {
    Abandon();
}

void ArchiveRestore::CloseFolders() {
    Close(m_notesFd);
    Close(m_filesFd);
    Close(m_stagingFd);
    Close(m_archiveFd);
}

bool ArchiveRestore::Begin(QString* error) {
    if (m_stagingFd >= 0)
        return true;
    // A staging folder left from before must not mix with this restore.
    const RestoreReport pending = FinishPendingRestore(m_archiveFolder);
    if (!pending.leftAlone.isEmpty()) {
        *error = LeftAloneText(pending.leftAlone);
        return false;
    }
    if (pending.kept) {
        QStringList names;
        QStringList errors;
        for (const RestoreFailure& failure : pending.failures) {
            names << failure.name;
            errors << failure.error;
        }
        *error =
            QStringLiteral("An earlier restore is not finished: %1.\r%2\rIt is finished at the next start.")
                .arg(ShownNames(names).join(QStringLiteral(", ")), errors.join(QStringLiteral("\r")));
        return false;
    }
    const auto folderFailed = [&](int err) {
        *error = QStringLiteral("The archive folder %1 could not be written: %2.")
                     .arg(Shown(m_archiveFolder), QString::fromLocal8Bit(std::strerror(err)));
        Abandon();
        return false;
    };
    QString problem;
    m_archiveFd = OpenArchiveFolder(m_archiveFolder, &problem);
    if (m_archiveFd < 0) {
        *error = TargetProblemText({problem});
        return false;
    }
    Step();
    if (::mkdirat(m_archiveFd, kStaging, 0700) != 0) {
        const int err = errno;
        Close(m_archiveFd); // what stands there now is not ours to remove
        return folderFailed(err);
    }
    m_stagingFd = OpenOwnFolder(m_archiveFd, kStaging);
    if (m_stagingFd < 0)
        return folderFailed(errno);
    Step();
    if (::mkdirat(m_stagingFd, kFiles, 0700) != 0 || (m_filesFd = OpenOwnFolder(m_stagingFd, kFiles)) < 0)
        return folderFailed(errno);
    Step();
    SyncDescriptor(m_archiveFd);
    return true;
}

bool ArchiveRestore::Stage(const QString& source, const QString& name, QString* error) {
    const QString target = m_archiveFolder + QLatin1Char('/') + name;
    if (QFileInfo(target).isDir()) {
        *error = FileErrorText(target, "written", EISDIR);
        return false;
    }
    if (!Begin(error))
        return false;
    const UniqueFd in(OpenRegularFile(source, error, LinkRule::Refuse));
    if (in.get() < 0)
        return false;
    int folderFd = m_filesFd;
    if (InNotes(name)) {
        if (m_notesFd < 0 && Inspect(m_filesFd, kNotes) == Entry::Missing) {
            Step();
            if (::mkdirat(m_filesFd, kNotes, 0700) != 0) {
                *error = FileErrorText(target, "written", errno);
                return false;
            }
        }
        if (m_notesFd < 0 && (m_notesFd = OpenOwnFolder(m_filesFd, kNotes)) < 0) {
            *error = FileErrorText(target, "written", errno);
            return false;
        }
        folderFd = m_notesFd;
    }
    const QByteArray file = FileNameOf(name);
    Step();
    const int out = ::openat(folderFd, file.constData(),
                             O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, kPrivateFileMode);
    if (out < 0) {
        *error = FileErrorText(target, "written", errno);
        return false;
    }
    bool readFailed = false;
    int err = CopyDescriptor(in.get(), out, &readFailed);
    // The replaced file's mode stays, when it is the user's own file: the mode of a link's target or
    // of another user's file would give the user's data to others.
    if (!err) {
        const UniqueFd old(::open(Encoded(target).constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat info {};
        if (old.get() >= 0 && ::fstat(old.get(), &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::geteuid() && (info.st_mode & 07777) != kPrivateFileMode)
            ::fchmod(out, info.st_mode & 07777);
    }
    if (!err && ::fsync(out) != 0)
        err = errno;
    if (::close(out) != 0 && !err)
        err = errno;
    if (err) {
        ::unlinkat(folderFd, file.constData(), 0);
        *error = readFailed ? FileErrorText(source, "read", err) : FileErrorText(target, "written", err);
        return false;
    }
    if (!m_staged.contains(name))
        m_staged << name;
    return true;
}

RestoreReport ArchiveRestore::Commit() {
    RestoreReport report;
    if (m_stagingFd < 0)
        return report;
    const auto refuseAll = [&](const QString& refusal) {
        report.refusal = refusal;
        Abandon();
        return report;
    };
    // Every target is looked at again just before the marker: what changed since the plan refuses
    // the whole restore while nothing is replaced yet.
    struct stat staging {};
    ::fstat(m_filesFd, &staging);
    int notesFd = -1;
    const QStringList problems =
        TargetProblems(m_archiveFd, m_archiveFolder, m_staged, staging.st_dev, &notesFd);
    Close(notesFd);
    if (!problems.isEmpty())
        return refuseAll(TargetProblemText(problems));

    QByteArray marker;
    for (const QString& name : std::as_const(m_staged))
        marker += Encoded(name).toPercentEncoding("/") + '\n'; // any byte of a name, one line each
    // The staged files are on the disk before the marker says they are.
    Step();
    SyncDescriptor(m_notesFd);
    SyncDescriptor(m_filesFd);
    SyncDescriptor(m_stagingFd);
    Step();
    const int fd = ::openat(m_stagingFd, kNewMarker, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                            kPrivateFileMode);
    int err = fd < 0 ? errno : 0;
    if (fd >= 0) {
        if (!WriteAllTo(fd, marker) || ::fsync(fd) != 0)
            err = errno;
        if (::close(fd) != 0 && !err)
            err = errno;
    }
    if (!err) {
        Step();
        if (::renameat(m_stagingFd, kNewMarker, m_stagingFd, kMarker) != 0)
            err = errno;
    }
    if (!err) {
        Step();
        if (::fsync(m_stagingFd) != 0)
            err = errno;
    }
    if (m_staged.isEmpty() || err)
        return refuseAll(QStringLiteral("Nothing was restored, because the archive folder %1 could not be "
                                        "written: %2. Your archive keeps its old content.")
                             .arg(Shown(m_archiveFolder), QString::fromLocal8Bit(std::strerror(err))));
    Close(m_notesFd);
    report = FinishRenames(m_archiveFd, m_stagingFd, m_filesFd, m_archiveFolder, m_staged);
    CloseFolders();
    m_staged.clear();
    return report;
}
void ArchiveRestore::Abandon() {
    if (m_archiveFd >= 0 && m_stagingFd >= 0) {
        QStringList leftAlone;
        ThrowAway(m_archiveFd, m_archiveFolder, &leftAlone);
    }
    CloseFolders();
    m_staged.clear();
}

RestoreReport FinishPendingRestore(const QString& archiveFolder) {
    RestoreReport report;
    const UniqueFd archive(::open(Encoded(archiveFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (archive.get() < 0)
        return report;
    const QString staging = StagingPath(archiveFolder);
    const auto leaveAlone = [&report](const QString& path) {
        report.leftAlone << QDir::toNativeSeparators(path);
        return report;
    };
    switch (Inspect(archive.get(), kStaging)) {
    case Entry::Missing:
        return report;
    case Entry::OwnFolder:
        break;
    default:
        return leaveAlone(staging);
    }
    const UniqueFd stagingFolder(OpenOwnFolder(archive.get(), kStaging));
    if (stagingFolder.get() < 0)
        return leaveAlone(staging);

    const QString markerPath = staging + QLatin1Char('/') + QLatin1String(kMarker);
    switch (Inspect(stagingFolder.get(), kMarker)) {
    case Entry::Missing:
        // Staging never finished: nothing was replaced yet.
        ThrowAway(archive.get(), archiveFolder, &report.leftAlone);
        return report;
    case Entry::OwnFile:
        break;
    default:
        return leaveAlone(markerPath);
    }
    QByteArray text;
    QString markerError;
    if (!ReadMarker(stagingFolder.get(), markerPath, &text, &markerError)) {
        report.failures.append({markerPath, markerError});
        return report;
    }
    QStringList names;
    for (const QByteArray& line : text.split('\n')) {
        const QString name = QFile::decodeName(QByteArray::fromPercentEncoding(line));
        if (IsRestorableName(name))
            names << name;
    }
    // Staging made before the marker had a folder of its own held the files beside it.
    int filesFd = -1;
    switch (Inspect(stagingFolder.get(), kFiles)) {
    case Entry::OwnFolder:
        filesFd = OpenOwnFolder(stagingFolder.get(), kFiles);
        break;
    case Entry::Missing:
        filesFd = ::dup(stagingFolder.get());
        break;
    case Entry::OwnFile:
    case Entry::Foreign:
        break;
    }
    if (filesFd < 0)
        return leaveAlone(staging + QLatin1Char('/') + QLatin1String(kFiles));
    const UniqueFd files(filesFd);
    return FinishRenames(archive.get(), stagingFolder.get(), files.get(), archiveFolder, names);
}

void SetRestoreStepHookForTest(std::function<void()> hook) {
    StepHook() = std::move(hook);
}

} // namespace qm
