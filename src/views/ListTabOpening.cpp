#include "app/MainForm.h"
#include "engine/Query.h"
#include "platform/Application.h"
#include "views/ListTabSupport.h"

#include <QEvent>
#include <QTimer>
#include <QWindow>

namespace qm {

namespace {

// Starts the idle opening of the waiting lists once the window has been exposed and painted, so
// that they never hold up its first showing.
class FirstExposure : public QObject {
public:
    explicit FirstExposure(TMainForm* form) : QObject(form), m_form(form) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && m_form->windowHandle() == watched &&
            m_form->windowHandle()->isExposed()) {
            TMainForm* form = m_form;
            QTimer::singleShot(0, form, [form] { form->OpenNextDeferredList(); });
            qApp->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    TMainForm* m_form;
};

} // namespace

void TMainForm::DeferStartupLists() {
    const std::pair<TQuery*, void (TMainForm::*)()> lists[] = {
        {QueryMonth, &TMainForm::RefreshMonthQuery}, {QueryWeek, &TMainForm::RefreshWeekQuery},
        {QueryYear, &TMainForm::RefreshYearQuery},   {QueryShot, &TMainForm::RefreshShotQuery},
        {QueryToDo, &TMainForm::RefreshToDoQuery},   {QueryContact, &TMainForm::RefreshContactQuery}};
    for (const auto& [query, refresh] : lists) {
        const auto open = refresh;
        {
            const ListStatementsOnly statementsOnly;
            Guarded([this, open] { (this->*open)(); });
        }
        // A list whose statement cannot run (a missing or damaged table) fails at start, as
        // it always did, so that its message comes with the start.
        if (query->Prepares())
            query->DeferOpen([this, open] { OpenListAsAtStart(open); });
        else
            Guarded([this, open] { (this->*open)(); });
    }
    // A start-up box left open a while lets the window show before the lists wait for it.
    if (windowHandle() && windowHandle()->isExposed())
        QTimer::singleShot(0, this, [this] { OpenNextDeferredList(); });
    else
        qApp->installEventFilter(new FirstExposure(this));
}

void TMainForm::OpenListAsAtStart(void (TMainForm::*refresh)()) {
    // At start the lists open before the alarm reload is armed, and the Tasks list is then
    // marked clean: a list opened later leaves both as they are.
    const int todayDirty = TodayDirty;
    const int alarmReloadArmed = AlarmReloadArmed;
    AlarmReloadArmed = 0;
    Guarded([this, refresh] { (this->*refresh)(); });
    TodayDirty = todayDirty;
    AlarmReloadArmed = alarmReloadArmed;
}

void TMainForm::OpenNextDeferredList() {
    // The alarm list first: the alarm check walks it every second.
    for (TQuery* query :
         {QueryParallelo, QueryMonth, QueryWeek, QueryYear, QueryShot, QueryToDo, QueryContact}) {
        if (query->OpenPending()) {
            if (query == QueryParallelo)
                query->RunPendingOpen();
            else
                query->RunPendingOpenAhead();
            QTimer::singleShot(0, this, [this] { OpenNextDeferredList(); });
            return;
        }
    }
}

} // namespace qm
