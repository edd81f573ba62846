#pragma once

#include "dialogs/DialogFrame.h"

#include <QDate>

class QCalendarWidget;
class QToolButton;

namespace qm {

class TPanel;

// The date picker of the appointment dialogs. Made once, right after the main window, and only
// shown and hidden after that. Callers colour it, set the calendar's date and run it; "Use" writes
// the date to the main window's SelectedDate and SelectedMonthDay, nothing else writes them.
class TSelectForm : public TDialogFrame {
    Q_OBJECT
public:
    explicit TSelectForm(QWidget* owner);
    ~TSelectForm() override;

    TPanel* Panel_Border = nullptr;
    TPanel* Panel_colored = nullptr;
    TPanel* Panel2 = nullptr;
    QCalendarWidget* MonthCalendar1 = nullptr;
    QToolButton* SpeedButtonKeep = nullptr; // "Use"
    QToolButton* SpeedButton2 = nullptr;    // "Close"

    // The background of the calendar's month and year bar.
    void SetCalendarTitleColor(TColor color);

    void SpeedButtonKeepClick();
    void SpeedButton2Click();
    void MonthCalendar1DblClick();
    void MonthCalendar1GetMonthInfo();

    // A double-click picks a date only once an earlier double-click armed the rule and the
    // displayed month has not changed since: the first double-click after a change of month is
    // usually the end of the user's browsing, not a choice.
    bool DblClickArmed() const { return m_dblClickArmed; }

protected:
    bool FormKeyPress(QKeyEvent* event, QObject* target) override;

private:
    bool m_dblClickArmed = false;
};

// The one date picker of the process.
extern TSelectForm* SelectForm;

} // namespace qm
