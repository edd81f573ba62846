#include "app/MainForm.h"
#include "engine/EngineError.h"
#include "engine/Session.h"
#include "platform/Application.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/OwnFiles.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "platform/TextLines.h"
#include "store/ArchiveRestore.h"
#include "store/RestorePlan.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QToolButton>

namespace qm {

namespace {

// Copies through a hidden temporary name renamed over the target, so the target is either the old
// file or the whole new one. A target that is the source itself (a backup chosen inside the
// archive's own parent) is left alone.
bool CopyReplacing(const QString& source, const QString& target, QString* error) {
    if (SameFile(source, target))
        return true;
    return CopyFileAtomically(source, target, error);
}

// Brings a table file to a settled state before it is copied or replaced: opening it lets the
// engine roll back a transaction a crash left in its journal, then the connection is closed and any
// journal left over goes.
void SettleTable(const QString& file) {
    if (QFileInfo(file).isFile()) {
        try {
            Session::Instance().Connection(file);
        } catch (const EngineError&) {
            // A damaged file is copied or replaced as it is.
        }
        Session::Instance().CloseConnection(file);
    }
    // Another user's journal is left as it is: the table is not opened while it stands there.
    const QString journal = file + QStringLiteral("-journal");
    if (InspectPath(journal) == OwnEntry::OwnFile)
        QFile::remove(journal);
}

} // namespace

void TMainForm::ConnectWorkingFolder() {
    ConnectGuarded(SpeedButton_unico, &QToolButton::clicked, this, [this] { SpeedButton_unicoClick(); });
    ConnectGuarded(SpeedButton_Multi, &QToolButton::clicked, this, [this] { SpeedButton_MultiClick(); });
    ConnectGuarded(SpeedButtonExport, &QToolButton::clicked, this, [this] { SpeedButtonExportClick(); });
    ConnectGuarded(SpeedButtonImport, &QToolButton::clicked, this, [this] { SpeedButtonImportClick(); });
    ConnectGuarded(SpeedButtonAgente, &QToolButton::clicked, this, [this] { SpeedButtonAgenteClick(); });
    ConnectGuarded(SpeedButton18, &QToolButton::clicked, this, [this] { SpeedButton18Click(); });
}

void TMainForm::EndAfterArchiveChange() {
    if (!AskToSaveNoteBeforeQuit())
        return;
    m_quitConfirmed = true;
    close();
    QCoreApplication::quit();
}

void TMainForm::SpeedButton_unicoClick() {
    MessageBox(QStringLiteral("If I find valid archives in the new folder I use it, otherwise I'll build new "
                              "archives."),
               MsgCaption, MsgOk + MsgInformation);
    if (!BrowseForFolderBack.Execute(this))
        return;
    QString error;
    QDir().mkpath(DefaultArchiveFolder);
    if (!SaveTextLines(JoinPath(DefaultArchiveFolder, QStringLiteral("Net.txt")),
                       {BrowseForFolderBack.FolderName}, &error)) {
        MessageBox(QStringLiteral("I can't write the working folder: ") + error, MsgCaption,
                   MsgOk + MsgExclamation);
        return;
    }
    MessageBox(QStringLiteral("You must restart me manually!"), MsgCaption, MsgOk + MsgInformation);
    EndAfterArchiveChange();
}

void TMainForm::SpeedButton_MultiClick() {
    if (MessageBox(QStringLiteral("Back to work in the default folder for this profile?"), MsgCaption,
                   MsgYesNo + MsgQuestion) != MsgYes)
        return;
    const QString netFile = JoinPath(DefaultArchiveFolder, QStringLiteral("Net.txt"));
    if (QFileInfo::exists(netFile) && !QFile::remove(netFile)) {
        MessageBox(QStringLiteral("I can't delete ") + netFile + QStringLiteral("!"), MsgCaption,
                   MsgOk + MsgExclamation);
        return;
    }
    MessageBox(QStringLiteral("You must restart me manually!"), MsgCaption, MsgOk + MsgInformation);
    EndAfterArchiveChange();
}

void TMainForm::SpeedButtonExportClick() {
    if (!BrowseForFolderBack.Execute(this))
        return;
    const QString target = JoinPath(BrowseForFolderBack.FolderName, ProfileName);
    QStringList failed;
    if (!QDir().mkpath(target)) {
        MessageBox(QStringLiteral("Can't create the destination folder for the archives!"), MsgCaption,
                   MsgOk + MsgExclamation);
        failed << QDir::toNativeSeparators(target);
    }
    // What an earlier backup, killed in the middle of a copy, left in this folder.
    SweepTemporaryFiles(target);
    SweepTemporaryFiles(JoinPath(target, QStringLiteral("notes")));
    // The engine keeps no file open and no transaction pending while the archive is copied, so
    // each copy is a whole, settled table.
    Session::Instance().CloseAll();
    for (const QString& name : FilesOf(ArchiveFolder))
        if (IsTableFileName(name))
            SettleTable(JoinPath(ArchiveFolder, name));
    QString error;
    for (const QString& name : FilesOf(ArchiveFolder))
        if (!CopyReplacing(JoinPath(ArchiveFolder, name), JoinPath(target, name), &error)) {
            ShowMessage(QStringLiteral(" Error coping: ") + name + QStringLiteral("\r") + error);
            failed << name;
        }

    if (CheckBox_includeNotes->isChecked()) {
        const QString notesTarget = JoinPath(target, QStringLiteral("notes"));
        if (!QDir().mkpath(notesTarget)) {
            MessageBox(QStringLiteral("Can't create the destination folder for the notes!"), MsgCaption,
                       MsgOk + MsgExclamation);
            failed << QDir::toNativeSeparators(notesTarget);
        }
        for (const QString& name : FilesOf(NotesFolder))
            if (!CopyReplacing(JoinPath(NotesFolder, name), JoinPath(notesTarget, name), &error)) {
                ShowMessage(QStringLiteral(" I can't copy: ") + name + QStringLiteral("\r") + error);
                failed << QStringLiteral("notes/") + name;
            }
    }
    if (failed.isEmpty())
        ShowMessage(QStringLiteral("Exponting procedure complete!"));
    else
        MessageBox(QStringLiteral("Exporting procedure failed! These were not copied into the backup "
                                  "folder \"") +
                       QDir::toNativeSeparators(target) + QStringLiteral("\": ") +
                       failed.join(QStringLiteral(", ")) + QStringLiteral("."),
                   MsgCaption, MsgOk + MsgExclamation);
}

void TMainForm::SpeedButtonImportClick() {
    if (!BrowseForFolderBack.Execute(this))
        return;
    const RestorePlan plan = PlanRestore(BrowseForFolderBack.FolderName, ArchiveFolder,
                                         CheckBox_includeNotes->isChecked(), ProfileName);
    for (const QString& notice : plan.notices)
        ShowMessage(notice);
    if (!plan.refusal.isEmpty()) {
        // Nothing changed, so the program goes on.
        MessageBox(plan.refusal, MsgCaption, MsgOk + MsgExclamation);
        return;
    }
    RunRestore(plan.copies, plan.inPlace);
}

// Everything is staged first and replaced together, so a crash or a file that cannot be copied
// leaves the whole old archive, and only a whole restore replaces it.
void TMainForm::RunRestore(const QList<RestoreCopy>& copies, qsizetype inPlace) {
    ArchiveRestore restore(ArchiveFolder);
    QString error;
    if (!copies.isEmpty()) {
        Session::Instance().CloseAll();
        if (!restore.Begin(&error)) {
            MessageBox(QStringLiteral("Importing procedure failed! ") + error, MsgCaption,
                       MsgOk + MsgExclamation);
            return;
        }
    }
    QStringList targets;
    for (const RestoreCopy& copy : copies)
        targets << copy.to;
    const QStringList shown = ShownNames(targets);
    QStringList failed;
    for (qsizetype i = 0; i < copies.size(); ++i) {
        const RestoreCopy& copy = copies[i];
        // A table is replaced only once its own pending transaction is settled and its journal
        // gone, so no journal is played over the copy.
        if (IsTableFileName(copy.to))
            SettleTable(JoinPath(ArchiveFolder, copy.to));
        if (!restore.Stage(copy.from, copy.to, &error)) {
            ShowMessage(QStringLiteral("Can't copy: ") + shown[i] + QStringLiteral("\r") + error);
            failed << shown[i];
        }
    }
    if (!failed.isEmpty()) {
        restore.Abandon();
        MessageBox(QStringLiteral("Importing procedure failed! Nothing was restored, because these files "
                                  "could not be copied: ") +
                       failed.join(QStringLiteral(", ")) +
                       QStringLiteral(". Your archive keeps its old content."),
                   MsgCaption, MsgOk + MsgExclamation);
        return;
    }

    qsizetype restored = inPlace + restore.StagedCount();
    const RestoreReport report = restore.Commit();
    if (!report.refusal.isEmpty()) {
        MessageBox(QStringLiteral("Importing procedure failed! ") + report.refusal, MsgCaption,
                   MsgOk + MsgExclamation);
        return;
    }
    QStringList names;
    QStringList errors;
    for (const RestoreFailure& failure : report.failures) {
        names << failure.name;
        errors << failure.error;
    }
    const QStringList failedShown = ShownNames(names);
    if (report.kept) {
        // Part of the archive is new already: the next start finishes the rest before anything is read.
        MessageBox(PendingRestoreText(failedShown, errors) + QStringLiteral(" Restart me manually!"),
                   MsgCaption, MsgOk + MsgExclamation);
        EndAfterArchiveChange();
        return;
    }
    for (qsizetype i = 0; i < failedShown.size(); ++i) {
        ShowMessage(QStringLiteral("Can't copy: ") + failedShown[i] + QStringLiteral("\r") + errors[i]);
        --restored;
    }
    if (failedShown.isEmpty())
        MessageBox(QStringLiteral("Importing procedure complete! Restart me manually!"), MsgCaption,
                   MsgOk + MsgInformation);
    else
        MessageBox(QStringLiteral("Importing procedure failed! These files were not restored and keep "
                                  "their old content: ") +
                       failedShown.join(QStringLiteral(", ")) +
                       (restored > 0 ? QStringLiteral(". Restart me manually!") : QStringLiteral(".")),
                   MsgCaption, MsgOk + MsgExclamation);
    if (restored > 0)
        EndAfterArchiveChange();
}

void TMainForm::SpeedButtonAgenteClick() {
    const QString agent = ShippedFile(QStringLiteral("qmage.exe"));
    if (QFileInfo::exists(agent)) {
        // The agent starts the organizer itself, so the organizer's own start entry goes.
        CheckBox_Autostart->setChecked(false);
        SaveOptionSettings();
        LoadSettings();
    }
    if (!ShellOpen(agent))
        ShowMessage(QStringLiteral("I can't find my agent! Repeat the installation!"));
}

void TMainForm::SpeedButton18Click() {
    // The region and format settings of GNOME or KDE, where the desktop has them.
    const QList<ProgramCall> settings = {
        {QStringLiteral("gnome-control-center"), {QStringLiteral("region")}},
        {QStringLiteral("systemsettings"), {QStringLiteral("kcm_regionandlang")}},
        {QStringLiteral("kcmshell6"), {QStringLiteral("kcm_regionandlang")}},
        {QStringLiteral("kcmshell5"), {QStringLiteral("kcm_formats")}},
    };
    if (StartFirstInstalled(settings) != StartResult::Started)
        ShowMessage(QStringLiteral("I can't help you, go to Windows control panel!"));
}

} // namespace qm
