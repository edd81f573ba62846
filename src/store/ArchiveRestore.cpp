#include "store/ArchiveRestore.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
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

// A descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

void Close(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

void SyncDescriptor(int fd) {
    if (fd >= 0)
        ::fsync(fd);
}

enum class Entry { Missing, OwnFolder, OwnFile, Foreign };

// What an entry of a folder is, without following a link: only a real folder or file owned by the
// user counts as the user's own. Mode bits are not asked: a share mounted with fixed modes still
// gives the user's files to the user.
Entry Inspect(int folderFd, const QByteArray& name) {
    struct stat info {};
    if (::fstatat(folderFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Entry::Missing : Entry::Foreign;
    if (info.st_uid != ::geteuid())
        return Entry::Foreign;
    return S_ISDIR(info.st_mode) ? Entry::OwnFolder : S_ISREG(info.st_mode) ? Entry::OwnFile : Entry::Foreign;
}

// The user's own folder `name` of `folderFd`, never reached through a link; -1 for anything else.
int OpenOwnFolder(int folderFd, const QByteArray& name) {
    const int fd = ::openat(folderFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid()) {
        ::close(fd);
        errno = EPERM;
        return -1;
    }
    return fd;
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
        const Descriptor folder(OpenOwnFolder(folderFd, name));
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

bool IsTableName(const QString& name) {
    return name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive);
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

// The renames of a committed restore, then the marker and the staging go. `filesFd` holds the
// staged files (their notes folder inside it).
RestoreReport FinishRenames(int archiveFd, int stagingFd, int filesFd, const QString& archiveFolder,
                            const QStringList& names) {
    RestoreReport report;
    const QString filesPath = StagingPath(archiveFolder) + QLatin1Char('/') + QLatin1String(kFiles);
    // The staged notes folder: gone when every note was renamed before a crash; -1 (so that its
    // notes are left alone) when it is not the user's own.
    const Entry stagedNotes = Inspect(filesFd, kNotes);
    const Descriptor stagedNotesFolder(stagedNotes == Entry::OwnFolder ? OpenOwnFolder(filesFd, kNotes) : -1);
    int notesFd = -1;
    QStringList named; // staged files left alone, already named with the failures
    for (const QString& name : names) {
        int from = filesFd;
        int to = archiveFd;
        if (InNotes(name)) {
            if (stagedNotes == Entry::Missing)
                continue;
            if (notesFd < 0)
                notesFd = ::openat(archiveFd, kNotes, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
        // A journal beside the old table would be played back over the new one at its first open.
        const QByteArray journal = file + "-journal";
        if (IsTableName(name) && to >= 0 && Inspect(to, journal) != Entry::Missing) {
            Step();
            ::unlinkat(to, journal.constData(), 0);
        }
        Step();
        if (to < 0 || ::renameat(from, file.constData(), to, file.constData()) != 0)
            report.failures.append({name, FileErrorText(target, "written", to < 0 ? ENOENT : errno)});
    }
    Step();
    SyncDescriptor(archiveFd);
    if (notesFd >= 0) {
        Step();
        SyncDescriptor(notesFd);
    }
    Close(notesFd);
    Step();
    ::unlinkat(stagingFd, kMarker, 0);
    ThrowAway(archiveFd, archiveFolder, &report.leftAlone);
    report.leftAlone.removeIf([&named](const QString& path) { return named.contains(path); });
    return report;
}

} // namespace

QString LeftAloneText(const QStringList& paths) {
    return QStringLiteral(
               "Nothing was restored from \"%1\": it is a link or belongs to another user, so it is not "
               "what a restore of yours left. It was left as it is; remove it before you restore again.")
        .arg(paths.join(QStringLiteral("\", \"")));
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
    const QString staging = StagingPath(m_archiveFolder);
    const auto fail = [&](const QString& path) {
        *error = FileErrorText(path, "written", errno);
        Abandon();
        return false;
    };
    m_archiveFd = ::open(Encoded(m_archiveFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_archiveFd < 0)
        return fail(m_archiveFolder);
    Step();
    if (::mkdirat(m_archiveFd, kStaging, 0700) != 0) {
        const int err = errno;
        Close(m_archiveFd); // what stands there now is not ours to remove
        errno = err;
        return fail(staging);
    }
    m_stagingFd = OpenOwnFolder(m_archiveFd, kStaging);
    if (m_stagingFd < 0)
        return fail(staging);
    Step();
    if (::mkdirat(m_stagingFd, kFiles, 0700) != 0 || (m_filesFd = OpenOwnFolder(m_stagingFd, kFiles)) < 0)
        return fail(staging);
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
    const Descriptor in(OpenRegularFile(source, error, LinkRule::Refuse));
    if (in.get() < 0)
        return false;
    int folderFd = m_filesFd;
    if (InNotes(name)) {
        if (m_notesFd < 0 && Inspect(m_filesFd, kNotes) == Entry::Missing) {
            Step();
            ::mkdirat(m_filesFd, kNotes, 0700);
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
    // The replaced file's mode stays.
    struct stat old {};
    if (!err && ::stat(Encoded(target).constData(), &old) == 0 && (old.st_mode & 07777) != kPrivateFileMode)
        ::fchmod(out, old.st_mode & 07777);
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

QList<RestoreFailure> ArchiveRestore::Commit() {
    if (m_stagingFd < 0)
        return {};
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
    if (m_staged.isEmpty() || err) {
        const QString error = FileErrorText(
            StagingPath(m_archiveFolder) + QLatin1Char('/') + QLatin1String(kMarker), "written", err);
        QList<RestoreFailure> failures;
        for (const QString& name : std::as_const(m_staged))
            failures.append({name, error});
        Abandon();
        return failures;
    }
    Close(m_notesFd);
    const RestoreReport report =
        FinishRenames(m_archiveFd, m_stagingFd, m_filesFd, m_archiveFolder, m_staged);
    CloseFolders();
    m_staged.clear();
    return report.failures;
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
    const Descriptor archive(::open(Encoded(archiveFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
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
    const Descriptor stagingFolder(OpenOwnFolder(archive.get(), kStaging));
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
    const Descriptor files(filesFd);
    return FinishRenames(archive.get(), stagingFolder.get(), files.get(), archiveFolder, names);
}

void SetRestoreStepHookForTest(std::function<void()> hook) {
    StepHook() = std::move(hook);
}

} // namespace qm
