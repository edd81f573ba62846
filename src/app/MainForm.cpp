#include "app/MainForm.h"

#include "desktop/CoolTrayIcon.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"

#include <QCoreApplication>
#include <QResizeEvent>
#include <QTimer>

namespace qm {

TMainForm* MainForm = nullptr;

TMainForm::TMainForm() : QWidget(nullptr) {
    MainForm = this;
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Quellmire Organizer"));
    resize(640, 480);
    UserComp1.Loaded();
    CoolTrayIcon = new TCoolTrayIcon(this);
    BuildQueries();
    BuildShell();
    BuildAppointmentTabs();
    BuildTodayTab();
    BuildContactsTab();
    BuildNotesTab();
    BuildToDoTab();
    BuildOptionsTab();
    ConnectQuitRoad();
    ConnectWindowShowing();
    ConnectListTabs();
    ConnectToDoTab();
    ConnectContactsTab();
    ConnectShell();
    ConnectWindowLook();
    ConnectTasksView();
    ConnectAlarmClock();
    ConnectOptionsTab();
    ConnectWorkingFolder();
    ConnectNotesTab();
    ConnectExchange();
    ConnectCalendarFiles();
    ConnectAbout();
    ConnectAddressBook();
    FormCreate();
    CentreOnScreen();
}

TMainForm::~TMainForm() {
    // Tearing the window down still moves the focus and sends events; none may reach the window's
    // handlers once it is no longer whole.
    DisconnectShell();
    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::RequestTerminate() {
    m_terminateRequested = true;
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void TMainForm::BuildQueries() {
    const auto makeQuery = [this](const char* name) {
        auto* query = new TQuery(this);
        query->setObjectName(QString::fromLatin1(name));
        return query;
    };
    QueryParam = makeQuery("QueryParam");
    Query_Jolly = makeQuery("Query_Jolly");
    QueryParallelo = makeQuery("QueryParallelo");
    QueryShot = makeQuery("QueryShot");
    QueryYear = makeQuery("QueryYear");
    QueryMonth = makeQuery("QueryMonth");
    QueryWeek = makeQuery("QueryWeek");
    QueryTODAY = makeQuery("QueryTODAY");
    QueryContact = makeQuery("QueryContact");
    QueryToDo = makeQuery("QueryToDo");
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

} // namespace qm
