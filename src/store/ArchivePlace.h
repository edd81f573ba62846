#pragma once

#include <QString>

namespace qm {

// Where the archive of a working folder lives, and what the user is told about it.
struct ArchivePlace {
    QString archiveFolder; // empty: the working folder cannot hold the archive; keep the default
    QString message;       // one message for the user, or empty
    bool refused = false;  // the message says why the working folder is not used
};

// The name of the private folder that holds the archive in a working folder of another user.
QString PrivateArchiveName(const QString& profileName);

// The archive for the working folder `workingFolder` (an existing folder the user chose). A folder
// the user owns is the archive itself. In a folder of another user (a 1777 folder, a group's
// folder) the archive is the user's own private subfolder PrivateArchiveName(profileName), made
// 0700 on first use (the message then says where the files are kept); when something else stands
// under that name, nothing is used from it and the message names it and its owner.
ArchivePlace PlaceArchiveIn(const QString& workingFolder, const QString& profileName);

} // namespace qm
