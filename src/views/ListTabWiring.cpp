#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "platform/Application.h"
#include "views/ListTabSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

namespace qm {

namespace {

using Handler = void (TMainForm::*)();
using KeyHandler = void (TMainForm::*)(QChar);

struct TabHandlers {
    ListKind kind;
    Handler afterOpen;
    Handler remove;
    Handler clone;
    Handler tip;
    Handler findChanged;
    Handler clear;
    Handler kindChosen;
    Handler order;
    Handler dblClick;
    KeyHandler keyPress;
    Handler add;
    Handler modify;
};

} // namespace

// Combo boxes answer the user's choice only (activated, typed text): the start-up road fills and
// sets them before the tables exist, and that must not run a list.
void TMainForm::ConnectListTabs() {
    SetupGridPresentation();

    const TabHandlers tabs[] = {
        {ListKind::Shot, &TMainForm::QueryShotAfterOpen, &TMainForm::SpeedButtonDelShotClick,
         &TMainForm::SpeedButtonPrintshotClick, &TMainForm::SpeedButton15Click,
         &TMainForm::Edit_Find_ShotChange, &TMainForm::SpeedButtonClearShotClick,
         &TMainForm::ComboBox_KindFindShotClick, &TMainForm::SpeedButtonOrderShotClick,
         &TMainForm::DBGrid_ShotDblClick, &TMainForm::DBGrid_ShotKeyPress, &TMainForm::SpeedButtonadShotClick,
         &TMainForm::SpeedButtonModShotClick},
        {ListKind::Year, &TMainForm::QueryYearAfterOpen, &TMainForm::SpeedButtonDelyearClick,
         &TMainForm::SpeedButtonPrintyearClick, &TMainForm::SpeedButton13Click,
         &TMainForm::Edit_Find_AnnoChange, &TMainForm::SpeedButtonClearYearClick,
         &TMainForm::ComboBox_KindFindYearClick, &TMainForm::SpeedButtonOrderYearClick,
         &TMainForm::DBGrid_YearDblClick, &TMainForm::DBGrid_YearKeyPress,
         &TMainForm::SpeedButtonAddYearClick, &TMainForm::SpeedButtonModYearClick},
        {ListKind::Month, &TMainForm::QueryMonthAfterOpen, &TMainForm::SpeedButtonDelMeseClick,
         &TMainForm::SpeedButtonPrintMeseClick, &TMainForm::SpeedButtonHelpMonthClick,
         &TMainForm::Edit_Find_MeseChange, &TMainForm::SpeedButtonClearMonthClick,
         &TMainForm::ComboBox_KindFindMonthClick, &TMainForm::SpeedButtonOrderMonthClick,
         &TMainForm::DBGrid_MonthDblClick, &TMainForm::DBGrid_MonthKeyPress,
         &TMainForm::SpeedButtonAggMeseClick, &TMainForm::SpeedButtonModMeseClick},
        {ListKind::Week, &TMainForm::QueryWeekAfterOpen, &TMainForm::SpeedButtonDelWeekClick,
         &TMainForm::SpeedButtonPrintWeekClick, &TMainForm::SpeedButtonHelpWeekClick,
         &TMainForm::Edit_Find_WeekChange, &TMainForm::SpeedButtonClearWeekClick,
         &TMainForm::ComboBox_KindFindWeekClick, &TMainForm::SpeedButtonorderWeekClick,
         &TMainForm::DBGrid_WeekDblClick, &TMainForm::DBGrid_WeekKeyPress,
         &TMainForm::SpeedButtonAggWeekClick, &TMainForm::SpeedButtonModWeekClick},
        {ListKind::Contact, &TMainForm::QueryContactAfterOpen, &TMainForm::SpeedButtonDelContactClick,
         &TMainForm::SpeedButtonDupliContactClick, &TMainForm::SpeedButton23Click,
         &TMainForm::Edit_ragsocChange, &TMainForm::SpeedButtonClearNameClick,
         &TMainForm::ComboBox_KindFindContactClick, &TMainForm::SpeedButtonOrderContactClick,
         &TMainForm::DBGrid_ContactDblClick, &TMainForm::DBGrid_ContactKeyPress,
         &TMainForm::SpeedButtonAggContactClick, &TMainForm::SpeedButtonModContactClick},
    };

    for (const TabHandlers& h : tabs) {
        const ListTab t = ListTabOf(*this, h.kind);
        ConnectGuarded(t.query, &TQuery::AfterOpen, this, h.afterOpen);
        ConnectGuarded(t.remove, &QToolButton::clicked, this, h.remove);
        ConnectGuarded(t.clone, &QToolButton::clicked, this, h.clone);
        ConnectGuarded(t.tip, &QToolButton::clicked, this, h.tip);
        ConnectGuarded(t.clear, &QToolButton::clicked, this, h.clear);
        ConnectGuarded(t.order, &QToolButton::clicked, this, h.order);
        ConnectGuarded(t.find, &QLineEdit::textChanged, this, h.findChanged);
        // Choosing a column empties the find text, then searches.
        ConnectGuarded(t.kind, &QComboBox::activated, this, h.kindChosen);
        ConnectGuarded(t.kind, &QComboBox::activated, this, h.findChanged);
        ConnectGuarded(t.grid, &TDBGrid::DblClick, this, h.dblClick);
        ConnectGuarded(t.grid, &TDBGrid::KeyPress, this, h.keyPress);
        if (t.memo)
            ConnectGuarded(t.memo, &TDBMemo::DblClick, this, h.dblClick);
        if (h.add)
            ConnectGuarded(t.add, &QToolButton::clicked, this, h.add);
        if (h.modify)
            ConnectGuarded(t.modify, &QToolButton::clicked, this, h.modify);
    }

    ConnectGuarded(ComboBox_Month, &QComboBox::activated, this, &TMainForm::ComboBox_MonthChange);
    ConnectGuarded(ComboBox_dayofweek, &QComboBox::activated, this, &TMainForm::ComboBox_dayofweekChange);
    ConnectGuarded(ComboBox_Contact_Group, &QComboBox::activated, this,
                   &TMainForm::ComboBox_Contact_GroupChange);
    ConnectGuarded(ComboBox_Contact_Group->lineEdit(), &QLineEdit::textEdited, this,
                   &TMainForm::ComboBox_Contact_GroupChange);
    ConnectGuarded(SpeedButtonClearGroup, &QToolButton::clicked, this,
                   &TMainForm::SpeedButtonClearGroupClick);
}

} // namespace qm
