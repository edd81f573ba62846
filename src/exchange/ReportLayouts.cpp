#include "app/MainForm.h"
#include "exchange/Report.h"
#include "platform/Application.h"
#include "platform/DateFormat.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"

#include <QAction>
#include <QBoxLayout>
#include <QComboBox>
#include <QDateEdit>
#include <QMenu>
#include <QToolButton>

// One report layout per list tab, each bound to the tab's own view query, so that a report lists
// what the tab shows, in its order.
namespace qm {

namespace {

QList<ReportColumn> AppointmentColumns(const ReportColumn& first) {
    return {first,
            {QStringLiteral("From"), QStringLiteral("orario"), 40},
            {QStringLiteral("To"), QStringLiteral("orario2"), 40},
            {QStringLiteral("Description"), QStringLiteral("id")},
            {QStringLiteral("Note"), QStringLiteral("note")}};
}

// The layout of the active tab; false for the tabs that print nothing (Notes, Options).
bool LayoutOfActiveTab(TMainForm& form, ReportLayout& layout) {
    const QWidget* page = form.PageControlMenu->currentWidget();
    const SectionColorSet& colors = form.SectionColors;
    if (page == form.TabSheetCONTACTS) {
        const QString group = form.ComboBox_Contact_Group->currentText();
        layout = {QStringLiteral("Contact"),
                  form.QueryContact,
                  true,
                  QStringLiteral("Contacts   "),
                  ToQColor(colors.ContactColor),
                  QString(),
                  group.isEmpty() ? QStringLiteral("All") : group,
                  9,
                  8,
                  {{QStringLiteral("Name"), QStringLiteral("ragsoc")},
                   {QStringLiteral("Company"), QStringLiteral("company")},
                   {QStringLiteral("Phone"), QStringLiteral("tel")},
                   {QStringLiteral("Mobile"), QStringLiteral("mobile")},
                   {QStringLiteral("Fax"), QStringLiteral("fax")},
                   {QStringLiteral("E-mail"), QStringLiteral("email")},
                   {QStringLiteral("Address"), QStringLiteral("indirizzo")},
                   {QStringLiteral("Internet"), QStringLiteral("site")}}};
    } else if (page == form.TabSheetShot) {
        layout = {QStringLiteral("Shot"),
                  form.QueryShot,
                  true,
                  QStringLiteral("One Shot   "),
                  ToQColor(colors.ShotColor),
                  QString(),
                  QString(),
                  11,
                  10,
                  AppointmentColumns({QStringLiteral("Date"), QStringLiteral("datefull"), 70, true, true})};
    } else if (page == form.TabSheetYEAR) {
        layout = {QStringLiteral("Year"),
                  form.QueryYear,
                  true,
                  QStringLiteral("Yearly   "),
                  ToQColor(colors.YearColor),
                  QString(),
                  QString(),
                  11,
                  10,
                  AppointmentColumns({QStringLiteral("Date"), QStringLiteral("data"), 50, true, false})};
    } else if (page == form.TabSheetMonth) {
        layout = {QStringLiteral("Month"),
                  form.QueryMonth,
                  true,
                  QStringLiteral("Monthly   "),
                  ToQColor(colors.MonthColor),
                  QString(),
                  QString(),
                  11,
                  10,
                  AppointmentColumns({QStringLiteral("Day"), QStringLiteral("dayofmonth"), 35, true, true})};
    } else if (page == form.TabSheetWEEK) {
        layout = {QStringLiteral("Week"),
                  form.QueryWeek,
                  true,
                  QStringLiteral("Weekly   "),
                  ToQColor(colors.WeekColor),
                  QString(),
                  QString(),
                  11,
                  10,
                  AppointmentColumns({QStringLiteral("Day"), QStringLiteral("dayofweek"), 75, true, true})};
    } else if (page == form.TabSheetTODAY) {
        layout = {QStringLiteral("Today"),
                  form.QueryTODAY,
                  true,
                  QStringLiteral("Daily Plan   "),
                  ToQColor(colors.TodayColor),
                  FormatDateTime(QStringLiteral(" dddd dd mmmm yyyy "), form.DateTimePickerTODAY->date()),
                  QString(),
                  11,
                  10,
                  {{QStringLiteral("From"), QStringLiteral("orario"), 40},
                   {QStringLiteral("To"), QStringLiteral("orario2"), 40},
                   {QStringLiteral("Description"), QStringLiteral("id")},
                   {QStringLiteral("Note"), QStringLiteral("note")}}};
    } else if (page == form.TabSheetToDo) {
        layout = {QStringLiteral("ToDo"),
                  form.QueryToDo,
                  false,
                  QStringLiteral("To-Do!   "),
                  ToQColor(colors.TodoColor),
                  QString(),
                  QString(),
                  11,
                  10,
                  {{QString(), QString(), 20},
                   {QStringLiteral("Description"), QStringLiteral("id")},
                   {QStringLiteral("Note"), QStringLiteral("note")}}};
    } else {
        return false;
    }
    return true;
}

} // namespace

void TMainForm::PrintButtonClick(QWidget* button) {
    PopupMenu_STAMPA->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void TMainForm::PrintPreview1Click() {
    ReportLayout layout;
    if (LayoutOfActiveTab(*this, layout))
        PreviewReport(layout, this);
}

void TMainForm::Print1Click() {
    ReportLayout layout;
    if (LayoutOfActiveTab(*this, layout))
        PrintReport(layout);
}

void TMainForm::ConnectExchange() {
    PopupMenu_STAMPA = new QMenu(this);
    PopupMenu_STAMPA->setObjectName(QStringLiteral("PopupMenu_STAMPA"));
    PrintPreview1 = PopupMenu_STAMPA->addAction(QStringLiteral("Preview"));
    Print1 = PopupMenu_STAMPA->addAction(QStringLiteral("Print"));
    PopupMenu_STAMPA->addSeparator();
    Cancel1 = PopupMenu_STAMPA->addAction(QStringLiteral("Cancel"));

    SpeedButtonQOC = MakeSpeedButton(panel_contact, QStringLiteral("SpeedButtonQOC"), QString(),
                                     QStringLiteral("Import"), QStyle::SP_DialogOpenButton);
    if (auto* bar = qobject_cast<QBoxLayout*>(panel_contact->layout()))
        bar->insertWidget(bar->indexOf(SpeedButtonCSV) + 1, SpeedButtonQOC);
    PopupMenuImportaContatti = new QMenu(this);
    PopupMenuImportaContatti->setObjectName(QStringLiteral("PopupMenuImportaContatti"));
    ImportadaRubricaWindows =
        PopupMenuImportaContatti->addAction(QStringLiteral("Import from Windows address book"));
    ImportadaContattiDaFile = PopupMenuImportaContatti->addAction(QStringLiteral("Import from file"));

    const QString contactsFilter = QStringLiteral("Quellmire Organizer Contacts (*.QOC)|*.QOC");
    SaveDialogCSV.Filter = contactsFilter + QStringLiteral("|Comma delimited ascii files (*.csv)|*.csv") +
                           QStringLiteral("|vCard files (*.vcf)|*.vcf");
    SaveDialogCSV.OnTypeChange = [this] { SaveDialogCSVTypeChange(SaveDialogCSV.FilterIndex); };
    SaveDialogCSV2.Filter = QStringLiteral("Comma delimited ascii files (*.csv)|*.csv");
    OpenDialogQOC.Filter = contactsFilter;

    for (QToolButton* button :
         {SpeedButtonPrintToday, SpeedButtonDupliShot, SpeedButtonDupliYear, SpeedButtonDupliMonth,
          SpeedButtonDupliWeek, SpeedButtonPrintcontact, SpeedButtonPrintToDo})
        ConnectGuarded(button, &QToolButton::clicked, this, [this, button] { PrintButtonClick(button); });
    ConnectGuarded(PrintPreview1, &QAction::triggered, this, &TMainForm::PrintPreview1Click);
    ConnectGuarded(Print1, &QAction::triggered, this, &TMainForm::Print1Click);
    ConnectGuarded(Anteprima2, &QAction::triggered, this, &TMainForm::PrintPreview1Click);
    ConnectGuarded(Stampa3, &QAction::triggered, this, &TMainForm::Print1Click);

    ConnectGuarded(SpeedButtonCSV, &QToolButton::clicked, this, &TMainForm::SpeedButtonCSVClick);
    ConnectGuarded(SpeedButtonQOC, &QToolButton::clicked, this, &TMainForm::SpeedButtonQOCClick);
    ConnectGuarded(ImportadaContattiDaFile, &QAction::triggered, this,
                   &TMainForm::ImportadaContattiDaFileClick);
    ConnectGuarded(SpeedButtonEportToday, &QToolButton::clicked, this,
                   &TMainForm::SpeedButtonEportTodayClick);
    ConnectGuarded(SpeedButtonExportTodo, &QToolButton::clicked, this,
                   &TMainForm::SpeedButtonExportTodoClick);
}

} // namespace qm
