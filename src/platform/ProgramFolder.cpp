#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace qm {

QString ProgramFolder() {
    QString folder = qEnvironmentVariable("QUELLMIRE_PROGRAM_FOLDER");
    if (folder.isEmpty()) {
        // Without an application object Qt cannot tell where the program is; the kernel can.
        folder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                              : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    }
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

} // namespace qm
