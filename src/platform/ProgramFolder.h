#pragma once

#include <QString>

namespace qm {

// Where the archive and the program's own files live: the user's data folder,
// $XDG_DATA_HOME/quellmire/ (normally ~/.local/share/quellmire/), ending in "/"; never the folder
// of the program file, which is deleted with a build. QUELLMIRE_PROGRAM_FOLDER replaces it.
QString ProgramFolder();

// A file or folder shipped with the program (help file, sound or colour-set folders): the one in
// the program folder when there is one, else the one beside the program file, else the one in the
// installed share folder (<prefix>/share/quellmire/). The program folder's path when none exists.
QString ShippedFile(const QString& name);

// Creates `folder` and its missing parents readable by the user alone (0700); folders that
// already exist keep their mode. True when the folder exists afterwards.
bool MakePrivatePath(const QString& folder);

} // namespace qm
