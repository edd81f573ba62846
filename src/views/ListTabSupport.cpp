#include "views/ListTabSupport.h"

#include "app/MainForm.h"
#include "engine/Query.h"
#include "platform/widgets/Panel.h"

#include <QToolButton>

namespace qm {

ListTab ListTabOf(TMainForm& f, ListKind kind) {
    ListTab t;
    const QString appointments = QStringLiteral("QMarc80");
    switch (kind) {
    case ListKind::Shot:
        t.query = f.QueryShot;
        t.countPanel = f.Panel_Shot;
        t.grid = f.DBGrid_Shot;
        t.memo = f.DBMemoShot;
        t.add = f.SpeedButtonadShot;
        t.modify = f.SpeedButtonModShot;
        t.remove = f.SpeedButtonDelShot;
        t.clone = f.SpeedButtonPrintshot;
        t.print = f.SpeedButtonDupliShot;
        t.tip = f.SpeedButton15;
        t.order = f.SpeedButtonOrderShot;
        t.clear = f.SpeedButtonClearShot;
        t.find = f.Edit_Find_Shot;
        t.kind = f.ComboBox_KindFindShot;
        t.orderField = &f.ShotOrder;
        t.refresh = &TMainForm::RefreshShotQuery;
        t.table = appointments;
        t.insertLines = {QStringLiteral("INSERT INTO QMarc80"),
                         QStringLiteral("(id,note,datefull,orario,orario2,flag,dayofweek)"),
                         QStringLiteral("values (:id,:note,:datefull,:orario,:orario2,:flag,:dayofweek)")};
        t.tipText = QStringLiteral("In this section you can keep track of your occasional "
                                   "tasks.\r\nExamples: appointments, parties.");
        break;
    case ListKind::Year:
        t.query = f.QueryYear;
        t.countPanel = f.Panel_year;
        t.grid = f.DBGrid_Year;
        t.memo = f.DBMemoYear;
        t.add = f.SpeedButtonAddYear;
        t.modify = f.SpeedButtonModYear;
        t.remove = f.SpeedButtonDelyear;
        t.clone = f.SpeedButtonPrintyear;
        t.print = f.SpeedButtonDupliYear;
        t.tip = f.SpeedButton13;
        t.order = f.SpeedButtonOrderYear;
        t.clear = f.SpeedButtonClearYear;
        t.find = f.Edit_Find_Anno;
        t.kind = f.ComboBox_KindFindYear;
        t.orderField = &f.YearOrder;
        t.refresh = &TMainForm::RefreshYearQuery;
        t.table = appointments;
        t.insertLines = {QStringLiteral("INSERT INTO QMarc80"),
                         QStringLiteral("(id,note,datefull,data,orario,orario2,flag)"),
                         QStringLiteral("values (:id,:note,:datefull,:data,:orario,:orario2,:flag)")};
        t.tipText = QStringLiteral("In this section you can keep track of your yearly tasks.\r\nExamples: "
                                   "birthdays, anniversaries.");
        break;
    case ListKind::Month:
        t.query = f.QueryMonth;
        t.countPanel = f.Panel_Month;
        t.grid = f.DBGrid_Month;
        t.memo = f.DBMemoMonth;
        t.add = f.SpeedButtonAggMese;
        t.modify = f.SpeedButtonModMese;
        t.remove = f.SpeedButtonDelMese;
        t.clone = f.SpeedButtonPrintMese;
        t.print = f.SpeedButtonDupliMonth;
        t.tip = f.SpeedButtonHelpMonth;
        t.order = f.SpeedButtonOrderMonth;
        t.clear = f.SpeedButtonClearMonth;
        t.find = f.Edit_Find_Mese;
        t.kind = f.ComboBox_KindFindMonth;
        t.orderField = &f.MonthOrder;
        t.refresh = &TMainForm::RefreshMonthQuery;
        t.table = appointments;
        t.insertLines = {QStringLiteral("INSERT INTO QMarc80"),
                         QStringLiteral("(id,note,dayofmonth,datefull,orario,orario2,flag)"),
                         QStringLiteral("values (:id,:note,:dayofmonth,:datefull,:orario,:orario2,:flag)")};
        t.tipText = QStringLiteral("In this section you can keep track of your monthly tasks.\r\n Examples: "
                                   "bills and rents to pay.");
        break;
    case ListKind::Week:
        t.query = f.QueryWeek;
        t.countPanel = f.Panel_week;
        t.grid = f.DBGrid_Week;
        t.memo = f.DBMemoWeek;
        t.add = f.SpeedButtonAggWeek;
        t.modify = f.SpeedButtonModWeek;
        t.remove = f.SpeedButtonDelWeek;
        t.clone = f.SpeedButtonPrintWeek;
        t.print = f.SpeedButtonDupliWeek;
        t.tip = f.SpeedButtonHelpWeek;
        t.order = f.SpeedButtonorderWeek;
        t.clear = f.SpeedButtonClearWeek;
        t.find = f.Edit_Find_Week;
        t.kind = f.ComboBox_KindFindWeek;
        t.orderField = &f.WeekOrder;
        t.refresh = &TMainForm::RefreshWeekQuery;
        t.table = appointments;
        t.insertLines = {
            QStringLiteral("INSERT INTO QMarc80"),
            QStringLiteral("(id,note,dayofweek,dayindex,datefull,orario,orario2,flag)"),
            QStringLiteral("values (:id,:note,:dayofweek,:dayindex,:datefull,:orario,:orario2,:flag)")};
        t.tipText = QStringLiteral(
            "In this section you can keep track of your weekly tasks.\r\nExamples: lessons, sports.");
        break;
    case ListKind::Contact:
        t.query = f.QueryContact;
        t.countPanel = f.panel_contact;
        t.grid = f.DBGrid_Contact;
        t.add = f.SpeedButtonAggContact;
        t.modify = f.SpeedButtonModContact;
        t.remove = f.SpeedButtonDelContact;
        t.clone = f.SpeedButtonDupliContact;
        t.print = f.SpeedButtonPrintcontact;
        t.tip = f.SpeedButton23;
        t.order = f.SpeedButtonOrderContact;
        t.clear = f.SpeedButtonClearName;
        t.find = f.Edit_ragsoc;
        t.kind = f.ComboBox_KindFindContact;
        t.orderField = &f.ContactOrder;
        t.refresh = &TMainForm::RefreshContactQuery;
        t.table = QStringLiteral("QMcon26");
        t.keyField = QStringLiteral("codcon");
        t.titleField = QStringLiteral("ragsoc");
        t.insertLines = {
            QStringLiteral("INSERT INTO QMcon26"),
            QStringLiteral("(ragsoc,indirizzo,tel,fax,email,note,gruppo,site,company,mobile,allegato)"),
            QStringLiteral("values (:ragsoc,:indirizzo,:tel,:fax,:email,:note,:gruppo,:site,:company,:mobile,"
                           ":allegato)")};
        t.tipText = QStringLiteral("In this section you can keep track of your contacs.");
        break;
    }
    if (t.keyField.isEmpty()) {
        t.keyField = QStringLiteral("codimp");
        t.titleField = QStringLiteral("id");
    }
    t.rowButtons = {t.remove, t.modify, t.clone, t.print, t.order};
    if (kind == ListKind::Contact)
        t.rowButtons.append(f.SpeedButtonCSV);
    return t;
}

void SetButtonsEnabled(const QList<QToolButton*>& buttons, bool enabled) {
    for (QToolButton* button : buttons)
        if (button)
            button->setEnabled(enabled);
}

namespace {

int g_statementsOnly = 0;

} // namespace

ListStatementsOnly::ListStatementsOnly() {
    ++g_statementsOnly;
}

ListStatementsOnly::~ListStatementsOnly() {
    --g_statementsOnly;
}

void OpenListQuery(TQuery* query, TPanel* countPanel, const QList<QToolButton*>& rowButtons) {
    if (g_statementsOnly > 0)
        return;
    try {
        query->Open();
    } catch (...) {
        countPanel->SetCaption(QString());
        SetButtonsEnabled(rowButtons, false);
        throw;
    }
    countPanel->SetCaption(QString::number(query->RecordCount()) + QStringLiteral("   "));
}

} // namespace qm
