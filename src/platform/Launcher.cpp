#include "platform/Launcher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QUrl>

namespace qm {

namespace {

struct SeamState {
    bool enabled = false;
    QList<bool> results;
    QStringList launches;
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

void Reset() {
    Seam().results.clear();
    Seam().launches.clear();
}

} // namespace LauncherSeam

} // namespace qm
