#include "app/MainForm.h"
#include "desktop/CoolTrayIcon.h"
#include "platform/Application.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

// The program's pictures live in the core library; the reference pulls them into every program
// that links it, so they are registered at start (a static library would otherwise drop them).
static void InitAssets() {
    Q_INIT_RESOURCE(assets);
}

namespace qm {

namespace {

// Five images: the program's own and four with a red dot going round its corners, which is
// what the alarm animation steps through.
QList<QIcon> TrayImages() {
    InitAssets();
    const QPixmap base = QPixmap(QStringLiteral(":/quellmire.png"))
                             .scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QPoint corners[] = {{11, 0}, {11, 11}, {0, 11}, {0, 0}};
    QList<QIcon> images{QIcon(base)};
    for (const QPoint& corner : corners) {
        QPixmap image(16, 16);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.drawPixmap(0, 0, base);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::red);
        painter.drawEllipse(QRect(corner, QSize(5, 5)));
        painter.end();
        images.append(QIcon(image));
    }
    return images;
}

} // namespace

void TMainForm::ConnectWindowShowing() {
    PopupMenuTray = new QMenu(this);
    PopupMenuTray->setObjectName(QStringLiteral("PopupMenuTray"));
    const std::pair<const char*, QWidget*> tabItems[] = {
        {"One Shot", TabSheetShot}, {"Yearly", TabSheetYEAR}, {"Monthly", TabSheetMonth},
        {"Weekly", TabSheetWEEK},   {"Tasks", TabSheetTODAY}, {"Contacts", TabSheetCONTACTS},
        {"Notes", TabSheetNotes},   {"To-Do!", TabSheetToDo}, {"Options", TabSheetSetup}};
    for (const auto& [caption, sheet] : tabItems) {
        QAction* item = PopupMenuTray->addAction(QString::fromLatin1(caption));
        QWidget* const tab = sheet;
        ConnectGuarded(item, &QAction::triggered, this, [this, tab] { TrayTabItemClick(tab); });
        TrayTabItems.append(item);
    }
    PopupMenuTray->addSeparator();
    Open1 = PopupMenuTray->addAction(QApplication::windowIcon(), QStringLiteral("Quellmire Organizer"));
    PopupMenuTray->addSeparator();
    Closequellmire1 = PopupMenuTray->addAction(style()->standardIcon(QStyle::SP_TitleBarCloseButton),
                                               QStringLiteral("Kill the quellmire"));
    ConnectGuarded(Open1, &QAction::triggered, this, [this] { Open1Click(); });
    ConnectGuarded(Closequellmire1, &QAction::triggered, this, [this] { SpeedButtonEXITClick(); });
    // The section colours may have changed since the menu was last shown.
    ConnectGuarded(PopupMenuTray, &QMenu::aboutToShow, this, [this] { RefreshTrayMenuImages(); });

    // The two buttons that put the window away sit before "Stay on top".
    SpeedButton_MINIMIZE = MakeSpeedButton(panel_credit0, QStringLiteral("SpeedButton_MINIMIZE"), QString(),
                                           QStringLiteral("Minimize"), QStyle::SP_TitleBarMinButton);
    SpeedButton20 = MakeSpeedButton(panel_credit0, QStringLiteral("SpeedButton20"), QString(),
                                    QStringLiteral("Place in tray"), QStyle::SP_ArrowDown);
    // The caption gives way to them, so the window keeps its smallest width.
    panel_credit->setSizePolicy(QSizePolicy::Ignored, panel_credit->sizePolicy().verticalPolicy());
    if (auto* bar = qobject_cast<QBoxLayout*>(panel_credit0->layout())) {
        const int at = bar->indexOf(SpeedButtonTOP);
        bar->insertWidget(at < 0 ? bar->count() : at, SpeedButton20);
        bar->insertWidget(at < 0 ? bar->count() : at, SpeedButton_MINIMIZE);
    }
    ConnectGuarded(SpeedButton_MINIMIZE, &QToolButton::clicked, this,
                   [this] { SpeedButton_MINIMIZEClick(); });
    ConnectGuarded(SpeedButton20, &QToolButton::clicked, this, [this] { SpeedButton20Click(); });
    ConnectGuarded(TimerAppari, &QTimer::timeout, this, [this] { TimerAppariTimer(); });

    CoolTrayIcon->SetIconList(TrayImages());
    CoolTrayIcon->SetCycleInterval(300);
    CoolTrayIcon->SetHint(QStringLiteral("Quellmire Organizer"));
    CoolTrayIcon->SetShowHint(true);
    CoolTrayIcon->SetPopupMenu(PopupMenuTray);
    CoolTrayIcon->SetStartMinimized(true);
    CoolTrayIcon->SetMinimizeToTray(true);
    ConnectGuarded(CoolTrayIcon, &TCoolTrayIcon::Click, this, [this] { CoolTrayIconClick(); });
    // Without a notification area the taskbar button was kept as the way back to the window.
    ConnectGuarded(CoolTrayIcon, &TCoolTrayIcon::TrayAppeared, this, [] { TIconHide::Refresh(); });
    CoolTrayIcon->SetIconVisible(CoolTrayIcon->IconVisible());

    // The stored value; the first write of the process keeps the entry that is there, and the
    // settings row then decides.
    LumidorAutostart.SetAutostart(false);
}

