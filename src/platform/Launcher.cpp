#include "platform/Launcher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

namespace qm {

namespace {

struct SeamState {
    bool enabled = false;
    QList<bool> results;
    QStringList launches;
    QStringList installed;
    QList<QStringList> started;
};

SeamState& Seam() {
    static SeamState state;
    return state;
}

// A scheme of two letters or more ("https:", "mailto:"); one letter would be a drive, not a scheme.
bool HasUrlScheme(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(text).hasMatch();
}

} // namespace

bool ShellOpen(const QString& fileOrUrl) {
    const QString target = fileOrUrl.trimmed();
    if (target.isEmpty())
        return false;
    QUrl url;
    if (HasUrlScheme(target)) {
        url = QUrl(target, QUrl::TolerantMode);
    } else if (target.startsWith(QLatin1String("www."), Qt::CaseInsensitive)) {
        url = QUrl(QStringLiteral("http://") + target, QUrl::TolerantMode);
    } else {
        if (!QFileInfo::exists(target))
            return false;
        url = QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    }
    if (!url.isValid())
        return false;

    SeamState& seam = Seam();
    if (seam.enabled) {
        seam.launches.append(target);
        return seam.results.isEmpty() ? true : seam.results.takeFirst();
    }
    return QDesktopServices::openUrl(url);
}

bool IsProgramInstalled(const QString& program) {
    if (program.isEmpty())
        return false;
    if (Seam().enabled)
        return Seam().installed.contains(program);
    return !QStandardPaths::findExecutable(program).isEmpty();
}

bool StartProgram(const ProgramCall& call) {
    if (!IsProgramInstalled(call.program))
        return false;
    SeamState& seam = Seam();
    if (seam.enabled) {
        seam.started.append(QStringList{call.program} + call.arguments);
        return seam.results.isEmpty() ? true : seam.results.takeFirst();
    }
    return QProcess::startDetached(QStandardPaths::findExecutable(call.program), call.arguments);
}

StartResult StartFirstInstalled(const QList<ProgramCall>& calls, QString* started) {
    StartResult result = StartResult::NoneInstalled;
    for (const ProgramCall& call : calls) {
        if (!IsProgramInstalled(call.program))
            continue;
        if (StartProgram(call)) {
            if (started)
                *started = call.program;
            return StartResult::Started;
        }
        result = StartResult::FailedToStart;
    }
    return result;
}

namespace LauncherSeam {

void Enable() {
    Seam().enabled = true;
}

void Disable() {
    Seam().enabled = false;
}

bool IsEnabled() {
    return Seam().enabled;
}

void QueueResult(bool result) {
    Seam().results.append(result);
}

QStringList Launches() {
    return Seam().launches;
}

void SetInstalledPrograms(const QStringList& programs) {
    Seam().installed = programs;
}

QList<QStringList> StartedPrograms() {
    return Seam().started;
}

void Reset() {
    Seam().results.clear();
    Seam().launches.clear();
    Seam().installed.clear();
    Seam().started.clear();
}

} // namespace LauncherSeam

} // namespace qm
