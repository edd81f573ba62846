#include "app/MainForm.h"
#include "engine/EngineError.h"
#include "engine/Session.h"
#include "exchange/ICalendar.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"
#include "platform/widgets/PageControl.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>

namespace qm {

namespace {

const QString kIcsFilter = QStringLiteral("iCalendar files (*.ics)|*.ics");

// A large calendar takes a while: the pointer says so meanwhile.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

void TMainForm::ConnectCalendarFiles() {
    // Before "Cancel" and its separator, after the other actions on the list.
    QAction* before = PopupMenuTabelle->actions().value(PopupMenuTabelle->actions().size() - 2);
    CalendarSeparator = PopupMenuTabelle->insertSeparator(before);
    ExportCalendar1 = new QAction(QStringLiteral("Export calendar (visibles)..."), PopupMenuTabelle);
    ExportCalendarAll1 =
        new QAction(QStringLiteral("Export calendar (all appointments)..."), PopupMenuTabelle);
    ImportCalendar1 = new QAction(QStringLiteral("Import calendar..."), PopupMenuTabelle);
    for (QAction* action : {ExportCalendar1, ExportCalendarAll1, ImportCalendar1})
        PopupMenuTabelle->insertAction(before, action);
    ExportCalendar1->setObjectName(QStringLiteral("ExportCalendar1"));
    ExportCalendarAll1->setObjectName(QStringLiteral("ExportCalendarAll1"));
    ImportCalendar1->setObjectName(QStringLiteral("ImportCalendar1"));
    ConnectGuarded(PopupMenuTabelle, &QMenu::aboutToShow, this, &TMainForm::CalendarMenuPopup);
    ConnectGuarded(ExportCalendar1, &QAction::triggered, this, [this] { ExportCalendar1Click(); });
    ConnectGuarded(ExportCalendarAll1, &QAction::triggered, this, [this] { ExportCalendarAll1Click(); });
    ConnectGuarded(ImportCalendar1, &QAction::triggered, this, [this] { ImportCalendar1Click(); });
}

TQuery* TMainForm::CalendarListQuery() const {
    QWidget* page = PageControlMenu->currentWidget();
    if (page == TabSheetShot)
        return QueryShot;
    if (page == TabSheetYEAR)
        return QueryYear;
    if (page == TabSheetMonth)
        return QueryMonth;
    if (page == TabSheetWEEK)
        return QueryWeek;
    return nullptr;
}

// The calendar items belong to the four appointment lists only.
void TMainForm::CalendarMenuPopup() {
    TQuery* list = CalendarListQuery();
    for (QAction* action : {CalendarSeparator, ExportCalendar1, ExportCalendarAll1, ImportCalendar1})
        action->setVisible(list != nullptr);
    if (list)
        ExportCalendar1->setEnabled(list->Active() && list->RecordCount() > 0);
}

bool TMainForm::AskCalendarFile(const QString& proposed) {
    SaveDialogICS.InitialDir = UserComp1.Desktop;
    SaveDialogICS.Filter = kIcsFilter;
    SaveDialogICS.DefaultExt = QStringLiteral("ics");
    SaveDialogICS.FileName = proposed;
    return SaveDialogICS.Execute(this);
}

void TMainForm::ExportCalendar1Click() {
    TQuery* list = CalendarListQuery();
    if (!list ||
        !AskCalendarFile(PageControlMenu->tabText(PageControlMenu->currentIndex()) + QStringLiteral(".ics")))
        return;
    int written = 0;
    QString error;
    bool done = false;
    {
        const WaitCursor wait;
        done = ExportAppointmentsToIcs(*list, SaveDialogICS.FileName, CalendarUidSeed(ArchiveFolder),
                                       &written, &error);
    }
    if (!done)
        MessageBox(error, MsgCaption, MsgOk + MsgExclamation);
}

void TMainForm::ExportCalendarAll1Click() {
    if (!AskCalendarFile(QStringLiteral("Appointments.ics")))
        return;
    int written = 0;
    QString error;
    bool done = false;
    {
        const WaitCursor wait;
        done = ExportAllAppointmentsToIcsFile(AliasName, SaveDialogICS.FileName, &written, &error);
    }
    if (!done)
        MessageBox(error, MsgCaption, MsgOk + MsgExclamation);
}

void TMainForm::ImportCalendar1Click() {
    OpenDialogICS.InitialDir = UserComp1.Desktop;
    OpenDialogICS.Filter = kIcsFilter;
    OpenDialogICS.DefaultExt = QStringLiteral("ics");
    if (!OpenDialogICS.Execute(this))
        return;
    QString text;
    bool imported = false;
    {
        const WaitCursor wait;
        imported = ImportCalendarFile(OpenDialogICS.FileName, &text);
    }
    MessageBox(text, MsgCaption, MsgOk + (imported ? MsgInformation : MsgExclamation));
}

bool TMainForm::ImportCalendarFile(const QString& fileName, QString* text) {
    IcsImportSummary summary;
    QString error;
    if (!ImportIcsFile(AliasName, fileName, &summary, &error)) {
        *text = error;
        return false;
    }
    *text = summary.Text(fileName);
    if (summary.Added() == 0)
        return true;
    // The lists show the new entries, the Tasks list and the alarms follow.
    RefreshShotQuery();
    RefreshYearQuery();
    RefreshMonthQuery();
    RefreshWeekQuery();
    if (PageControlMenu->currentWidget() == TabSheetTODAY)
        RefreshTodayQuery();
    return true;
}

TMainInstance::Answer TMainForm::CalledToDo(const QStringList& words) {
    TMainInstance::Answer answer;
    if (words.size() == 2 && words[0] == QLatin1String("import-ics")) {
        try {
            answer.ok = ImportCalendarFile(words[1], &answer.text);
        } catch (const std::exception& error) {
            answer.text = QString::fromLocal8Bit(error.what());
        }
    } else {
        answer.text = QStringLiteral("This copy of Quellmire Organizer does not know the request \"%1\".")
                          .arg(words.value(0));
    }
    return answer;
}

} // namespace qm
