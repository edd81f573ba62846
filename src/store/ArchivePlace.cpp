#include "store/ArchivePlace.h"
#include "platform/OwnFiles.h"
#include "platform/UniqueFd.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

QString PrivateArchiveName(const QString& profileName) {
    // Not the profile's own name: a backup into the same folder makes a folder of that name.
    return profileName + QStringLiteral("-private");
}

ArchivePlace PlaceArchiveIn(const QString& workingFolder, const QString& profileName) {
    const QString shown = QDir::toNativeSeparators(workingFolder);
    // The working folder itself is the user's choice, so a link to it is followed.
    const UniqueFd folder(
        ::open(QFile::encodeName(workingFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return {QString(),
                QStringLiteral("I can't open the working folder \"%1\": %2. I work in the default folder.")
                    .arg(shown, QString::fromLocal8Bit(std::strerror(errno))),
                true};
    struct stat info {};
    if (::fstat(folder.get(), &info) == 0 && info.st_uid == ::geteuid())
        return {workingFolder, QString()};

    const QString name = PrivateArchiveName(profileName);
    const QByteArray encoded = QFile::encodeName(name);
    const QString privatePath = QDir(workingFolder).filePath(name);
    const QString shownPrivate = QDir::toNativeSeparators(privatePath);
    ArchivePlace place;
    bool made = false;
    if (InspectEntry(folder.get(), encoded) == OwnEntry::Missing) {
        if (::mkdirat(folder.get(), encoded.constData(), 0700) != 0 && errno != EEXIST) {
            const int err = errno;
            return {QString(),
                    QStringLiteral("The working folder \"%1\" belongs to another user, and I can't create "
                                   "your private folder \"%2\" in it: %3. I work in the default folder.")
                        .arg(shown, shownPrivate, QString::fromLocal8Bit(std::strerror(err))),
                    true};
        }
        made = true;
    }
    const UniqueFd own(OpenOwnFolderAt(folder.get(), encoded));
    if (!own)
        return {QString(),
                QStringLiteral("The working folder \"%1\" belongs to another user, and \"%2\" %3, so nothing "
                               "is used from it. I work in the default folder.")
                    .arg(shown, shownPrivate, WhyNotOwn(privatePath, true)),
                true};
    // Private whatever the umask or whoever made it before.
    ::fchmod(own.get(), 0700);
    place.archiveFolder = privatePath;
    if (made)
        place.message = QStringLiteral("The working folder \"%1\" belongs to another user, so your archive, "
                                       "notes and settings are kept in your private folder \"%2\" in it.")
                            .arg(shown, shownPrivate);
    return place;
}

} // namespace qm
