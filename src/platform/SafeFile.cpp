#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

QString Describe(const QString& path, const char* what, int err) {
    return QStringLiteral("The file \"%1\" could not be %2: %3.")
        .arg(QDir::toNativeSeparators(path), QString::fromLatin1(what),
             QString::fromLocal8Bit(std::strerror(err)));
}

bool Fail(QString* error, const QString& message) {
    if (error)
        *error = message;
    return false;
}

// Long names are shortened in the temporary name so that it stays within the file system's limit.
QByteArray TemporaryNameFor(const QByteArray& folder, const QByteArray& fileName) {
    static constexpr int kRoom = 200;
    QByteArray stem = fileName.left(kRoom);
    const QByteArray tail = QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    return folder + '/' + '.' + stem + kTemporaryMarker + tail;
}

bool WriteAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

void SyncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The kernel's rule for shared sticky folders such as /tmp (fs.protected_symlinks): a link in a
// folder everyone may write, with the sticky bit, is followed only when it belongs to the user or
// to the folder's owner. The writer follows links itself, so it keeps that rule itself, whatever the
// system's setting; otherwise another user could plant a link to one of the user's files.
bool MayFollow(const QByteArray& folder, const struct stat& link) {
    struct stat info {};
    if (::stat(folder.isEmpty() ? "/" : folder.constData(), &info) != 0)
        return false;
    const bool shared = (info.st_mode & S_ISVTX) && (info.st_mode & S_IWOTH);
    return !shared || link.st_uid == ::geteuid() || link.st_uid == info.st_uid;
}

constexpr int kRefusedLink = -1;

QString RefusedLinkText(const QString& path, const char* what) {
    return QStringLiteral("The file \"%1\" could not be %2: it is reached through a link that another user "
                          "put in a shared folder.")
        .arg(QDir::toNativeSeparators(path), QString::fromLatin1(what));
}

// The file a write to `path` replaces: every link on the way is followed as the kernel would, so
// that the rename replaces the file and a link stays a link. Returns 0, an errno value, or
// kRefusedLink for a link the kernel's rule would not follow. What does not exist (yet) is left
// as it stands, for the write to create or to fail on.
int ResolveTarget(const QByteArray& path, QByteArray* target) {
    QByteArray resolved; // no links in it; empty for the root folder
    if (!path.startsWith('/')) {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd))
            return errno;
        resolved = cwd;
        if (resolved == "/")
            resolved.clear();
    }
    QByteArrayList pending; // the next component last
    const auto push = [&pending](const QByteArray& text) {
        const QByteArrayList parts = text.split('/');
        for (auto part = parts.crbegin(); part != parts.crend(); ++part)
            if (!part->isEmpty() && *part != ".")
                pending.append(*part);
    };
    push(path);
    int links = 0;
    while (!pending.isEmpty()) {
        const QByteArray part = pending.takeLast();
        if (part == "..") {
            resolved.truncate(qMax<qsizetype>(0, resolved.lastIndexOf('/')));
            continue;
        }
        const QByteArray candidate = resolved + '/' + part;
        struct stat info {};
        if (::lstat(candidate.constData(), &info) != 0) {
            // Missing, or not to be looked into: the write itself finds out.
            QByteArray rest = candidate;
            for (auto next = pending.crbegin(); next != pending.crend(); ++next)
                rest += '/' + *next;
            *target = rest;
            return 0;
        }
        if (!S_ISLNK(info.st_mode)) {
            resolved = candidate;
            continue;
        }
        if (!MayFollow(resolved, info))
            return kRefusedLink;
        if (++links > 40)
            return ELOOP;
        char text[PATH_MAX];
        const ssize_t size = ::readlink(candidate.constData(), text, sizeof text);
        if (size < 0)
            return errno;
        if (size == sizeof text)
            return ENAMETOOLONG;
        if (size > 0 && text[0] == '/')
            resolved.clear();
        push(QByteArray(text, size));
    }
    *target = resolved.isEmpty() ? QByteArray("/") : resolved;
    return 0;
}

