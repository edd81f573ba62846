#pragma once

#include <QString>

namespace qm {

// Facts about the user and the system, gathered once: the login name that names the user's
// archive folder, the full name, the user folders and the kernel version. What Linux has no
// counterpart for (the registered company, the Windows folders) stays empty.
class TUserComp {
public:
    // Platform ids: 0 Win32s, 1 Windows 9x, 2 NT family; Linux reports its own id.
    static constexpr unsigned PlatformLinux = 3;

    unsigned MajorVersion = 0;
    unsigned MinorVersion = 0;
    unsigned BuildNumber = 0;
    unsigned PlatformId = 0;
    QString WindowsDir;
    QString SystemDir;
    QString DefCompany;
    QString DefName;
    QString LoginName;
    QString SendTo, Recent, Desktop, Favorites, Programs, StartMenu, Startup, Fonts, Personal, NetHood,
        PrintHood, Templates, AppData, Cache, Cookies, History;
    // The system's own name and release, e.g. "Linux 6.1.0-18-amd64".
    QString SystemName;

    void Loaded();
};

} // namespace qm
