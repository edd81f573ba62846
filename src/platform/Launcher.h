#pragma once

#include <QString>
#include <QStringList>

namespace qm {

// Opens a file, a folder, a web address or a mail address with the desktop's handler, as the shell's
// "open" does. Text is never handed to a shell. A local path that does not exist is not launched and
// gives false; otherwise the result is whether the desktop accepted the request. "www." addresses
// open as web pages.
bool ShellOpen(const QString& fileOrUrl);

// Test seam. While enabled nothing is launched: each request that would be launched is recorded and
// answered from the queue, true when nothing is queued.
namespace LauncherSeam {
void Enable();
void Disable();
bool IsEnabled();
void QueueResult(bool result);
QStringList Launches();
void Reset();
} // namespace LauncherSeam

} // namespace qm
