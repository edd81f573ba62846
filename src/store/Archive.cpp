#include "store/Archive.h"
#include "app/MainForm.h"
#include "engine/EngineError.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "platform/MessageBox.h"
#include "platform/OwnFiles.h"
#include "platform/ProgramFolder.h"
#include "platform/TextLines.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QToolButton>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace qm {

namespace {

struct TableDefinition {
    const char* name;
    QStringList lines;
};

// The four tables of an archive, created in this order when their file is missing.
const QList<TableDefinition>& ArchiveTables() {
    static const QList<TableDefinition> tables = {
        {"QMtod90",
         {"CREATE TABLE QMtod90", "(", "codtod      AUTOINC,", "id          CHARACTER(255),",
          "note        CHARACTER(255),", "priority    NUMERIC,", "flag        CHARACTER(3),",
          "percento    NUMERIC", ")"}},
        {"QMarc80",
         {"CREATE TABLE QMarc80", "(", "codimp      AUTOINC,", "id          CHARACTER(255),",
          "note        CHARACTER(255),", "dayofweek   CHARACTER(15),", "dayindex    NUMERIC,",
          "dayofmonth  CHARACTER(2),", "datefull    DATE,", "data        CHARACTER(5),",
          "orario      CHARACTER(5),", "orario2     CHARACTER(5),", "flag        CHARACTER(1)", ")"}},
        {"QMcon26",
         {"CREATE TABLE QMcon26", "(", "codcon      AUTOINC,", "ragsoc      CHARACTER(50),",
          "indirizzo   CHARACTER(255),", "tel         CHARACTER(100),", "email       CHARACTER(50),",
          "note        CHARACTER(255),", "fax         CHARACTER(100),", "gruppo      CHARACTER(30),",
          "site        CHARACTER(255),", "company     CHARACTER(50),", "mobile      CHARACTER(100),",
          "allegato    CHARACTER(255)", ")"}},
        {"QMset90", {"CREATE TABLE QMset90",           "(",
                     "autostart      CHARACTER(1),",   "minimized      CHARACTER(1),",
                     "soundon        CHARACTER(1),",   "wavesound      CHARACTER(255),",
                     "breakline      CHARACTER(1),",   "formatbar      CHARACTER(1),",
                     "fontname       CHARACTER(100),", "fontcolor      CHARACTER(30),",
                     "fontsize       NUMERIC,",        "backcolor      CHARACTER(30),",
                     "timecheck      CHARACTER(1),",   "shotcolor      CHARACTER(30),",
                     "yearcolor      CHARACTER(30),",  "monthcolor     CHARACTER(30),",
                     "weekcolor      CHARACTER(30),",  "todaycolor     CHARACTER(30),",
                     "contactcolor   CHARACTER(30),",  "notescolor     CHARACTER(30),",
                     "todocolor      CHARACTER(30),",  "usercolor      CHARACTER(30),",
                     "DataShot       CHARACTER(30),",  "DataYear       CHARACTER(30),",
                     "DataShotIndex  NUMERIC,",        "DataYearIndex  NUMERIC,",
                     "WinWidth       NUMERIC,",        "WinHeight      NUMERIC,",
                     "WinStato       CHARACTER(20)",   ")"}},
    };
    return tables;
}

void InsertDefaultSettingsRow(TQuery& query) {
    query.SQL.Clear();
    query.SQL.Add(QStringLiteral("INSERT INTO QMset90"));
    query.SQL.Add(
        QStringLiteral("       ( autostart, minimized, soundon, wavesound, breakline, formatbar, fontname, "
                       "fontcolor, fontsize, backcolor, timecheck,"));
    query.SQL.Add(
        QStringLiteral("         ShotColor, YearColor, MonthColor, WeekColor, TodayColor, ContactColor, "
                       "NotesColor, TodoColor, UserColor, DataShot, DataYear, DataShotIndex, "
                       "DataYearIndex, WinWidth, WinHeight, WinStato)"));
    query.SQL.Add(
        QStringLiteral("values (:autostart,:minimized,:soundon,:wavesound, :breakline,:formatbar,:fontname,"
                       ":fontcolor,:fontsize,:backcolor, :timecheck,"));
    query.SQL.Add(
        QStringLiteral("        :ShotColor,:YearColor,:MonthColor,:WeekColor,:TodayColor,:ContactColor,"
                       ":NotesColor,:TodoColor,:UserColor,:DataShot,:DataYear,:DataShotIndex,"
                       ":DataYearIndex,:WinWidth,:WinHeight, :WinStato)"));
    const std::pair<const char*, const char*> texts[] = {
        {"autostart", "N"},
        {"minimized", "N"},
        {"soundon", "Y"},
        {"wavesound", "mailbeep"},
        {"breakline", "N"},
        {"formatbar", "N"},
        {"fontname", "Fixedsys"},
        {"fontcolor", "clBlack"},
        {"backcolor", "clWhite"},
        {"timecheck", "Y"},
        {"ShotColor", "$00A6A6D2"},
        {"YearColor", "$00A7E3F5"},
        {"MonthColor", "$0058A554"},
        {"WeekColor", "$00BC8F07"},
        {"TodayColor", "$00CE9D9D"},
        {"ContactColor", "$009A9A4E"},
        {"NotesColor", "$00AEAEAE"},
        {"TodoColor", "$00BADCF8"},
        {"UserColor", "$0053A9FF"},
        {"DataShot", "dddd d mmmm yyyy"},
        {"DataYear", "d mmmm"},
        {"WinStato", "wsNormal"},
    };
    for (const auto& [name, value] : texts)
        query.ParamByName(QString::fromLatin1(name)).SetAsString(QString::fromLatin1(value));
    query.ParamByName(QStringLiteral("fontsize")).SetAsFloat(8);
    query.ParamByName(QStringLiteral("DataShotIndex")).SetAsFloat(3);
    query.ParamByName(QStringLiteral("DataYearIndex")).SetAsFloat(4);
    query.ParamByName(QStringLiteral("WinWidth")).SetAsFloat(640);
    query.ParamByName(QStringLiteral("WinHeight")).SetAsFloat(480);
    query.ExecSQL();
}

// The mark of a merge whose rows are in QMcon26 while "QMcon80.db" still has its old name.
constexpr int kOldContactsAppended = 80026;

std::function<void(int)>& MergeStepHook() {
    static std::function<void(int)> hook;
    return hook;
}

void MergeStep(int step) {
    if (MergeStepHook())
        MergeStepHook()(step);
}

// Makes a rename durable before anything that depends on it is written.
void SyncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// What the user can do about a table file that cannot be used.
QString TableAdvice(Session::TableState state) {
    switch (state) {
    case Session::TableState::Locked:
        return QStringLiteral("Close the program that holds it, then start Quellmire Organizer again.");
    case Session::TableState::ReadOnly:
        return QStringLiteral("Its rows are shown, but no change can be saved. Make the file and its folder "
                              "writable, then start Quellmire Organizer again.");
    case Session::TableState::Full:
        return QStringLiteral("Its rows are shown, but no change can be saved. Free some space on the disk, "
                              "then start Quellmire Organizer again.");
    case Session::TableState::Foreign:
        return QStringLiteral("It was left as it is. Have it removed, then start Quellmire Organizer again.");
    case Session::TableState::Folder:
        return QStringLiteral(
            "Move the folder away; an empty table is created in its place at the next start.");
    case Session::TableState::Damaged:
        return QStringLiteral(
            "Restore the archive from a backup (Restore from... on the options tab), or move the "
            "file away to start this table empty at the next start.");
    default:
        return QStringLiteral(
            "Check the file and its folder, or restore the archive from a backup (Restore from... on "
            "the options tab), then start Quellmire Organizer again.");
    }
}

QString TableProblem(const QString& file, const QString& reason, Session::TableState state) {
    if (state == Session::TableState::Foreign) // the reason is a whole sentence naming the file
        return reason + QStringLiteral("\r") + TableAdvice(state);
    return QStringLiteral("The table file %1 cannot be used: %2.\r%3").arg(file, reason, TableAdvice(state));
}

} // namespace

