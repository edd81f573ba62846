#include "platform/OwnFiles.h"
#include "platform/UniqueFd.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

OwnEntry Classify(const struct stat& info) {
    if (info.st_uid != ::geteuid())
        return OwnEntry::Foreign;
    return S_ISDIR(info.st_mode)   ? OwnEntry::OwnFolder
           : S_ISREG(info.st_mode) ? OwnEntry::OwnFile
                                   : OwnEntry::Foreign;
}

// Looked at through a descriptor of the entry itself (a link stays a link), so that what is judged
// is what stood there when it was opened.
OwnEntry InspectOpened(const UniqueFd& fd, uid_t* owner) {
    if (!fd)
        return errno == ENOENT ? OwnEntry::Missing : OwnEntry::Foreign;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return OwnEntry::Foreign;
    if (owner)
        *owner = info.st_uid;
    return Classify(info);
}

} // namespace

OwnEntry InspectEntry(int folderFd, const QByteArray& name, uid_t* owner) {
    return InspectOpened(UniqueFd(::openat(folderFd, name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC)),
                         owner);
}

OwnEntry InspectPath(const QString& path, uid_t* owner) {
    return InspectOpened(
        UniqueFd(::open(QFile::encodeName(path).constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC)), owner);
}

int OpenOwnFolderAt(int folderFd, const QByteArray& name) {
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

QString UserNameOf(uid_t uid) {
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_name)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}

QString WhyNotOwn(const QString& path, bool folderExpected) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("cannot be looked at");
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("is a link");
    if (info.st_uid != ::geteuid())
        return QStringLiteral("belongs to the user %1").arg(UserNameOf(info.st_uid));
    return folderExpected ? QStringLiteral("is not a folder") : QStringLiteral("is not a regular file");
}

} // namespace qm
