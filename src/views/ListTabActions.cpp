#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"
#include "views/DeleteConfirm.h"
#include "views/ListTabSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QToolButton>

// The actions shared by the One Shot, Yearly, Monthly, Weekly and Contacts tabs, each written once
// and run with the controls of its tab.
namespace qm {

QString DeleteConfirmEnding(int draw) {
    switch (draw) {
    case 0:
        return QStringLiteral("\", can you assures to me that after you will not cry?");
    case 1:
        return QStringLiteral("\", sure that's a good idea?");
    case 2:
        return QStringLiteral("\", are you sure?");
    case 3:
        return QStringLiteral("\", can you live after this?");
    case 4:
        return QStringLiteral("\", you know the consequences?");
    default:
        return QStringLiteral("\". If I do it, you introduce your sister to me?");
    }
}

QString DeleteConfirmSuffix() {
    return DeleteConfirmEnding(int(QRandomGenerator::global()->bounded(6)));
}

namespace {

void DeleteCurrentRow(TMainForm& f, ListKind kind) {
    const ListTab t = ListTabOf(f, kind);
    if (t.query->RecordCount() < 1)
        return;
    f.SavedRecNo = t.query->RecNo();
    const qint64 key = t.query->FieldByName(t.keyField).AsInteger();
    f.MsgText = QStringLiteral(" You are in order to eliminate \"") +
                t.query->FieldByName(t.titleField).AsString() + DeleteConfirmSuffix();
    if (MessageBox(f.MsgText, f.MsgCaption, f.MsgYesNo + f.MsgQuestion) != f.MsgYes)
        return;
    f.Query_Jolly->SQL.Clear();
    f.Query_Jolly->SQL.Add(QStringLiteral("DELETE"));
    f.Query_Jolly->SQL.Add(QStringLiteral("FROM ") + t.table);
    f.Query_Jolly->SQL.Add(QStringLiteral("WHERE ") + t.keyField + QStringLiteral(" = ") +
                           QString::number(key));
    f.Query_Jolly->ExecSQL();
    (f.*t.refresh)();
    // The row above the deleted one, so the user stays where he was.
    if (t.query->RecordCount() >= 2 && f.SavedRecNo >= 2)
        t.query->SetRecNo(f.SavedRecNo - 1);
    f.FormResize();
}

// The copy takes every column of the current row but its key, markers included.
void CloneCurrentRow(TMainForm& f, ListKind kind) {
    const ListTab t = ListTabOf(f, kind);
    if (t.query->RecordCount() < 1)
        return;
    f.SavedRecNo = t.query->RecNo();
    TQuery* jolly = f.Query_Jolly;
    jolly->SQL.Clear();
    for (const QString& line : t.insertLines)
        jolly->SQL.Add(line);
    QString columnList = t.insertLines[1];
    columnList.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
    for (const QString& column : columnList.split(QLatin1Char(','))) {
        const TField field = t.query->FieldByName(column);
        TParam& param = jolly->ParamByName(column);
        if (column == QLatin1String("datefull"))
            param.SetAsDate(field.AsDate());
        else if (column == QLatin1String("dayindex"))
            param.SetAsFloat(field.AsFloat());
        else
            param.SetAsString(field.AsString());
    }
    jolly->ExecSQL();
    (f.*t.refresh)();
    t.query->SetRecNo(f.SavedRecNo);
    f.FormResize();
}

void FollowRowCount(TMainForm& f, ListKind kind) {
    const ListTab t = ListTabOf(f, kind);
    SetButtonsEnabled(t.rowButtons, t.query->RecordCount() >= 1);
}

// Every re-open of an appointment list may change today's entries: the alarm list is reloaded
// (once start-up is over) and the Tasks list is rebuilt when next shown.
void AppointmentListReopened(TMainForm& f) {
    if (f.CheckBox_TimeCheck->isChecked() && f.AlarmReloadArmed != 0)
        Guarded([&f] { f.RefreshAlarmQuery(); });
    f.TodayDirty = -1;
}

void FindTextChanged(TMainForm& f, ListKind kind) {
    const ListTab t = ListTabOf(f, kind);
    t.clear->setEnabled(!t.find->text().isEmpty());
    (f.*t.refresh)();
}

void ClearFind(TMainForm& f, ListKind kind) {
    const ListTab t = ListTabOf(f, kind);
    t.find->clear();
    (f.*t.refresh)();
}

void InvertOrder(TMainForm& f, ListKind kind) {
    const ListTab t = ListTabOf(f, kind);
    *t.orderField = *t.orderField == QLatin1String("DESC") ? QString() : QStringLiteral("DESC");
    (f.*t.refresh)();
}

void ModifyOnDoubleClick(TMainForm& f, ListKind kind) {
    const ListTab t = ListTabOf(f, kind);
    if (t.modify->isEnabled())
        t.modify->click();
}

bool IsEnterForModify(QToolButton* modify, QChar key) {
    return modify->isEnabled() && key == QChar(13);
}

} // namespace

// ---- delete ----

void TMainForm::SpeedButtonDelShotClick() {
    DeleteCurrentRow(*this, ListKind::Shot);
}
void TMainForm::SpeedButtonDelyearClick() {
    DeleteCurrentRow(*this, ListKind::Year);
}
void TMainForm::SpeedButtonDelMeseClick() {
    DeleteCurrentRow(*this, ListKind::Month);
}
void TMainForm::SpeedButtonDelWeekClick() {
    DeleteCurrentRow(*this, ListKind::Week);
}
void TMainForm::SpeedButtonDelContactClick() {
    DeleteCurrentRow(*this, ListKind::Contact);
}

// ---- clone ----

void TMainForm::SpeedButtonPrintshotClick() {
    CloneCurrentRow(*this, ListKind::Shot);
}
void TMainForm::SpeedButtonPrintyearClick() {
    CloneCurrentRow(*this, ListKind::Year);
}
void TMainForm::SpeedButtonPrintMeseClick() {
    CloneCurrentRow(*this, ListKind::Month);
}
void TMainForm::SpeedButtonPrintWeekClick() {
    CloneCurrentRow(*this, ListKind::Week);
}
void TMainForm::SpeedButtonDupliContactClick() {
    CloneCurrentRow(*this, ListKind::Contact);
}

// ---- after open ----

void TMainForm::QueryShotAfterOpen() {
    FollowRowCount(*this, ListKind::Shot);
    AppointmentListReopened(*this);
}
void TMainForm::QueryYearAfterOpen() {
    FollowRowCount(*this, ListKind::Year);
    AppointmentListReopened(*this);
}
void TMainForm::QueryMonthAfterOpen() {
    FollowRowCount(*this, ListKind::Month);
    AppointmentListReopened(*this);
}
void TMainForm::QueryWeekAfterOpen() {
    FollowRowCount(*this, ListKind::Week);
    AppointmentListReopened(*this);
}
void TMainForm::QueryContactAfterOpen() {
    FollowRowCount(*this, ListKind::Contact);
    if (QueryContact->RecordCount() < 1)
        SpeedButton_ApriAllegato->setToolTip(QStringLiteral("No attach"));
}

// ---- tips ----

void TMainForm::SpeedButton15Click() {
    ShowMessage(ListTabOf(*this, ListKind::Shot).tipText);
}
void TMainForm::SpeedButton13Click() {
    ShowMessage(ListTabOf(*this, ListKind::Year).tipText);
}
void TMainForm::SpeedButtonHelpMonthClick() {
    ShowMessage(ListTabOf(*this, ListKind::Month).tipText);
}
void TMainForm::SpeedButtonHelpWeekClick() {
    ShowMessage(ListTabOf(*this, ListKind::Week).tipText);
}
void TMainForm::SpeedButton23Click() {
    ShowMessage(ListTabOf(*this, ListKind::Contact).tipText);
}

// ---- find text changed ----

void TMainForm::Edit_Find_ShotChange() {
    FindTextChanged(*this, ListKind::Shot);
}
void TMainForm::Edit_Find_AnnoChange() {
    FindTextChanged(*this, ListKind::Year);
}
void TMainForm::Edit_Find_MeseChange() {
    FindTextChanged(*this, ListKind::Month);
}
void TMainForm::Edit_Find_WeekChange() {
    FindTextChanged(*this, ListKind::Week);
}
void TMainForm::Edit_ragsocChange() {
    FindTextChanged(*this, ListKind::Contact);
}

// ---- clear ----

void TMainForm::SpeedButtonClearShotClick() {
    ClearFind(*this, ListKind::Shot);
}
void TMainForm::SpeedButtonClearYearClick() {
    ClearFind(*this, ListKind::Year);
}
void TMainForm::SpeedButtonClearMonthClick() {
    ClearFind(*this, ListKind::Month);
}
void TMainForm::SpeedButtonClearWeekClick() {
    ClearFind(*this, ListKind::Week);
}
void TMainForm::SpeedButtonClearNameClick() {
    ClearFind(*this, ListKind::Contact);
}

// ---- find kind chosen: a new column always starts from an empty find text ----

void TMainForm::ComboBox_KindFindShotClick() {
    Edit_Find_Shot->setFocus();
    SpeedButtonClearShotClick();
}
void TMainForm::ComboBox_KindFindYearClick() {
    Edit_Find_Anno->setFocus();
    SpeedButtonClearYearClick();
}
void TMainForm::ComboBox_KindFindMonthClick() {
    Edit_Find_Mese->setFocus();
    SpeedButtonClearMonthClick();
}
void TMainForm::ComboBox_KindFindWeekClick() {
    Edit_Find_Week->setFocus();
    SpeedButtonClearWeekClick();
}
void TMainForm::ComboBox_KindFindContactClick() {
    Edit_ragsoc->setFocus();
    SpeedButtonClearNameClick();
}

// ---- invert order (of the first sort key) ----

void TMainForm::SpeedButtonOrderShotClick() {
    InvertOrder(*this, ListKind::Shot);
}
void TMainForm::SpeedButtonOrderYearClick() {
    InvertOrder(*this, ListKind::Year);
}
void TMainForm::SpeedButtonOrderMonthClick() {
    InvertOrder(*this, ListKind::Month);
}
void TMainForm::SpeedButtonorderWeekClick() {
    InvertOrder(*this, ListKind::Week);
}
void TMainForm::SpeedButtonOrderContactClick() {
    InvertOrder(*this, ListKind::Contact);
}

// ---- double-click and Enter: modify the row ----

void TMainForm::DBGrid_ShotDblClick() {
    ModifyOnDoubleClick(*this, ListKind::Shot);
}
void TMainForm::DBGrid_YearDblClick() {
    ModifyOnDoubleClick(*this, ListKind::Year);
}
void TMainForm::DBGrid_MonthDblClick() {
    ModifyOnDoubleClick(*this, ListKind::Month);
}
void TMainForm::DBGrid_WeekDblClick() {
    ModifyOnDoubleClick(*this, ListKind::Week);
}
void TMainForm::DBGrid_ContactDblClick() {
    ModifyOnDoubleClick(*this, ListKind::Contact);
}

void TMainForm::DBGrid_ShotKeyPress(QChar key) {
    if (IsEnterForModify(SpeedButtonModShot, key))
        SpeedButtonModShotClick();
}
void TMainForm::DBGrid_YearKeyPress(QChar key) {
    if (IsEnterForModify(SpeedButtonModYear, key))
        SpeedButtonModYearClick();
}
void TMainForm::DBGrid_MonthKeyPress(QChar key) {
    if (IsEnterForModify(SpeedButtonModMese, key))
        SpeedButtonModMeseClick();
}
void TMainForm::DBGrid_WeekKeyPress(QChar key) {
    if (IsEnterForModify(SpeedButtonModWeek, key))
        SpeedButtonModWeekClick();
}
void TMainForm::DBGrid_ContactKeyPress(QChar key) {
    // The contact dialogs hang on the button itself.
    if (IsEnterForModify(SpeedButtonModContact, key))
        SpeedButtonModContact->click();
}

// ---- extra filters ----

void TMainForm::ComboBox_MonthChange() {
    RefreshYearQuery();
}

void TMainForm::ComboBox_dayofweekChange() {
    RefreshWeekQuery();
}

void TMainForm::ComboBox_Contact_GroupChange() {
    SpeedButtonClearGroup->setEnabled(!ComboBox_Contact_Group->currentText().isEmpty());
    RefreshContactQuery();
}

void TMainForm::SpeedButtonClearGroupClick() {
    ComboBox_Contact_Group->setCurrentText(QString());
    ComboBox_Contact_GroupChange();
}

// ---- back on a row after a modify ----

void TMainForm::RestoreRowByKey(TQuery* query, const QString& keyField, qint64 key) {
    const int count = query->RecordCount();
    if (count < 1)
        return;
    // The rows are read in place, so the grid and memo follow only the final move.
    for (int row = 0; row < count; ++row) {
        if (query->Record(row).FieldByName(keyField).AsInteger() == key) {
            query->SetRecNo(row + 1);
            return;
        }
    }
}

} // namespace qm