// Writes through `produce` (called with the open descriptor) into a temporary file, then renames.
template <typename Produce>
bool WriteThroughTemporary(const QString& path, QString* error, int newFileMode, Produce produce) {
    QByteArray target;
    const int resolveErr = ResolveTarget(QFile::encodeName(path), &target);
    if (resolveErr == kRefusedLink)
        return Fail(error, RefusedLinkText(path, "written"));
    if (resolveErr)
        return Fail(error, Describe(path, "written", resolveErr));
    struct stat existing {};
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return Fail(error, Describe(path, "written", EISDIR));
    // Renaming would replace a read-only file the user protected; writing it would not.
    if (exists && ::access(target.constData(), W_OK) != 0)
        return Fail(error, Describe(path, "written", errno));
    // Another user's mode would hand the user's new content to others.
    const bool ownExisting = exists && existing.st_uid == ::geteuid();
    const mode_t mode = ownExisting ? (existing.st_mode & 07777) : static_cast<mode_t>(newFileMode);

    const int slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    const QByteArray fileName = target.mid(slash + 1);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temporary = TemporaryNameFor(folder, fileName);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return Fail(error, Describe(path, "written", errno));
    if (ownExisting)
        ::fchmod(fd, mode); // the umask must not narrow an existing file's mode

    int err = 0;
    if (!produce(fd, err))
        err = err ? err : EIO;
    else if (::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && !err)
        err = errno;
    if (!err && ::rename(temporary.constData(), target.constData()) != 0)
        err = errno;
    if (err) {
        ::unlink(temporary.constData());
        return Fail(error, Describe(path, "written", err));
    }
    SyncFolder(folder);
    if (error)
        error->clear();
    return true;
}

} // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error, int newFileMode) {
    return WriteThroughTemporary(path, error, newFileMode, [&](int fd, int& err) {
        if (WriteAll(fd, data.constData(), data.size()))
            return true;
        err = errno;
        return false;
    });
}

bool CopyFileAtomically(const QString& source, const QString& target, QString* error, int newFileMode) {
    const UniqueFd in = OpenRegularFileAt(AT_FDCWD, source, LinkRule::FollowOwn, error, source);
    if (!in)
        return false;
    bool readFailed = false;
    int readErr = 0;
    const bool ok = WriteThroughTemporary(target, error, newFileMode, [&](int fd, int& err) {
        err = CopyDescriptor(in.get(), fd, &readFailed);
        if (readFailed)
            readErr = err;
        return err == 0;
    });
    if (!ok && readFailed)
        return Fail(error, Describe(source, "read", readErr));
    return ok;
}

bool WriteAllTo(int fd, const QByteArray& data) {
    return WriteAll(fd, data.constData(), data.size());
}

int CopyDescriptor(int from, int to, bool* readFailed) {
    *readFailed = false;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got == 0)
            return 0;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            *readFailed = true;
            return errno;
        }
        if (!WriteAll(to, buffer, got))
            return errno;
    }
}

