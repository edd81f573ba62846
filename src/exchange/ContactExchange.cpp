#include "app/MainForm.h"
#include "engine/EngineError.h"
#include "engine/Session.h"
#include "engine/Statement.h"
#include "exchange/CsvExport.h"
#include "exchange/VCardExport.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"
#include "platform/SafeFile.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

// Contacts travel between archives as a table file of the engine's own kind, filled and read
// through the transfer table QMtemp of the archive folder.
namespace qm {

namespace {

const QString kTransferTable = QStringLiteral("QMtemp");
const QString kTitle = QStringLiteral("Quellmire Organizer");

// The columns of an exchange file, those of the contacts table in its order.
const QStringList& ExchangeColumns() {
    static const QStringList columns = {
        QStringLiteral("codcon"),  QStringLiteral("ragsoc"), QStringLiteral("indirizzo"),
        QStringLiteral("tel"),     QStringLiteral("email"),  QStringLiteral("note"),
        QStringLiteral("fax"),     QStringLiteral("gruppo"), QStringLiteral("site"),
        QStringLiteral("company"), QStringLiteral("mobile"), QStringLiteral("allegato")};
    return columns;
}

QString TransferFile(const TMainForm& form) {
    return form.ArchiveFolder + QStringLiteral("/QMtemp.db");
}

void RemoveTransferFile(const TMainForm& form) {
    const QString file = TransferFile(form);
    Session::Instance().CloseConnection(file);
    if (QFileInfo::exists(file))
        QFile::remove(file);
    QFile::remove(file + QStringLiteral("-journal"));
}

QString ColumnName(sqlite3_stmt* statement, int column) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
}

// True when the file holds one table whose columns are those of an exchange file.
bool HasExchangeColumns(const QString& file) {
    sqlite3* db = Session::Instance().Connection(file);
    Statement tables(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                        "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid"));
    QStringList names;
    int rc;
    while ((rc = sqlite3_step(tables.get())) == SQLITE_ROW)
        names.append(ColumnName(tables.get(), 0));
    CheckSqlite(rc, db, file);
    if (names.size() != 1)
        return false;
    QString quoted = names.first();
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    Statement info(db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(quoted));
    QStringList columns;
    while ((rc = sqlite3_step(info.get())) == SQLITE_ROW)
        columns.append(ColumnName(info.get(), 1).toLower());
    CheckSqlite(rc, db, file);
    return columns == ExchangeColumns();
}

} // namespace

void TMainForm::SaveDialogCSVTypeChange(int filterIndex) {
    if (filterIndex == 1)
        SaveDialogCSV.DefaultExt = QStringLiteral("QOC");
    else if (filterIndex == 2)
        SaveDialogCSV.DefaultExt = QStringLiteral("csv");
    else if (filterIndex == 3)
        SaveDialogCSV.DefaultExt = QStringLiteral("vcf");
}

