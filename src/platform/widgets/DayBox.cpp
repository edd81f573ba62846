#include "platform/widgets/DayBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionComboBox>

namespace qm {

TDayBox::TDayBox(QWidget* parent, const QString& objectName) : QDateEdit(parent) {
    setObjectName(objectName);
    setCalendarPopup(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    setFocusPolicy(Qt::StrongFocus);
}

// Every month on every weekday, on two-digit days: the widest text the format gives.
int TDayBox::LongestDateWidth() const {
    const QFontMetrics metrics(font());
    int widest = 0;
    for (int month = 1; month <= 12; ++month)
        for (int day = 22; day <= 28; ++day)
            widest = std::max(
                widest, metrics.horizontalAdvance(
                            locale().toString(QDate(2026, month, day), displayFormat()) + QLatin1Char(' ')));
    return widest;
}

QSize TDayBox::sizeHint() const {
    // Measured as the date edit measures its own texts, with the calendar's drop-down arrow.
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.frame = hasFrame();
    option.subControls = QStyle::SC_ComboBoxFrame | QStyle::SC_ComboBoxEditField | QStyle::SC_ComboBoxArrow;
    option.editable = true;
    const QSize contents(LongestDateWidth() + 2, lineEdit()->sizeHint().height());
    const QSize own = style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, this);
    return own.expandedTo(QDateEdit::sizeHint());
}

QSize TDayBox::minimumSizeHint() const {
    return sizeHint();
}

void TDayBox::ShowCalendar() {
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.editable = true;
    option.subControls = QStyle::SC_All;
    const QRect arrow = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this);
    const QPointF at = arrow.isValid() ? QPointF(arrow.center()) : QPointF(width() - 4, height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QDateEdit::mousePressEvent(&press);
}

void TDayBox::keyPressEvent(QKeyEvent* event) {
    const bool alt = event->modifiers() & Qt::AltModifier;
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F4:
        ShowCalendar();
        return;
    case Qt::Key_Down:
        if (alt)
            ShowCalendar();
        else
            setDate(date().addDays(-1));
        return;
    case Qt::Key_Up:
        setDate(date().addDays(1));
        return;
    case Qt::Key_PageUp:
        setDate(date().addMonths(1));
        return;
    case Qt::Key_PageDown:
        setDate(date().addMonths(-1));
        return;
    default:
        // Nothing is typed into the day; other keys go on to the window.
        if (event->text().isEmpty() || !event->text().front().isPrint() ||
            (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            event->ignore();
        else
            event->accept();
        return;
    }
}

} // namespace qm
