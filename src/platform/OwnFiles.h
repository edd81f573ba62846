#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>

// Whether an entry of a folder others may write is the user's own, looked at without following a
// link: only a real folder or regular file owned by the effective user counts. Mode bits are not
// asked, so a network share mounted with fixed modes still gives the user's files to the user.
namespace qm {

enum class OwnEntry { Missing, OwnFolder, OwnFile, Foreign };

// `name` of the open folder `folderFd`; `owner` (when given) receives the entry's owner.
OwnEntry InspectEntry(int folderFd, const QByteArray& name, uid_t* owner = nullptr);
// The entry `path` names, its last component not followed.
OwnEntry InspectPath(const QString& path, uid_t* owner = nullptr);

// The user's own folder `name` of `folderFd`, never reached through a link, checked on the open
// descriptor; -1 with errno set (EPERM for another user's, ELOOP or ENOTDIR for a link) otherwise.
int OpenOwnFolderAt(int folderFd, const QByteArray& name);

// A user's login name for messages, or the number when the account has no name.
QString UserNameOf(uid_t uid);

// The end of a message about an entry that is not the user's own: "is a link", "belongs to the
// user nobody", "is not a folder".
QString WhyNotOwn(const QString& path, bool folderExpected);

} // namespace qm