void TMainForm::RefreshTrayMenuImages() {
    for (int i = 0; i < TrayTabItems.size() && i < ImageList_ColoreSezioni.size(); ++i)
        TrayTabItems[i]->setIcon(ImageList_ColoreSezioni[i]);
}

void TMainForm::CoolTrayIconClick() {
    if (isVisible() && !isMinimized()) {
        raise();
        activateWindow();
        // A window kept on top and already shown only comes forward.
        if (SpeedButtonTOP->isChecked() && WindowMinimized == 0)
            return;
    }
    TimerAppari->start();
}

void TMainForm::Open1Click() {
    CoolTrayIconClick();
}

void TMainForm::TrayTabItemClick(QWidget* tabSheet) {
    Open1->trigger();
    {
        const QSignalBlocker blocker(PageControlMenu);
        PageControlMenu->setCurrentWidget(tabSheet);
    }
    PageControlMenuChange();
}

void TMainForm::TimerRitornaTimer() {
    QString minimized = QStringLiteral("N");
    if (QueryParam->Active() && QueryParam->RecordCount() > 0)
        minimized = QueryParam->FieldByName(QStringLiteral("minimized")).AsString();
    // Without a notification area a window left hidden could never be called up.
    if (minimized == QLatin1String("N") || !TCoolTrayIcon::TrayAvailable())
        CoolTrayIconClick();
    CoolTrayIcon->SetIconIndex(0);
    TimerRitorna->stop();
}

void TMainForm::TimerAppariTimer() {
    TimerAppari->stop();
    WindowMinimized = 0;
    CoolTrayIcon->ShowMainForm();
    if (CoolTrayIcon->CycleIcons()) {
        // An alarm came while the window was away: it opens on the Tasks tab.
        const QSignalBlocker blocker(PageControlMenu);
        PageControlMenu->setCurrentWidget(TabSheetTODAY);
        CoolTrayIcon->SetCycleIcons(false);
    }
    PageControlMenuChange();
    CoolTrayIcon->SetIconIndex(0);
    // A dialog of the program that is open keeps the input; it comes forward with the window.
    QWidget* target = QApplication::activeModalWidget();
    if (!target)
        target = this;
    target->raise();
    target->activateWindow();
}

void TMainForm::SpeedButton_MINIMIZEClick() {
    IconHide1.SetHidden(false);
    CoolTrayIcon->SetMinimizeToTray(false);
    showMinimized();
    WindowMinimized = -1;
}

void TMainForm::SpeedButton20Click() {
    CoolTrayIcon->SetMinimizeToTray(true);
    IconHide1.SetHidden(true);
    // Straight into the icon: minimised first, the window manager would have an iconic window to
    // withdraw, and a call back soon after would race what it still has to do.
    CoolTrayIcon->HideMainForm();
    WindowMinimized = -1;
}

} // namespace qm
