#pragma once

#include <QString>
#include <QStringList>

namespace qm {

// Opens a file, a folder, a web address or a mail address with the desktop's handler, as the shell's
// "open" does. Text is never handed to a shell. A local path that does not exist is not launched and
// gives false; otherwise the result is whether the desktop accepted the request. "www." addresses
// open as web pages.
bool ShellOpen(const QString& fileOrUrl);

// A desktop program and its arguments.
struct ProgramCall {
    QString program; // a name looked up on PATH
    QStringList arguments;
};

// True when `program` is found on PATH.
bool IsProgramInstalled(const QString& program);

// Starts the program detached, with its arguments as a list (never through a shell). False when it
// is not installed or did not start.
bool StartProgram(const ProgramCall& call);

// The outcome of starting the first installed program of a list.
enum class StartResult { Started, NoneInstalled, FailedToStart };
// Starts the first of `calls` that is installed; when one fails to start, the next installed one is
// tried. `started` names the program that started.
StartResult StartFirstInstalled(const QList<ProgramCall>& calls, QString* started = nullptr);

// Test seam. While enabled nothing is launched: each request that would be launched is recorded and
// answered from the queue, true when nothing is queued. Programs count as installed only when
// listed by SetInstalledPrograms; their starts are recorded as the program followed by its arguments.
namespace LauncherSeam {
void Enable();
void Disable();
bool IsEnabled();
void QueueResult(bool result);
QStringList Launches();
void SetInstalledPrograms(const QStringList& programs);
QList<QStringList> StartedPrograms();
void Reset();
} // namespace LauncherSeam

} // namespace qm