void CreateTableWhenMissing(const QString& alias, const QString& name) {
    Session& session = Session::Instance();
    const QString folder = session.AliasFolder(alias);
    if (!MakePrivatePath(folder))
        throw EngineError(QStringLiteral("The archive folder %1 cannot be created.").arg(folder));
    const QString file = session.TableFile(alias, name);
    if (session.CheckTableFile(file, name).state != Session::TableState::Missing)
        return;
    for (const TableDefinition& table : ArchiveTables()) {
        if (name != QLatin1String(table.name))
            continue;
        TQuery query;
        query.DatabaseName = alias;
        session.InTransaction(
            file,
            [&] {
                for (const QString& line : table.lines)
                    query.SQL.Add(line);
                query.ExecSQL();
                if (name == QLatin1String("QMset90"))
                    InsertDefaultSettingsRow(query);
            },
            true);
    }
}

void SetMergeStepHookForTest(std::function<void(int step)> hook) {
    MergeStepHook() = std::move(hook);
}

void TMainForm::CreateArchive() {
    const bool twelveHour = QFileInfo::exists(JoinPath(ArchiveFolder, QStringLiteral("AmPm.txt")));
    ClockFormat = twelveHour ? QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss am/pm")
                             : QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss");
    CheckBoxAmPm->setChecked(twelveHour);

    const QString groupsFile = JoinPath(ArchiveFolder, QStringLiteral("Groups.txt"));
    if (QFileInfo::exists(groupsFile)) {
        const QStringList groups = LoadSettingLines(groupsFile);
        MemoGroup->setPlainText(groups.join(QLatin1Char('\n')));
        ComboBox_Contact_Group->clear();
        ComboBox_Contact_Group->addItems(groups);
        // Loading the names must not start filtering the contacts by the first of them.
        ComboBox_Contact_Group->setCurrentIndex(-1);
        ComboBox_Contact_Group->setEditText(QString());
    }
    if (ComboBox_Contact_Group->count() == 0)
        SpeedButton17->setEnabled(false);

    // The archive is private: folders the program creates are the user's alone.
    const bool archiveFolderReady = MakePrivatePath(ArchiveFolder);
    if (!archiveFolderReady)
        MessageBox(QStringLiteral("We have a trouble! I can't create the archive folder!"), MsgCaption,
                   MsgOk + MsgExclamation);
    if (!MakePrivatePath(NotesFolder))
        MessageBox(QStringLiteral("Starts good! I can't create a folder for notes!"), MsgCaption,
                   MsgOk + MsgExclamation);
    else if (InspectPath(NotesFolder) != OwnEntry::OwnFolder)
        MessageBox(
            QStringLiteral("The notes folder \"%1\" %2, so what you keep in it is not yours alone and a "
                           "restore leaves it as it is. Have it removed, then start Quellmire Organizer "
                           "again.")
                .arg(QDir::toNativeSeparators(NotesFolder), WhyNotOwn(NotesFolder, true)),
            MsgCaption, MsgOk + MsgExclamation);

    // Each table file is looked at once; whatever is wrong with any of them is told in one message,
    // and the statements of start-up that trip over them again show nothing more.
    Session& session = Session::Instance();
    QStringList problems;
    bool settingsRowRestored = false;
    const QString settingsFile = JoinPath(ArchiveFolder, QStringLiteral("QMset90.db"));
    for (const TableDefinition& table : ArchiveTables()) {
        const QString name = QString::fromLatin1(table.name);
        const QString file = JoinPath(ArchiveFolder, name + QStringLiteral(".db"));
        const bool isSettings = name == QLatin1String("QMset90");
        if (!archiveFolderReady) {
            session.MarkUnavailable(file, QStringLiteral("The table file %1 cannot be used: its folder %2 "
                                                         "cannot be created.")
                                              .arg(file, ArchiveFolder));
            continue;
        }
        const Session::TableCheck check = session.CheckTableFile(file, name);
        switch (check.state) {
        case Session::TableState::Missing:
            try {
                // The settings table never exists without its row: both are one transaction.
                session.InTransaction(
                    file,
                    [&] {
                        Query_Jolly->SQL.Clear();
                        for (const QString& line : table.lines)
                            Query_Jolly->SQL.Add(line);
                        Query_Jolly->ExecSQL();
                        if (isSettings)
                            InsertDefaultSettingsRow(*Query_Jolly);
                    },
                    true);
            } catch (const EngineError& error) {
                const QString problem = QStringLiteral("The table file %1 cannot be created: %2\r%3")
                                            .arg(file, error.message(), TableAdvice(check.state));
                problems << problem;
                session.MarkUnavailable(file, problem);
            }
            break;
        case Session::TableState::Usable:
            if (isSettings) {
                try {
                    Query_Jolly->Close();
                    Query_Jolly->SQL.Clear();
                    Query_Jolly->SQL.Add(QStringLiteral("SELECT * FROM QMset90"));
                    Query_Jolly->Open();
                    const bool empty = Query_Jolly->RecordCount() == 0;
                    Query_Jolly->Close();
                    if (empty) {
                        InsertDefaultSettingsRow(*Query_Jolly);
                        settingsRowRestored = true;
                    }
                } catch (const EngineError& error) {
                    problems << TableProblem(file, error.message(), Session::TableState::Damaged);
                    session.MarkUnavailable(file, problems.last());
                }
            }
            break;
        case Session::TableState::ReadOnly:
        case Session::TableState::Full:
            problems << TableProblem(file, check.reason, check.state);
            session.MarkReadOnly(file, problems.last());
            break;
        default:
            problems << TableProblem(file, check.reason, check.state);
            session.MarkUnavailable(file, problems.last());
            break;
        }
    }
    if (!problems.isEmpty())
        MessageBox(problems.join(QStringLiteral("\r\r")), MsgCaption, MsgOk + MsgExclamation);
    if (settingsRowRestored)
        MessageBox(QStringLiteral("The settings were missing from the table file %1, so the default "
                                  "settings were put back.")
                       .arg(settingsFile),
                   MsgCaption, MsgOk + MsgInformation);
    session.SetFaultsReported(true);
}

