#pragma once

#include <QString>

namespace qm {

// The folder of the program file, ending in "/". QUELLMIRE_PROGRAM_FOLDER replaces it when set.
QString ProgramFolder();

} // namespace qm
