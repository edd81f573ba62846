#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
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

QString TemporaryPathFor(const QString& path) {
    const QFileInfo info(path);
    const QString tail = QString::number(QRandomGenerator::global()->generate64(), 36);
    return info.dir().filePath(u'.' + info.fileName() + QLatin1String(kTemporaryMarker) + tail);
}

bool WriteAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

void SyncFolderOf(const QString& path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Writes through `produce` (called with the open descriptor) into a temporary file, then renames.
template <typename Produce>
bool WriteThroughTemporary(const QString& path, QString* error, int newFileMode, Produce produce) {
    const QByteArray target = QFile::encodeName(path);
    struct stat existing {};
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return Fail(error, Describe(path, "written", EISDIR));
    const mode_t mode = exists ? (existing.st_mode & 07777) : static_cast<mode_t>(newFileMode);

    const QString temporary = TemporaryPathFor(path);
    const QByteArray temporaryName = QFile::encodeName(temporary);
    const int fd = ::open(temporaryName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0)
        return Fail(error, Describe(path, "written", errno));
    if (exists)
        ::fchmod(fd, mode); // the umask must not narrow an existing file's mode

    int err = 0;
    if (!produce(fd, err))
        err = err ? err : EIO;
    else if (::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && !err)
        err = errno;
    if (!err && ::rename(temporaryName.constData(), target.constData()) != 0)
        err = errno;
    if (err) {
        ::unlink(temporaryName.constData());
        return Fail(error, Describe(path, "written", err));
    }
    SyncFolderOf(path);
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
    const QByteArray sourceName = QFile::encodeName(source);
    const int in = ::open(sourceName.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return Fail(error, Describe(source, "read", errno));
    int readErr = 0;
    const bool ok = WriteThroughTemporary(target, error, newFileMode, [&](int fd, int& err) {
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t got = ::read(in, buffer, sizeof buffer);
            if (got == 0)
                return true;
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                err = readErr = errno;
                return false;
            }
            if (!WriteAll(fd, buffer, got)) {
                err = errno;
                return false;
            }
        }
    });
    ::close(in);
    if (!ok && readErr)
        return Fail(error, Describe(source, "read", readErr));
    return ok;
}

bool IsTemporaryFileName(const QString& fileName) {
    return fileName.startsWith(u'.') && fileName.contains(QLatin1String(kTemporaryMarker));
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
