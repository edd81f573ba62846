#include "app/MainForm.h"
#include "engine/EngineError.h"
#include "engine/Session.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QToolButton>

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

} // namespace

void TMainForm::CreateArchive() {
    const bool twelveHour = QFileInfo::exists(JoinPath(ArchiveFolder, QStringLiteral("AmPm.txt")));
    ClockFormat = twelveHour ? QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss am/pm")
                             : QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss");
    CheckBoxAmPm->setChecked(twelveHour);

    const QString groupsFile = JoinPath(ArchiveFolder, QStringLiteral("Groups.txt"));
    if (QFileInfo::exists(groupsFile)) {
        const QStringList groups = LoadTextLines(groupsFile);
        MemoGroup->setPlainText(groups.join(QLatin1Char('\n')));
        ComboBox_Contact_Group->clear();
        ComboBox_Contact_Group->addItems(groups);
        // Loading the names must not start filtering the contacts by the first of them.
        ComboBox_Contact_Group->setCurrentIndex(-1);
        ComboBox_Contact_Group->setEditText(QString());
    }
    if (ComboBox_Contact_Group->count() == 0)
        SpeedButton17->setEnabled(false);

    if (!QDir().mkpath(ArchiveFolder))
        MessageBox(QStringLiteral("We have a trouble! I can't create the archive folder!"), MsgCaption,
                   MsgOk + MsgExclamation);
    if (!QDir().mkpath(NotesFolder))
        MessageBox(QStringLiteral("Starts good! I can't create a folder for notes!"), MsgCaption,
                   MsgOk + MsgExclamation);

    bool settingsCreated = false;
    for (const TableDefinition& table : ArchiveTables()) {
        const QString name = QString::fromLatin1(table.name);
        if (QFileInfo::exists(JoinPath(ArchiveFolder, name + QStringLiteral(".db"))))
            continue;
        Query_Jolly->SQL.Clear();
        for (const QString& line : table.lines)
            Query_Jolly->SQL.Add(line);
        Query_Jolly->ExecSQL();
        if (name == QLatin1String("QMset90"))
            settingsCreated = true;
    }
    if (!settingsCreated)
        return;
    try {
        InsertDefaultSettingsRow(*Query_Jolly);
    } catch (...) {
        // A settings table without its row would fail every later start: leave no such table.
        Session::Instance().CloseConnection(JoinPath(ArchiveFolder, QStringLiteral("QMset90.db")));
        QFile::remove(JoinPath(ArchiveFolder, QStringLiteral("QMset90.db")));
        throw;
    }
}

void TMainForm::MigrateOldContacts() {
    const QString oldFile = JoinPath(ArchiveFolder, QStringLiteral("QMcon80.db"));
    if (!QFileInfo::exists(oldFile))
        return;
    TableVecchia.DatabaseName = AliasName;
    TableVecchia.TableName = QStringLiteral("QMcon80");
    TableNuova.DatabaseName = AliasName;
    TableNuova.TableName = QStringLiteral("QMcon26");

    // The old file is renamed inside the append's transaction, so the merge happens exactly once:
    // either both succeed or the contacts stay as they were and the old file is still there.
    const QString backupFile = JoinPath(ArchiveFolder, QStringLiteral("QMcon80.BK"));
    bool renamed = false;
    try {
        TableNuova.BatchAppend(TableVecchia, [&] {
            if (QFileInfo::exists(backupFile) && !QFile::remove(backupFile))
                throw EngineError(QStringLiteral("The old contacts could not be merged: ") + backupFile +
                                  QStringLiteral(" cannot be replaced."));
            if (!QFile::rename(oldFile, backupFile))
                throw EngineError(QStringLiteral("The old contacts could not be merged: ") + oldFile +
                                  QStringLiteral(" cannot be renamed to QMcon80.BK."));
            renamed = true;
        });
    } catch (...) {
        if (renamed && !QFileInfo::exists(oldFile))
            QFile::rename(backupFile, oldFile);
        Session::Instance().CloseConnection(oldFile);
        throw;
    }
    Session::Instance().CloseConnection(oldFile);
}

} // namespace qm
