#include "store/ArchiveLocation.h"

#include "engine/Session.h"
#include "platform/ProgramFolder.h"
#include "platform/TextLines.h"
#include "platform/UserAccount.h"
#include "store/ArchiveRestore.h"

#include <QFileInfo>

namespace qm {

QString DefaultArchiveFolderFor(const QString& programFolder, const QString& userName) {
    if (userName.isEmpty())
        return programFolder + QStringLiteral("qmarcs/generic");
    return programFolder + QStringLiteral("qmarcs/") + userName + QStringLiteral("Arc");
}

WorkingFolderChoice ReadWorkingFolder(const QString& defaultArchiveFolder) {
    WorkingFolderChoice choice;
    const QString netFile = JoinPath(defaultArchiveFolder, QStringLiteral("Net.txt"));
    if (!QFileInfo::exists(netFile))
        return choice;
    choice.netFileFound = true;
    const QStringList lines = LoadTextLines(netFile);
    choice.named = lines.isEmpty() ? QString() : lines.first();
    if (!choice.named.isEmpty() && QFileInfo(choice.named).isDir())
        choice.folder = choice.named;
    return choice;
}

bool SetUpArchiveAlias(QString* folder, QString* error, QString* notice) {
    notice->clear();
    Session& session = Session::Instance();
    if (!session.Start()) {
        *error = QStringLiteral("The database engine cannot start.");
        return false;
    }
    // The login name is used as the system gives it, up to a NUL, as the window does.
    QString userName = LoginName();
    const qsizetype nul = userName.indexOf(QChar(0));
    if (nul >= 0)
        userName.truncate(nul);
    const QString programFolder = ProgramFolder();
    const QString defaultFolder = DefaultArchiveFolderFor(programFolder, userName);
    const WorkingFolderChoice choice = ReadWorkingFolder(defaultFolder);
    *folder = choice.folder.isEmpty() ? defaultFolder : choice.folder;
    if (choice.netFileFound && choice.folder.isEmpty())
        *notice = QStringLiteral("The working folder (%1) was not found, so the default folder (%2) is used.")
                      .arg(choice.named, defaultFolder);

    const RestoreReport report = FinishPendingRestore(*folder);
    for (const RestoreFailure& failure : report.failures)
        *notice += (notice->isEmpty() ? QString() : QStringLiteral("\n")) +
                   QStringLiteral("Not restored: %1: %2").arg(failure.name, failure.error);
    if (!report.leftAlone.isEmpty())
        *notice += (notice->isEmpty() ? QString() : QStringLiteral("\n")) + LeftAloneText(report.leftAlone);

    session.AddAlias(QStringLiteral("QMDB"), *folder);
    session.SetPrivateDir(programFolder + QStringLiteral("qmarcs/"));
    return true;
}

} // namespace qm
