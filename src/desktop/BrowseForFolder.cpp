#include "desktop/BrowseForFolder.h"

#include "platform/Modal.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace qm {

namespace {

struct SeamState {
    bool enabled = false;
    QList<std::optional<QString>> folders;
    QList<ShownBrowser> shown;
    int unhandled = 0;
};

SeamState& Seam() {
    static SeamState state;
    return state;
}

QString StandardFolder(QStandardPaths::StandardLocation location) {
    return QStandardPaths::writableLocation(location);
}

QString LocationFolder(TBrowseLocation root) {
    switch (root) {
    case TBrowseLocation::bl_DESKTOP:
    case TBrowseLocation::bl_DESKTOPDIRECTORY:
    case TBrowseLocation::bl_COMMON_DESKTOPDIRECTORY:
        return StandardFolder(QStandardPaths::DesktopLocation);
    case TBrowseLocation::bl_PERSONAL:
        return StandardFolder(QStandardPaths::DocumentsLocation);
    case TBrowseLocation::bl_FONTS:
        return StandardFolder(QStandardPaths::FontsLocation);
    case TBrowseLocation::bl_PROGRAMS:
    case TBrowseLocation::bl_STARTMENU:
    case TBrowseLocation::bl_COMMON_STARTMENU:
    case TBrowseLocation::bl_COMMON_PROGRAMS:
        return StandardFolder(QStandardPaths::ApplicationsLocation);
    case TBrowseLocation::bl_APPDATA:
        return StandardFolder(QStandardPaths::GenericDataLocation);
    case TBrowseLocation::bl_DRIVES:
        return QDir::rootPath();
    default:
        return QString();
    }
}

// The path as the browser hands it back: cleaned, no trailing separator except for the root.
QString CleanFolder(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

TBrowseForFolder::TBrowseForFolder() : FolderName(DefaultFolder()) {}

QString TBrowseForFolder::DefaultFolder() {
    return QDir::homePath();
}

QString TBrowseForFolder::StartFolder() const {
    if (!FolderName.isEmpty() && QFileInfo(FolderName).isDir())
        return FolderName;
    return QString();
}

bool TBrowseForFolder::Execute(QWidget* parent) {
    std::optional<QString> chosen;
    const QString start = StartFolder();
    SeamState& seam = Seam();
    if (seam.enabled) {
        seam.shown.append({Caption, start});
        if (seam.folders.isEmpty())
            ++seam.unhandled;
        else
            chosen = seam.folders.takeFirst();
    } else {
        QString root;
        if (Root == TBrowseLocation::bl_CUSTOM)
            root = CustomRoot;
        else if (Root != TBrowseLocation::bl_STANDART)
            root = LocationFolder(Root);
        QFileDialog dialog(parent, Caption.trimmed().isEmpty() ? QStringLiteral("Select Folder") : Caption,
                           start.isEmpty() ? root : start);
        // The same dialog on every desktop; folders only.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setFileMode(QFileDialog::Directory);
        if (RunModal(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    if (!chosen || chosen->isEmpty())
        return false;
    FolderName = CleanFolder(*chosen);
    m_displayName = QFileInfo(FolderName).fileName();
    if (m_displayName.isEmpty())
        m_displayName = FolderName;
    return true;
}

namespace BrowseForFolderSeam {

void Enable() {
    Seam().enabled = true;
}

void Disable() {
    Seam().enabled = false;
}

bool IsEnabled() {
    return Seam().enabled;
}

void QueueFolder(std::optional<QString> folder) {
    Seam().folders.append(std::move(folder));
}

QList<ShownBrowser> Shown() {
    return Seam().shown;
}

int UnhandledCount() {
    return Seam().unhandled;
}

void Reset() {
    SeamState& seam = Seam();
    seam.folders.clear();
    seam.shown.clear();
    seam.unhandled = 0;
}

} // namespace BrowseForFolderSeam

} // namespace qm