// The file type picked in the dialog decides what is written, whatever extension the name has; a
// name without extension takes the type's.
void TMainForm::SpeedButtonCSVClick() {
    SaveDialogCSV.FilterIndex = 1;
    SaveDialogCSVTypeChange(1);
    SaveDialogCSV.InitialDir = UserComp1.Desktop;
    const QString group = ComboBox_Contact_Group->currentText();
    SaveDialogCSV.FileName = group.isEmpty() ? QStringLiteral("Contacts") : group;
    RemoveTransferFile(*this);
    if (!SaveDialogCSV.Execute(this))
        return;
    const QString target = SaveDialogCSV.FileName;

    if (SaveDialogCSV.FilterIndex == 3) {
        QString error;
        if (!ExportQueryToVCardFile(*QueryContact, target, &error))
            MessageBox(error, kTitle, Mb::Ok + Mb::IconExclamation);
        return;
    }
    if (SaveDialogCSV.FilterIndex == 2) {
        const QString kind = ComboBox_KindFindContact->currentText();
        static const std::pair<const char*, const char*> fields[] = {
            {"Name", "UPPER(ragsoc)"},   {"Company", "UPPER(company)"},   {"Phone", "UPPER(tel)"},
            {"Mobile", "UPPER(mobile)"}, {"Fax", "UPPER(fax)"},           {"E-mail", "UPPER(email)"},
            {"Web", "UPPER(site)"},      {"Address", "UPPER(indirizzo)"}, {"Note", "UPPER(note)"}};
        QString column = QStringLiteral("UPPER(ragsoc)");
        for (const auto& [item, field] : fields)
            if (kind == QLatin1String(item))
                column = QString::fromLatin1(field);
        Query_Jolly->Close();
        Query_Jolly->SQL.Clear();
        Query_Jolly->SQL.Add(
            QStringLiteral(
                "SELECT ragsoc as NAME,company as COMPANY,tel as PHONE,mobile as MOBILE,fax as FAX,"
                "indirizzo as ADDRESS,email as EMAIL,site as WEB,note as NOTE,gruppo as KIND,"
                "allegato as ATTACH FROM QMcon26 WHERE ") +
            column + QStringLiteral(" LIKE UPPER(:pattern)") +
            (group.isEmpty() ? QString() : QStringLiteral(" AND UPPER(gruppo) LIKE UPPER(:group)")) +
            QStringLiteral(" ORDER BY ragsoc ") + ContactOrder + QStringLiteral(",company,gruppo"));
        Query_Jolly->ParamByName(QStringLiteral("pattern"))
            .SetAsString(QStringLiteral("%") + Edit_ragsoc->text() + QStringLiteral("%"));
        Query_Jolly->ParamByName(QStringLiteral("group"))
            .SetAsString(QStringLiteral("%") + group + QStringLiteral("%"));
        Query_Jolly->Open();
        ExportDataSetToCSV(*Query_Jolly, target);
        return;
    }

    Query_Jolly->Close();
    Query_Jolly->SQL.Clear();
    for (const char* line :
         {"CREATE TABLE QMtemp", "(", "codcon      AUTOINC,", "ragsoc      CHARACTER(50),",
          "indirizzo   CHARACTER(255),", "tel         CHARACTER(100),", "email       CHARACTER(50),",
          "note        CHARACTER(255),", "fax         CHARACTER(100),", "gruppo      CHARACTER(30),",
          "site        CHARACTER(255),", "company     CHARACTER(50),", "mobile      CHARACTER(100),",
          "allegato    CHARACTER(255)", ")"})
        Query_Jolly->SQL.Add(QString::fromLatin1(line));
    bool written = false;
    Guarded([&] {
        Query_Jolly->ExecSQL();
        // The rows the Contacts tab lists, in its order, in one transaction.
        const QString file = TransferFile(*this);
        sqlite3* db = Session::Instance().Connection(file);
        CheckSqlite(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), db, file);
        try {
            const QStringList& columns = ExchangeColumns();
            QStringList placeholders;
            for (int i = 1; i < columns.size(); ++i)
                placeholders.append(QStringLiteral("?%1").arg(i));
            Statement insert(db, QStringLiteral("INSERT INTO QMtemp (") +
                                     columns.mid(1).join(QLatin1Char(',')) + QStringLiteral(") VALUES (") +
                                     placeholders.join(QLatin1Char(',')) + QStringLiteral(")"));
            for (int row = 0; row < QueryContact->RecordCount(); ++row) {
                const TRecord record = QueryContact->Record(row);
                for (int i = 1; i < columns.size(); ++i) {
                    const QByteArray text = record.FieldByName(columns[i]).AsString().toUtf8();
                    CheckSqlite(sqlite3_bind_text(insert.get(), i, text.constData(), int(text.size()),
                                                  SQLITE_TRANSIENT),
                                db);
                }
                CheckSqlite(sqlite3_step(insert.get()), db, file);
                sqlite3_reset(insert.get());
            }
            CheckSqlite(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, file);
        } catch (...) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
        Session::Instance().CloseConnection(file);
        written = true;
    });
    QString error;
    if (written && !CopyFileAtomically(TransferFile(*this), target, &error))
        ShowMessage(QStringLiteral("Error exporting!\r") + error);
    RemoveTransferFile(*this);
}

void TMainForm::SpeedButtonQOCClick() {
    PopupMenuImportaContatti->popup(SpeedButtonQOC->mapToGlobal(QPoint(0, SpeedButtonQOC->height())));
}

void TMainForm::ImportadaContattiDaFileClick() {
    OpenDialogQOC.InitialDir = UserComp1.Desktop;
    RemoveTransferFile(*this);
    if (!OpenDialogQOC.Execute(this))
        return;
    const QString chosen = OpenDialogQOC.FileName;
    QString error;
    if (!CopyFileAtomically(chosen, TransferFile(*this), &error)) {
        ShowMessage(QStringLiteral("Error importing!\r") + error);
        RemoveTransferFile(*this);
        return;
    }
    bool fits = false;
    try {
        fits = HasExchangeColumns(TransferFile(*this));
    } catch (const EngineError&) {
        fits = false; // not a table file at all
    }
    if (!fits) {
        RemoveTransferFile(*this);
        MessageBox(QStringLiteral("The file \"") + chosen +
                       QStringLiteral("\" is not a Quellmire Organizer contacts file: its columns do not "
                                      "match those of the contacts. Nothing was imported."),
                   kTitle, Mb::Ok + Mb::IconExclamation);
        return;
    }
    TableVecchia.DatabaseName = AliasName;
    TableVecchia.TableName = kTransferTable;
    TableNuova.DatabaseName = AliasName;
    TableNuova.TableName = QStringLiteral("QMcon26");
    const bool appended = Guarded([&] { TableNuova.BatchAppend(TableVecchia); });
    RemoveTransferFile(*this);
    if (appended)
        RefreshContactQuery();
}

} // namespace qm