void MergeOldContacts(TTable& oldContacts, TTable& contacts, const QString& archiveFolder) {
    Session& session = Session::Instance();
    const QString oldFile = JoinPath(archiveFolder, QStringLiteral("QMcon80.db"));
    const QString backupFile = JoinPath(archiveFolder, QStringLiteral("QMcon80.BK"));
    const QString contactsFile = contacts.FileName();
    const bool oldPresent = QFileInfo(oldFile).isFile();
    bool appended = contacts.Exists() && session.UserVersion(contactsFile) == kOldContactsAppended;
    if (!oldPresent && !appended)
        return;

    if (oldPresent && !appended) {
        // The old file must be able to take its new name once its rows are in.
        if (QFileInfo::exists(backupFile) && !QFileInfo(backupFile).isFile())
            throw EngineError(
                QStringLiteral("The old contacts of %1 could not be merged: %2 is in the way of "
                               "its new name. Move it away, then start Quellmire Organizer again.")
                    .arg(oldFile, backupFile));
        contacts.BatchAppend(oldContacts,
                             [&] { session.SetUserVersion(contactsFile, kOldContactsAppended); });
        session.CloseConnection(oldFile);
        appended = true;
        MergeStep(1);
    }
    if (oldPresent) {
        session.CloseConnection(oldFile);
        if (::rename(QFile::encodeName(oldFile).constData(), QFile::encodeName(backupFile).constData()) != 0)
            throw EngineError(
                QStringLiteral("The old contacts of %1 are merged, but the file cannot be renamed "
                               "to QMcon80.BK (%2). Move %3 away, then start Quellmire Organizer "
                               "again; the contacts are not merged twice.")
                    .arg(oldFile, QString::fromLocal8Bit(strerror(errno)), backupFile));
        // The mark may go only once the new name is on the disk.
        SyncFolder(archiveFolder);
        MergeStep(2);
    }
    session.SetUserVersion(contactsFile, 0);
    MergeStep(3);
}

void TMainForm::MigrateOldContacts() {
    TableVecchia.DatabaseName = AliasName;
    TableVecchia.TableName = QStringLiteral("QMcon80");
    TableNuova.DatabaseName = AliasName;
    TableNuova.TableName = QStringLiteral("QMcon26");
    MergeOldContacts(TableVecchia, TableNuova, ArchiveFolder);
}

} // namespace qm
