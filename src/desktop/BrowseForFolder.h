#pragma once

#include <QList>
#include <QString>
#include <optional>

class QWidget;

namespace qm {

// The flags a caller may ask of the folder browser. Kept as the bit values the program stores.
enum TBrowseFlag : unsigned {
    bf_ReturnOnlyFSDIRS = 0x0001,
    bf_DontGoBelowDomain = 0x0002,
    bf_statustext = 0x0004,
    bf_ReturnFSanceStors = 0x0008,
    bf_EditBox = 0x0010,
    bf_BrowseForComputer = 0x1000,
    bf_BrowseForPrinter = 0x2000,
};
using TBrowseFlags = unsigned;

// Where the browser's tree starts. Only the folders a Linux desktop has are honoured (see Execute);
// the others open where the standard location would.
enum class TBrowseLocation {
    bl_STANDART,
    bl_CUSTOM,
    bl_DESKTOP,
    bl_PROGRAMS,
    bl_CONTROLS,
    bl_PRINTERS,
    bl_PERSONAL,
    bl_FAVORITES,
    bl_STARTUP,
    bl_RECENT,
    bl_SENDTO,
    bl_BITBUCKET,
    bl_STARTMENU,
    bl_DESKTOPDIRECTORY,
    bl_DRIVES,
    bl_NETWORK,
    bl_NETHOOD,
    bl_FONTS,
    bl_TEMPLATES,
    bl_COMMON_STARTMENU,
    bl_COMMON_PROGRAMS,
    bl_COMMON_STARTUP,
    bl_COMMON_DESKTOPDIRECTORY,
    bl_APPDATA,
    bl_PRINTHOOD,
};

// Asks the user for a folder: set the properties, call Execute(), read FolderName.
class TBrowseForFolder {
public:
    TBrowseForFolder();
    explicit TBrowseForFolder(const QString& caption) : TBrowseForFolder() { Caption = caption; }

    // The folder a browser starts in when it is given none that exists: the user's home folder.
    static QString DefaultFolder();

    QString StatusText = QStringLiteral("Plase select folder");
    // In: the folder selected when the browser opens (none when empty or missing). Out: the chosen
    // folder's path, without a trailing separator unless it is the root.
    QString FolderName;
    TBrowseLocation Root = TBrowseLocation::bl_STANDART;
    QString Caption = QStringLiteral("Select Folder");
    // The custom root of bl_CUSTOM.
    QString CustomRoot;

    TBrowseFlags Flags() const { return m_flags; }
    void SetFlags(TBrowseFlags flags) { m_flags = flags; }
    // The chosen folder's own name, set by Execute.
    const QString& DisplayName() const { return m_displayName; }

    // True when the user chose a folder; on cancel FolderName and DisplayName keep their values.
    bool Execute(QWidget* parent = nullptr);

private:
    QString StartFolder() const;

    TBrowseFlags m_flags = 0;
    QString m_displayName;
};

// Test seam. While enabled no browser is shown: each Execute takes the next queued folder (nullopt:
// the user cancelled) and is recorded. With nothing queued it counts as cancelled and is counted.
struct ShownBrowser {
    QString caption;
    QString startFolder; // empty when nothing was preselected
};

namespace BrowseForFolderSeam {
void Enable();
void Disable();
bool IsEnabled();
void QueueFolder(std::optional<QString> folder);
QList<ShownBrowser> Shown();
int UnhandledCount();
void Reset();
} // namespace BrowseForFolderSeam

} // namespace qm
