#include "dialogs/SelectForm.h"

#include "app/MainForm.h"
#include "platform/DateFormat.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/Panel.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm {

TSelectForm* SelectForm = nullptr;

TSelectForm::TSelectForm(QWidget* owner)
    : TDialogFrame(owner, {QStringLiteral("Panel_Border"), QStringLiteral("Panel_colored"),
                           QStringLiteral("Panel2")}) {
    setObjectName(QStringLiteral("SelectForm"));
    setWindowTitle(QStringLiteral("-> Calendar"));
    Panel_Border = OuterPanel();
    Panel_colored = BottomPanel();
    Panel2 = InnerPanel();
    Panel2->SetColor(Colors::clWhite);

    MonthCalendar1 = new QCalendarWidget(Panel2);
    MonthCalendar1->setObjectName(QStringLiteral("MonthCalendar1"));
    MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    QPalette pal = MonthCalendar1->palette();
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::black);
    MonthCalendar1->setPalette(pal);
    auto* calendarLayout = new QVBoxLayout(Panel2);
    calendarLayout->setContentsMargins(0, 0, 0, 0);
    calendarLayout->addWidget(MonthCalendar1);

    SpeedButtonKeep = MakeSpeedButton(Panel_colored, QStringLiteral("SpeedButtonKeep"), QStringLiteral("Use"),
                                      QStringLiteral("Use"), QStyle::SP_DialogApplyButton);
    SpeedButton2 = MakeSpeedButton(Panel_colored, QStringLiteral("SpeedButton2"), QStringLiteral("Close"),
                                   QStringLiteral("Close"), QStyle::SP_DialogCloseButton);
    ButtonLayout()->addWidget(SpeedButtonKeep);
    ButtonLayout()->addWidget(SpeedButton2);

    connect(SpeedButtonKeep, &QToolButton::clicked, this, &TSelectForm::SpeedButtonKeepClick);
    connect(SpeedButton2, &QToolButton::clicked, this, &TSelectForm::SpeedButton2Click);
    // A double-click on a day is the calendar's "activated"; Enter never gets that far, the form
    // takes it first.
    connect(MonthCalendar1, &QCalendarWidget::activated, this, &TSelectForm::MonthCalendar1DblClick);
    connect(MonthCalendar1, &QCalendarWidget::currentPageChanged, this,
            &TSelectForm::MonthCalendar1GetMonthInfo);
    SetCalendarTitleColor(Colors::clBtnFace);
}

TSelectForm::~TSelectForm() {
    if (SelectForm == this)
        SelectForm = nullptr;
}

void TSelectForm::SetCalendarTitleColor(TColor color) {
    const QString name = ToQColor(color).name();
    MonthCalendar1->setStyleSheet(
        QStringLiteral("#qt_calendar_navigationbar { background-color: ") + name +
        QStringLiteral("; } #qt_calendar_navigationbar QToolButton { color: black; }"));
}

void TSelectForm::SpeedButtonKeepClick() {
    const QDate date = MonthCalendar1->selectedDate();
    if (MainForm) {
        MainForm->SelectedDate = date;
        MainForm->SelectedMonthDay = FormatDateTime(QStringLiteral("mm/dd"), date).left(5);
    }
    accept();
}

void TSelectForm::SpeedButton2Click() {
    reject();
}

void TSelectForm::MonthCalendar1DblClick() {
    if (m_dblClickArmed)
        SpeedButtonKeep->click();
    m_dblClickArmed = true;
}

void TSelectForm::MonthCalendar1GetMonthInfo() {
    m_dblClickArmed = false;
}

bool TSelectForm::FormKeyPress(QKeyEvent* event, QObject* target) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        SpeedButtonKeep->click();
        return true;
    }
    return TDialogFrame::FormKeyPress(event, target);
}

} // namespace qm
