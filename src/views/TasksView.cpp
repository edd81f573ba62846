#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/DateFormat.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "views/DeleteConfirm.h"
#include "views/ListTabSupport.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>
#include <QToolButton>

// The Tasks tab has no entries of its own: every action reaches the entry in the list of its kind.
namespace qm {

namespace {

// The list that holds a Tasks row of the given kind letter.
struct KindOfRow {
    const QString* flag;
    ListKind kind;
    QWidget* TMainForm::*sheet;
};

const KindOfRow kKinds[] = {
    {&TEntryKind::Yearly, ListKind::Year, &TMainForm::TabSheetYEAR},
    {&TEntryKind::Monthly, ListKind::Month, &TMainForm::TabSheetMonth},
    {&TEntryKind::Weekly, ListKind::Week, &TMainForm::TabSheetWEEK},
    {&TEntryKind::OneShot, ListKind::Shot, &TMainForm::TabSheetShot},
};

const KindOfRow* KindOf(const QString& flag) {
    for (const KindOfRow& k : kKinds)
        if (*k.flag == flag)
            return &k;
    return nullptr;
}

qint64 KeyOf(TQuery* query) {
    return query->FieldByName(QStringLiteral("codimp")).AsInteger();
}

// Shows the whole list of the kind (a find text would hide the entry) and walks it from the top to
// the entry. Not found, the walk ends on the last row.
bool WalkToEntry(const ListTab& t, qint64 key) {
    if (!t.find->text().isEmpty())
        t.clear->click();
    t.query->First();
    while (!t.query->Eof()) {
        if (KeyOf(t.query) == key)
            return true;
        t.query->Next();
    }
    return false;
}

void SetShownDay(TMainForm& f, const QDate& day) {
    // The picker's own change signal is for the user's choices only.
    const QSignalBlocker blocker(f.DateTimePickerTODAY);
    f.DateTimePickerTODAY->setDate(day);
    f.Calendario_Lato->setSelectedDate(day);
}

} // namespace

void TMainForm::ConnectTasksView() {
    ConnectGuarded(QueryTODAY, &TQuery::AfterOpen, this, &TMainForm::QueryTODAYAfterOpen);
    ConnectGuarded(DateTimePickerTODAY, &QDateEdit::dateChanged, this, [this] {
        // The start-up road sets the day before the tables exist; it runs the list itself.
        if (!m_inFormCreate)
            DateTimePickerTODAYCloseUp();
    });
    ConnectGuarded(SpeedButton8, &QToolButton::clicked, this, &TMainForm::SpeedButton8Click);
    ConnectGuarded(SpeedButton11, &QToolButton::clicked, this, &TMainForm::SpeedButton11Click);
    ConnectGuarded(SpeedButtonToday, &QToolButton::clicked, this, &TMainForm::SpeedButtonTodayClick);
    ConnectGuarded(Calendario_Lato, &QCalendarWidget::clicked, this, &TMainForm::Calendario_LatoClick);
    ConnectGuarded(SpeedButtonClendarioLato, &QToolButton::clicked, this,
                   &TMainForm::SpeedButtonClendarioLatoClick);
    ConnectGuarded(DBGrid_Today, &TDBGrid::DblClick, this, &TMainForm::DBGrid_TodayDblClick);
    ConnectGuarded(DBGrid_Today, &TDBGrid::KeyPress, this, &TMainForm::DBGrid_TodayKeyPress);
    ConnectGuarded(SpeedButtonModToday, &QToolButton::clicked, this, &TMainForm::SpeedButtonModTodayClick);
    ConnectGuarded(SpeedButtonFollowToday, &QToolButton::clicked, this,
                   &TMainForm::SpeedButtonFollowTodayClick);
    ConnectGuarded(SpeedButtonDelToday, &QToolButton::clicked, this, &TMainForm::SpeedButtonDelTodayClick);
    ConnectGuarded(SpeedButtonAddToday, &QToolButton::clicked, this, &TMainForm::SpeedButtonAddTodayClick);
    ConnectGuarded(OneShot2, &QAction::triggered, this, &TMainForm::OneShot2Click);
    ConnectGuarded(Yearly2, &QAction::triggered, this, &TMainForm::Yearly2Click);
    ConnectGuarded(Monthly2, &QAction::triggered, this, &TMainForm::Monthly2Click);
    ConnectGuarded(Weekly2, &QAction::triggered, this, &TMainForm::Weekly2Click);
    ConnectGuarded(SpeedButtonAggiornaTutto, &QToolButton::clicked, this,
                   &TMainForm::SpeedButtonAggiornaTuttoClick);
}

void TMainForm::QueryTODAYAfterOpen() {
    SetButtonsEnabled({SpeedButtonPrintToday, SpeedButtonFollowToday, SpeedButtonModToday,
                       SpeedButtonDelToday, SpeedButtonEportToday},
                      QueryTODAY->RecordCount() >= 1);
    const QString dayText = QStringLiteral("dd mm yyyy");
    SpeedButtonToday->setEnabled(FormatDateTime(dayText, DateTimePickerTODAY->date()) !=
                                 FormatDateTime(dayText, Today()));
}

// ---- the shown day ----

void TMainForm::DateTimePickerTODAYCloseUp() {
    Calendario_Lato->setSelectedDate(DateTimePickerTODAY->date());
    RefreshTodayQuery();
}

void TMainForm::SpeedButton8Click() {
    SetShownDay(*this, DateTimePickerTODAY->date().addDays(-1));
    RefreshTodayQuery();
}

void TMainForm::SpeedButton11Click() {
    SetShownDay(*this, DateTimePickerTODAY->date().addDays(1));
    RefreshTodayQuery();
}

void TMainForm::SpeedButtonTodayClick() {
    SetShownDay(*this, Today());
    RefreshTodayQuery();
}

void TMainForm::Calendario_LatoClick() {
    SetShownDay(*this, Calendario_Lato->selectedDate());
    RefreshTodayQuery();
}

void TMainForm::SpeedButtonClendarioLatoClick() {
    const QString marker = JoinPath(ArchiveFolder, QStringLiteral("ShowCale.txt"));
    if (!Panel_LATO->isHidden()) {
        if (QFile::exists(marker))
            QFile::remove(marker);
        Panel_LATO->hide();
        SpeedButtonClendarioLato->setChecked(false);
    } else {
        ShowZodiacAndSeason();
        Panel_LATO->show();
        SpeedButtonClendarioLato->setChecked(true);
        QString error;
        if (!SaveTextLines(marker, {}, &error))
            ShowMessage(error);
    }
    if (isVisible()) {
        raise();
        activateWindow();
    }
    FormResize();
}

// ---- reaching the entry behind a row ----

void TMainForm::DBGrid_TodayDblClick() {
    if (SpeedButtonModToday->isEnabled())
        SpeedButtonModToday->click();
}

void TMainForm::DBGrid_TodayKeyPress(QChar key) {
    if (SpeedButtonModToday->isEnabled() && key == QChar(13))
        SpeedButtonModToday->click();
}

void TMainForm::SpeedButtonModTodayClick() {
    if (QueryTODAY->RecordCount() >= 1) {
        if (const KindOfRow* k = KindOf(QueryTODAY->FieldByName(QStringLiteral("flag")).AsString())) {
            const ListTab t = ListTabOf(*this, k->kind);
            // An entry its list does not show (the month or weekday filter) is not opened.
            if (WalkToEntry(t, KeyOf(QueryTODAY)))
                t.modify->click();
        }
    }
    if (TodayDirty)
        RefreshTodayQuery();
    FormResize();
}

void TMainForm::SpeedButtonFollowTodayClick() {
    if (QueryTODAY->RecordCount() < 1)
        return;
    if (const KindOfRow* k = KindOf(QueryTODAY->FieldByName(QStringLiteral("flag")).AsString())) {
        const ListTab t = ListTabOf(*this, k->kind);
        const qint64 key = KeyOf(QueryTODAY);
        if (!t.find->text().isEmpty())
            t.clear->click();
        {
            // The change handler runs once below, after the walk.
            const QSignalBlocker blocker(PageControlMenu);
            PageControlMenu->setCurrentWidget(this->*(k->sheet));
        }
        WalkToEntry(t, key);
    }
    PageControlMenuChange();
}

void TMainForm::SpeedButtonDelTodayClick() {
    if (QueryTODAY->RecordCount() < 1)
        return;
    const QString flag = QueryTODAY->FieldByName(QStringLiteral("flag")).AsString();
    SavedRecNo = QueryTODAY->RecNo();
    const qint64 key = KeyOf(QueryTODAY);
    MsgText = QStringLiteral(" You are in order to eliminate \"") +
              QueryTODAY->FieldByName(QStringLiteral("id")).AsString() + DeleteConfirmSuffix();
    if (MessageBox(MsgText, MsgCaption, MsgYesNo + MsgQuestion) == MsgYes) {
        Query_Jolly->SQL.Clear();
        Query_Jolly->SQL.Add(QStringLiteral("DELETE"));
        Query_Jolly->SQL.Add(QStringLiteral("FROM QMarc80"));
        Query_Jolly->SQL.Add(QStringLiteral("WHERE codimp = ") + QString::number(key));
        Query_Jolly->ExecSQL();
        RefreshTodayQuery();
        // The row above the deleted one; the first row stays the first (there is no row 0).
        if (QueryTODAY->RecordCount() >= 2 && SavedRecNo >= 2)
            QueryTODAY->SetRecNo(SavedRecNo - 1);
    }
    if (const KindOfRow* k = KindOf(flag))
        (this->*ListTabOf(*this, k->kind).refresh)();
    if (CheckBox_TimeCheck->isChecked())
        RefreshAlarmQuery();
    FormResize();
}

// ---- new entries ----

void TMainForm::SpeedButtonAddTodayClick() {
    PopupMenuToday->popup(SpeedButtonAddToday->mapToGlobal(QPoint(0, SpeedButtonAddToday->height())));
}

namespace {

void AddOfKind(TMainForm& f, ListKind kind) {
    ListTabOf(f, kind).add->click();
    if (f.TodayDirty)
        f.RefreshTodayQuery();
    f.FormResize();
}

} // namespace

void TMainForm::OneShot2Click() {
    AddOfKind(*this, ListKind::Shot);
}

void TMainForm::Yearly2Click() {
    AddOfKind(*this, ListKind::Year);
}

void TMainForm::Monthly2Click() {
    AddOfKind(*this, ListKind::Month);
}

void TMainForm::Weekly2Click() {
    AddOfKind(*this, ListKind::Week);
}

void TMainForm::SpeedButtonAggiornaTuttoClick() {
    PurgeExpiredOneShots();
    RefreshMonthQuery();
    RefreshWeekQuery();
    RefreshYearQuery();
    RefreshShotQuery();
    RefreshTodayQuery();
    RefreshContactQuery();
    RefreshToDoQuery();
    RefreshAlarmQuery();
    SpeedButtonRinfrescaNote->click();
}

} // namespace qm
