#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <sys/stat.h>

namespace qm {

namespace {

QString ExecutableFolder() {
    // Without an application object Qt cannot tell where the program is; the kernel can.
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                        : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

} // namespace

QString ProgramFolder() {
    QString folder = qEnvironmentVariable("QUELLMIRE_PROGRAM_FOLDER");
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                 QStringLiteral("/quellmire");
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString ShippedFile(const QString& name) {
    const QString own = ProgramFolder() + name;
    if (QFileInfo::exists(own))
        return own;
    const QString executableFolder = ExecutableFolder();
    for (const QString& candidate : {executableFolder + QLatin1Char('/') + name,
                                     executableFolder + QStringLiteral("/../share/quellmire/") + name}) {
        if (QFileInfo::exists(candidate))
            return QDir::cleanPath(candidate);
    }
    return own;
}

bool MakePrivatePath(const QString& folder) {
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (QFileInfo(path).isDir())
        return true;
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash > 0 && !MakePrivatePath(path.left(slash)))
        return false;
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST)
        return false;
    return QFileInfo(path).isDir();
}

} // namespace qm