namespace {

// The path of the folder a descriptor stands for, for messages and for following links by path.
QByteArray FolderPathOf(int folderFd) {
    if (folderFd == AT_FDCWD)
        return QByteArray();
    char text[PATH_MAX];
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(folderFd);
    const ssize_t size = ::readlink(proc.constData(), text, sizeof text);
    return size > 0 && size < ssize_t(sizeof text) ? QByteArray(text, size) : proc;
}

QByteArray Joined(const QByteArray& folder, const QByteArray& name) {
    if (folder.isEmpty() || name.startsWith('/'))
        return name;
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QString SizeText(qint64 bytes) {
    if (bytes >= (1 << 20) && bytes % (1 << 20) == 0)
        return QStringLiteral("%1 MB").arg(bytes >> 20);
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QStringLiteral("%1 KB").arg(bytes >> 10);
    return QStringLiteral("%1 bytes").arg(bytes);
}

// A failed open: the message in `error`, and errno telling why for callers that ask.
UniqueFd Refused(QString* error, const QString& message, int err) {
    Fail(error, message);
    errno = err;
    return UniqueFd();
}

// A failed read, the same way.
bool ReadFailed(QString* error, const QString& message, int err) {
    Fail(error, message);
    errno = err;
    return false;
}

} // namespace

UniqueFd OpenRegularFileAt(int folderFd, const QString& name, LinkRule rule, QString* error,
                           const QString& shownPath) {
    const QByteArray encoded = QFile::encodeName(name);
    const QByteArray folder =
        shownPath.isEmpty() || rule == LinkRule::FollowOwn ? FolderPathOf(folderFd) : QByteArray();
    const QString shown = shownPath.isEmpty() ? QFile::decodeName(Joined(folder, encoded)) : shownPath;
    int at = folderFd;
    QByteArray target = encoded;
    if (rule == LinkRule::FollowOwn) {
        // Links are followed by path, each checked on the way as the writer does.
        const int resolveErr = ResolveTarget(Joined(folder, encoded), &target);
        if (resolveErr == kRefusedLink)
            return Refused(error, RefusedLinkText(shown, "read"), ELOOP);
        if (resolveErr)
            return Refused(error, Describe(shown, "read", resolveErr), resolveErr);
        at = AT_FDCWD;
    }
    // Non-blocking: opening a FIFO for reading would wait until someone opens it for writing.
    UniqueFd fd(::openat(at, target.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    if (!fd) {
        const int err = errno;
        if (err == ELOOP && rule == LinkRule::Refuse)
            return Refused(error,
                           QStringLiteral("The file \"%1\" could not be read: it is a link.")
                               .arg(QDir::toNativeSeparators(shown)),
                           err);
        return Refused(error, Describe(shown, "read", err), err);
    }
    struct stat info {};
    const bool statted = ::fstat(fd.get(), &info) == 0;
    const int statErr = errno;
    if (statted && S_ISREG(info.st_mode)) {
        if (error)
            error->clear();
        return fd;
    }
    if (!statted)
        return Refused(error, Describe(shown, "read", statErr), statErr);
    if (S_ISDIR(info.st_mode))
        return Refused(error, Describe(shown, "read", EISDIR), EISDIR);
    return Refused(error,
                   QStringLiteral("The file \"%1\" could not be read: it is not a regular file.")
                       .arg(QDir::toNativeSeparators(shown)),
                   EINVAL);
}

UniqueFd OpenRegularFileAt(const QString& folder, const QString& name, LinkRule rule, QString* error) {
    const QString path = folder.isEmpty()
                             ? name
                             : QFile::decodeName(Joined(QFile::encodeName(folder), QFile::encodeName(name)));
    return OpenRegularFileAt(AT_FDCWD, path, rule, error, path);
}

QString TooLargeText(const QString& path, qint64 maxBytes) {
    return QStringLiteral("The file \"%1\" could not be read: it is larger than %2.")
        .arg(QDir::toNativeSeparators(path), SizeText(maxBytes));
}

bool ReadAll(int fd, qint64 maxBytes, QByteArray* data, const QString& shownPath, QString* error) {
    data->clear();
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int err = errno;
        return ReadFailed(error, Describe(shownPath, "read", err), err);
    }
    const off_t offset = ::lseek(fd, 0, SEEK_CUR);
    const qint64 left = S_ISREG(info.st_mode) ? qint64(info.st_size) - qMax<qint64>(0, offset) : 0;
    if (left > maxBytes)
        return ReadFailed(error, TooLargeText(shownPath, maxBytes), EFBIG);
    data->reserve(qMax<qint64>(0, left));
    // The size may grow, or be unknown: the bound holds for what is read, whatever fstat said.
    char buffer[64 * 1024];
    for (;;) {
        const qint64 room = maxBytes + 1 - data->size();
        const ssize_t got = ::read(fd, buffer, size_t(qMin<qint64>(qint64(sizeof buffer), room)));
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            data->clear();
            return ReadFailed(error, Describe(shownPath, "read", err), err);
        }
        data->append(buffer, got);
        if (data->size() > maxBytes) {
            data->clear();
            data->squeeze();
            return ReadFailed(error, TooLargeText(shownPath, maxBytes), EFBIG);
        }
    }
    if (error)
        error->clear();
    return true;
}

int OpenRegularFile(const QString& path, QString* error, LinkRule links) {
    return OpenRegularFileAt(AT_FDCWD, path, links, error, path).release();
}

bool ReadFileWhole(const QString& path, QByteArray* data, QString* error, LinkRule links, qint64 maxBytes) {
    data->clear();
    const UniqueFd fd = OpenRegularFileAt(AT_FDCWD, path, links, error, path);
    return fd && ReadAll(fd.get(), maxBytes, data, path, error);
}

void SyncFolderEntries(const QString& folder) {
    SyncFolder(QFile::encodeName(folder));
}

QString FileErrorText(const QString& path, const char* what, int err) {
    return Describe(path, what, err);
}

bool IsTemporaryFileName(const QString& fileName) {
    if (!fileName.startsWith(u'.'))
        return false;
    const qsizetype marker = fileName.lastIndexOf(QLatin1String(kTemporaryMarker));
    const qsizetype tail = marker + qsizetype(sizeof kTemporaryMarker) - 1;
    if (marker < 2 || tail >= fileName.size())
        return false;
    for (qsizetype i = tail; i < fileName.size(); ++i) {
        const QChar c = fileName[i];
        if (!(c >= u'0' && c <= u'9') && !(c >= u'a' && c <= u'z'))
            return false;
    }
    return true;
}

int SweepTemporaryFiles(const QString& folder) {
    int removed = 0;
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names)
        if (IsTemporaryFileName(name) && QFile::remove(dir.filePath(name)))
            ++removed;
    return removed;
}

} // namespace qm
