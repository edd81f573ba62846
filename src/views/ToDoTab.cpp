#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"
#include "platform/widgets/Panel.h"
#include "views/DeleteConfirm.h"
#include "views/ListTabSupport.h"

#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QToolButton>

// The To-Do! tab: its list actions, the percentage gauge and the look of its rows.
namespace qm {

namespace {

const QString kKey = QStringLiteral("codtod");

// The main window's font style (bold, italic, underline, strike-out) on the cell's own font.
QFont WithWindowStyle(const QFont& cellFont, const QFont& windowFont) {
    QFont font = cellFont;
    font.setBold(windowFont.bold());
    font.setItalic(windowFont.italic());
    font.setUnderline(windowFont.underline());
    font.setStrikeOut(windowFont.strikeOut());
    return font;
}

// Back on the row holding `key`; when it left the list, on the old row number (or the last row).
void BackOnKey(TMainForm& f, qint64 key, int oldRecNo) {
    TQuery* query = f.QueryToDo;
    f.RestoreRowByKey(query, kKey, key);
    const int count = query->RecordCount();
    if (count < 1 || query->FieldByName(kKey).AsInteger() == key)
        return;
    query->SetRecNo(std::clamp(oldRecNo, 1, count));
}

} // namespace

void TMainForm::ConnectToDoTab() {
    // The gauge is placed by hand over the grid's columns, so the header layout lets go of it.
    if (QLayout* layout = Panel_Data_ToDo->layout())
        layout->removeWidget(GaugePercento);
    GaugePercento->setMinimumWidth(0);
    GaugePercento->setMaximumWidth(QWIDGETSIZE_MAX);

    ConnectGuarded(QueryToDo, &TQuery::AfterOpen, this, &TMainForm::QueryToDoAfterOpen);
    ConnectGuarded(QueryToDo, &TQuery::DataChange, this, &TMainForm::DataSourceToDoDataChange);
    ConnectGuarded(SpeedButtonAggToDo, &QToolButton::clicked, this, &TMainForm::SpeedButtonAggToDoClick);
    ConnectGuarded(SpeedButtonModToDo, &QToolButton::clicked, this, &TMainForm::SpeedButtonModToDoClick);
    ConnectGuarded(SpeedButtonDelToDo, &QToolButton::clicked, this, &TMainForm::SpeedButtonDelToDoClick);
    ConnectGuarded(SpeedButtonDupliToDo, &QToolButton::clicked, this, &TMainForm::SpeedButtonDupliToDoClick);
    ConnectGuarded(SpeedButtonCheckToDo, &QToolButton::clicked, this, &TMainForm::SpeedButtonCheckToDoClick);
    ConnectGuarded(SpeedButton14, &QToolButton::clicked, this, &TMainForm::SpeedButton14Click);
    ConnectGuarded(SpeedButtonClearTodo, &QToolButton::clicked, this, &TMainForm::SpeedButtonClearTodoClick);
    ConnectGuarded(Edit_Find_ToDo, &QLineEdit::textChanged, this, &TMainForm::Edit_Find_ToDoChange);
    // Choosing a column empties the find text, then searches (as on the other lists).
    ConnectGuarded(ComboBox_KindFindToDo, &QComboBox::activated, this,
                   &TMainForm::ComboBox_KindFindToDoClick);
    ConnectGuarded(ComboBox_KindFindToDo, &QComboBox::activated, this, &TMainForm::Edit_Find_ToDoChange);
    ConnectGuarded(ComboBoxToDo, &QComboBox::activated, this, &TMainForm::ComboBoxToDoChange);
    ConnectGuarded(ComboBoxOrdine, &QComboBox::activated, this, &TMainForm::ComboBoxToDoChange);
    ConnectGuarded(DBGrid_ToDo, &TDBGrid::DblClick, this, &TMainForm::DBGrid_ToDoDblClick);
    ConnectGuarded(DBMemoToDo, &TDBMemo::DblClick, this, &TMainForm::DBGrid_ToDoDblClick);
    ConnectGuarded(DBGrid_ToDo, &TDBGrid::KeyPress, this, &TMainForm::DBGrid_ToDoKeyPress);

    QPalette palette = DBGrid_ToDo->palette();
    palette.setColor(QPalette::Base, ToQColor(Colors::clBtnFace));
    DBGrid_ToDo->setPalette(palette);
    DBGrid_ToDo->SetOnDrawColumnCell(
        [this](TCellCanvas& canvas, const TRecord& record, int column, const TDrawState& state) {
            DBGrid_ToDoDrawColumnCell(canvas, record, column, state);
        });
    PlaceToDoGauge();
}

// ---- delete, clone, done/undone ----

void TMainForm::SpeedButtonDelToDoClick() {
    if (QueryToDo->RecordCount() < 1)
        return;
    SavedRecNo = QueryToDo->RecNo();
    const qint64 key = QueryToDo->FieldByName(kKey).AsInteger();
    MsgText = QStringLiteral(" You are in order to eliminate \"") +
              QueryToDo->FieldByName(QStringLiteral("id")).AsString() + DeleteConfirmSuffix();
    if (MessageBox(MsgText, MsgCaption, MsgYesNo + MsgQuestion) != MsgYes)
        return;
    Query_Jolly->SQL.Clear();
    Query_Jolly->SQL.Add(QStringLiteral("DELETE"));
    Query_Jolly->SQL.Add(QStringLiteral("FROM QMtod90"));
    Query_Jolly->SQL.Add(QStringLiteral("WHERE codtod = ") + QString::number(key));
    Query_Jolly->ExecSQL();
    RefreshToDoQuery();
    if (QueryToDo->RecordCount() >= 2 && SavedRecNo >= 2)
        QueryToDo->SetRecNo(SavedRecNo - 1);
    FormResize();
}

// The copy keeps the done state, the percentage and the priority of the item it copies.
void TMainForm::SpeedButtonDupliToDoClick() {
    if (QueryToDo->RecordCount() < 1)
        return;
    SavedRecNo = QueryToDo->RecNo();
    Query_Jolly->SQL.Clear();
    Query_Jolly->SQL.Add(QStringLiteral("INSERT INTO QMtod90"));
    Query_Jolly->SQL.Add(QStringLiteral("(id,note,priority,flag,percento)"));
    Query_Jolly->SQL.Add(QStringLiteral("values (:id,:note,:priority,:flag,:percento)"));
    for (const char* text : {"id", "note", "flag"}) {
        const QString name = QString::fromLatin1(text);
        Query_Jolly->ParamByName(name).SetAsString(QueryToDo->FieldByName(name).AsString());
    }
    for (const char* number : {"priority", "percento"}) {
        const QString name = QString::fromLatin1(number);
        Query_Jolly->ParamByName(name).SetAsFloat(double(QueryToDo->FieldByName(name).AsInteger()));
    }
    Query_Jolly->ExecSQL();
    RefreshToDoQuery();
    QueryToDo->SetRecNo(SavedRecNo);
    FormResize();
}

// Undone becomes done at 100 percent; anything else becomes undone at 0. The list stays on the
// toggled item, so that a second click undoes the first.
void TMainForm::SpeedButtonCheckToDoClick() {
    if (QueryToDo->RecordCount() < 1)
        return;
    const int oldRecNo = QueryToDo->RecNo();
    const qint64 key = QueryToDo->FieldByName(kKey).AsInteger();
    const bool nowDone = QueryToDo->FieldByName(QStringLiteral("flag")).AsString() == QLatin1String("No");
    Query_Jolly->SQL.Clear();
    Query_Jolly->SQL.Add(QStringLiteral("UPDATE QMtod90"));
    Query_Jolly->SQL.Add(QStringLiteral("SET flag = :flag,"));
    Query_Jolly->SQL.Add(QStringLiteral("percento = :percento"));
    Query_Jolly->SQL.Add(QStringLiteral("WHERE codtod = ") + QString::number(key));
    Query_Jolly->ParamByName(QStringLiteral("flag"))
        .SetAsString(nowDone ? QStringLiteral("Yes") : QStringLiteral("No"));
    Query_Jolly->ParamByName(QStringLiteral("percento")).SetAsFloat(nowDone ? 100.0 : 0.0);
    Query_Jolly->ExecSQL();
    RefreshToDoQuery();
    BackOnKey(*this, key, oldRecNo);
}

// ---- list state ----

void TMainForm::QueryToDoAfterOpen() {
    SetButtonsEnabled({SpeedButtonDelToDo, SpeedButtonModToDo, SpeedButtonPrintToDo, SpeedButtonDupliToDo,
                       SpeedButtonCheckToDo, SpeedButtonExportTodo},
                      QueryToDo->RecordCount() >= 1);
}

void TMainForm::SpeedButton14Click() {
    ShowMessage(QStringLiteral("In this section you can edit a To-Do List."));
}

void TMainForm::Edit_Find_ToDoChange() {
    SpeedButtonClearTodo->setEnabled(!Edit_Find_ToDo->text().isEmpty());
    RefreshToDoQuery();
}

void TMainForm::SpeedButtonClearTodoClick() {
    Edit_Find_ToDo->clear();
    RefreshToDoQuery();
}

void TMainForm::ComboBox_KindFindToDoClick() {
    Edit_Find_ToDo->setFocus();
    SpeedButtonClearTodoClick();
}

void TMainForm::ComboBoxToDoChange() {
    RefreshToDoQuery();
}

void TMainForm::DBGrid_ToDoDblClick() {
    if (SpeedButtonModToDo->isEnabled())
        SpeedButtonModToDo->click();
}

void TMainForm::DBGrid_ToDoKeyPress(QChar key) {
    if (SpeedButtonModToDo->isEnabled() && key == QChar(13))
        SpeedButtonModToDoClick();
}

// ---- gauge and rows ----

void TMainForm::DataSourceToDoDataChange() {
    GaugePercento->setValue(
        QueryToDo->RecordCount() >= 1
            ? std::clamp(int(QueryToDo->FieldByName(QStringLiteral("percento")).AsInteger()), 0, 100)
            : 0);
}

void TMainForm::PlaceToDoGauge() {
    const auto width = [this](int column) {
        return DBGrid_ToDo->Column(column).Visible ? DBGrid_ToDo->ColumnWidth(column) : -1;
    };
    const int left = width(0) + width(1) + 6;
    // Over the columns it stands for, but never past the shown header's edge, so that its border
    // shows.
    int gaugeWidth = std::max(width(2) + width(3) + width(4) + 4, 0);
    if (Panel_Data_ToDo->isVisible())
        gaugeWidth = std::min(gaugeWidth, std::max(Panel_Data_ToDo->width() - left - 2, 0));
    const int height = std::min(GaugePercento->sizeHint().height(), Panel_Data_ToDo->height());
    const QRect place(left, std::max((Panel_Data_ToDo->height() - height) / 2, 0), gaugeWidth, height);
    if (GaugePercento->geometry() != place)
        GaugePercento->setGeometry(place);
}

void TMainForm::DBGrid_ToDoDrawColumnCell(TCellCanvas& canvas, const TRecord& record, int,
                                          const TDrawState& state) {
    PlaceToDoGauge();
    const bool done = record.FieldByName(QStringLiteral("fatto")).AsString() == QLatin1String("X");
    QFont styled = WithWindowStyle(canvas.Font, font());
    if (done)
        styled.setStrikeOut(true);
    if (ComboBox_Stile->currentText() == QLatin1String("colored")) {
        if (done)
            canvas.Font = styled;
        if (state.Selected)
            canvas.Brush = ToQColor(SectionColors.TodoColor);
        canvas.FontColor = ToQColor(Colors::clWindowText);
    } else {
        if (done)
            canvas.Font = styled;
        if (state.Selected) {
            styled.setBold(true);
            canvas.Font = styled;
        }
        canvas.Brush = ToQColor(SectionColors.TodoColor);
        canvas.FontColor = ToQColor(Colors::clBlack);
    }
}

} // namespace qm
