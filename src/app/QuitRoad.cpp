#include "app/MainForm.h"
#include "platform/Application.h"
#include "platform/ColorText.h"
#include "platform/MessageBox.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/PageControl.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace qm {

namespace {

void SetLabelColor(QLabel* label, TColor color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(color));
    label->setPalette(palette);
}

} // namespace

void TMainForm::ConnectQuitRoad() {
    ConnectGuarded(SpeedButtonEXIT, &QToolButton::clicked, this, [this] { SpeedButtonEXITClick(); });
    ConnectGuarded(TimerFlashTempo, &QTimer::timeout, this, [this] { TimerFlashTempoTimer(); });
    // The window is first shown by the start-up timer, once the road has run.
    ConnectGuarded(TimerRitorna, &QTimer::timeout, this, [this] { TimerRitornaTimer(); });
}

void TMainForm::CentreOnScreen() {
    // Moving a window that is to start maximised would make it a normal one again.
    if (windowState() & Qt::WindowMaximized)
        return;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TMainForm::SpeedButtonEXITClick() {
    // The tray's quit item stays off while a question of the road is open, so the road cannot
    // start a second time over the first; it comes back whenever the program keeps running.
    bool quitting = false;
    if (Closequellmire1)
        Closequellmire1->setEnabled(false);
    const auto reenable = qScopeGuard([this, &quitting] {
        if (!quitting && Closequellmire1)
            Closequellmire1->setEnabled(true);
    });
    if (!AskToSaveNoteBeforeQuit())
        return;
    if (CheckBox_TimeCheck->isChecked()) {
        PageControlMenu->setCurrentWidget(TabSheetSetup);
        PageControlMenuChange();
        TimerFlashTempo->start();
        const int answer = MessageBox(
            QStringLiteral(" Hey! If you quit me, I can't notify you about the tasks at right time! "
                           "Quit anyway?"),
            MsgCaption, MsgYesNo + MsgQuestion);
        TimerFlashTempo->stop();
        SetLabelColor(Label_TimeAlarm, Colors::clWindowText);
        Label_TimeAlarm->setProperty("flashRed", false);
        if (answer != MsgYes)
            return;
    }
    quitting = true;
    m_quitConfirmed = true;
    close();
    QCoreApplication::quit();
}

void TMainForm::TimerFlashTempoTimer() {
    // The warning's red is the one that reads on the tab's colour.
    const bool red = Label_TimeAlarm->property("flashRed").toBool();
    Label_TimeAlarm->setProperty("flashRed", !red);
    if (red)
        SetLabelColor(Label_TimeAlarm, Colors::clWindowText);
    else
        SetReadableTextColor(Label_TimeAlarm, ToQColor(Colors::clRed));
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // The window manager's close goes the same road as the quit button.
    if (m_quitConfirmed) {
        event->accept();
        return;
    }
    event->ignore();
    SpeedButtonEXIT->click();
}

} // namespace qm
