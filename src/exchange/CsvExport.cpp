#include "exchange/CsvExport.h"

#include "app/MainForm.h"
#include "engine/DataSetWalk.h"
#include "engine/Query.h"
#include "platform/DateFormat.h"
#include "platform/SafeFile.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <stdexcept>

namespace qm {

QString CsvField(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void ExportDataSetToCSV(TQuery& dataSet, const QString& fileName) {
    DataSetWalk walk(dataSet);
    if (dataSet.RecordCount() == 0)
        return;

    QStringList cells;
    const auto endLine = [&cells](QByteArray& out) {
        out += cells.join(QLatin1Char(',')).toUtf8();
        out += "\r\n";
        cells.clear();
    };
    QByteArray out;
    for (int f = 0; f < dataSet.FieldCount(); ++f)
        cells.append(CsvField(dataSet.FieldName(f)));
    endLine(out);
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
        const TRecord record = dataSet.CurrentRecord();
        for (int f = 0; f < dataSet.FieldCount(); ++f)
            cells.append(CsvField(record.FieldByName(dataSet.FieldName(f)).AsString()));
        endLine(out);
    }

    QString error;
    if (!WriteFileAtomically(fileName, out, &error))
        throw std::runtime_error(error.toStdString());
}

void TMainForm::SpeedButtonEportTodayClick() {
    const QDate day = DateTimePickerTODAY->date();
    SaveDialogCSV2.InitialDir = UserComp1.Desktop;
    SaveDialogCSV2.FileName = QStringLiteral("The planner for") +
                              FormatDateTime(QStringLiteral(" dddd d mmmm yyyy"), day) +
                              QStringLiteral(".csv");
    if (!SaveDialogCSV2.Execute(this))
        return;
    // The day's list as the Tasks tab shows it; the day's texts are bound, as the view binds them.
    Query_Jolly->Close();
    Query_Jolly->SQL.Clear();
    Query_Jolly->SQL.Add(QStringLiteral(
        "SELECT orario as START, orario2 as STOP, id as DESCRIPTION, note as NOTE FROM QMarc80 "));
    Query_Jolly->SQL.Add(QStringLiteral("WHERE (flag = \"O\" and datefull   = :datefull)"));
    Query_Jolly->SQL.Add(QStringLiteral("OR    (flag = \"M\" and dayofmonth = :dayofmonth)"));
    Query_Jolly->SQL.Add(QStringLiteral("OR    (flag = \"W\" and dayofweek  = :dayofweek)"));
    Query_Jolly->SQL.Add(QStringLiteral("OR    (flag = \"Y\" and data       = :data)"));
    Query_Jolly->SQL.Add(QStringLiteral("OR    (dayofweek = \"T\")"));
    Query_Jolly->SQL.Add(QStringLiteral("ORDER BY orario,orario2,id,note"));
    Query_Jolly->ParamByName(QStringLiteral("datefull")).SetAsDate(day);
    Query_Jolly->ParamByName(QStringLiteral("dayofmonth"))
        .SetAsString(FormatDateTime(QStringLiteral("dd"), day));
    Query_Jolly->ParamByName(QStringLiteral("dayofweek"))
        .SetAsString(FormatDateTime(QStringLiteral("dddd"), day));
    Query_Jolly->ParamByName(QStringLiteral("data"))
        .SetAsString(FormatDateTime(QStringLiteral("mm/dd"), day));
    Query_Jolly->Open();
    ExportDataSetToCSV(*Query_Jolly, SaveDialogCSV2.FileName);
}

void TMainForm::SpeedButtonExportTodoClick() {
    SaveDialogCSV2.InitialDir = UserComp1.Desktop;
    SaveDialogCSV2.FileName = QStringLiteral("To-Do.csv");
    if (!SaveDialogCSV2.Execute(this))
        return;
    const QString sort = ComboBoxOrdine->currentText();
    QString orderPiece;
    if (sort == QLatin1String("Priority"))
        orderPiece = QStringLiteral(" ORDER BY Priority DESC, id");
    else if (sort == QLatin1String("Description"))
        orderPiece = QStringLiteral(" ORDER BY id, Priority DESC");
    else if (sort == QLatin1String("Percentage"))
        orderPiece = QStringLiteral(" ORDER BY Percento DESC, id");
    const QString column = ComboBox_KindFindToDo->currentText() == QLatin1String("Note")
                               ? QStringLiteral("UPPER(note)")
                               : QStringLiteral("UPPER(id)");
    const QString status = ComboBoxToDo->currentText();
    QString statusPiece = QStringLiteral(" ");
    if (status == QLatin1String("Done"))
        statusPiece = QStringLiteral(" and flag =\"Yes\" ");
    else if (status == QLatin1String("Undone"))
        statusPiece = QStringLiteral(" and flag =\"No\" ");
    Query_Jolly->Close();
    Query_Jolly->SQL.Clear();
    Query_Jolly->SQL.Add(
        QStringLiteral("SELECT id as DESCRIPTION, priority as PRIORITY, percento as PERCENTAGE, "
                       "note as NOTE FROM QMtod90 WHERE ") +
        column + QStringLiteral(" LIKE UPPER(:pattern)") + statusPiece + orderPiece);
    Query_Jolly->ParamByName(QStringLiteral("pattern"))
        .SetAsString(QStringLiteral("%") + Edit_Find_ToDo->text() + QStringLiteral("%"));
    Query_Jolly->Open();
    ExportDataSetToCSV(*Query_Jolly, SaveDialogCSV2.FileName);
}

} // namespace qm
