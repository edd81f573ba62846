#include "desktop/UserComp.h"

#include "platform/UserAccount.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <sys/utsname.h>

namespace qm {

namespace {

QString Location(QStandardPaths::StandardLocation location) {
    return QStandardPaths::writableLocation(location);
}

} // namespace

void TUserComp::Loaded() {
    Desktop = Location(QStandardPaths::DesktopLocation);
    Personal = Location(QStandardPaths::DocumentsLocation);
    Fonts = Location(QStandardPaths::FontsLocation);
    Programs = Location(QStandardPaths::ApplicationsLocation);
    AppData = Location(QStandardPaths::GenericDataLocation);
    Cache = Location(QStandardPaths::GenericCacheLocation);
    Templates = Location(QStandardPaths::TempLocation);
    Startup = Location(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");

    DefName = FullName();
    LoginName = qm::LoginName();

    utsname system{};
    if (uname(&system) == 0) {
        const QString release = QString::fromLocal8Bit(system.release);
        SystemName = QString::fromLocal8Bit(system.sysname) + QLatin1Char(' ') + release;
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?")).match(release);
        MajorVersion = match.captured(1).toUInt();
        MinorVersion = match.captured(2).toUInt();
        BuildNumber = match.captured(3).toUInt();
        PlatformId = PlatformLinux;
    }
}

} // namespace qm
