#include "store/ArchiveLocation.h"

#include "engine/Session.h"
#include "platform/ProgramFolder.h"
#include "platform/TextLines.h"
#include "platform/UserAccount.h"
#include "store/ArchivePlace.h"
#include "store/ArchiveRestore.h"

#include <QFileInfo>

#include <cerrno>

namespace qm {

QString ProfileNameFor(const QString& userName) {
    return userName.isEmpty() ? QStringLiteral("generic") : userName + QStringLiteral("Arc");
}

QString DefaultArchiveFolderFor(const QString& programFolder, const QString& userName) {
    return programFolder + QStringLiteral("qmarcs/") + ProfileNameFor(userName);
}

WorkingFolderChoice ReadWorkingFolder(const QString& defaultArchiveFolder, const QString& profileName) {
    WorkingFolderChoice choice;
    const QString netFile = JoinPath(defaultArchiveFolder, QStringLiteral("Net.txt"));
    if (!QFileInfo::exists(netFile))
        return choice;
    choice.netFileFound = true;
    QStringList lines;
    // A file gone since the look above reads as an empty one.
    if (!LoadTextLines(netFile, lines, &choice.readError) && errno != ENOENT)
        return choice;
    choice.readError.clear();
    choice.named = lines.isEmpty() ? QString() : lines.first();
    choice.namedFound = !choice.named.isEmpty() && QFileInfo(choice.named).isDir();
    if (!choice.namedFound)
        return choice;
    const ArchivePlace place = PlaceArchiveIn(choice.named, profileName);
    choice.folder = place.archiveFolder;
    choice.placeMessage = place.message;
    choice.placeRefused = place.refused;
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
    const WorkingFolderChoice choice = ReadWorkingFolder(defaultFolder, ProfileNameFor(userName));
    *folder = choice.folder.isEmpty() ? defaultFolder : choice.folder;
    if (!choice.readError.isEmpty())
        *notice = choice.readError;
    else if (!choice.placeMessage.isEmpty())
        *notice = choice.placeMessage;
    else if (choice.netFileFound && !choice.namedFound)
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
