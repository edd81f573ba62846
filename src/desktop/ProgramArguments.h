#pragma once

#include <QStringList>

namespace qm {

// The process's command line, argument 0 being the program; tests may set their own.
QStringList ProgramArguments();

namespace ProgramArgumentsSeam {
void Set(const QStringList& arguments);
void Reset();
} // namespace ProgramArgumentsSeam

} // namespace qm
