#pragma once

#include <QDateEdit>

namespace qm {

// A day shown in a long format, chosen on a drop-down calendar and never typed. It is as wide as the
// longest date of its format in the current locale and font, and it is worked from the keyboard:
// Up and Down step a day forward and back, Page Up and Page Down a month; Space, Enter, F4 or Alt+Down open
// the calendar.
class TDayBox : public QDateEdit {
    Q_OBJECT
public:
    explicit TDayBox(QWidget* parent = nullptr, const QString& objectName = QString());

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Opens the drop-down calendar, as a click on the arrow does.
    void ShowCalendar();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int LongestDateWidth() const;
};

} // namespace qm
