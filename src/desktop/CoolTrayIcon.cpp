#include "desktop/CoolTrayIcon.h"

#include "desktop/X11Window.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QWindowStateChangeEvent>
#include <algorithm>
#include <optional>

namespace qm {

namespace {

std::optional<bool> g_pretendAvailable;

bool Pretending() {
    return g_pretendAvailable.has_value();
}

// The icon's window on X11 is one of the program's windows, so an open modal question blocks the
// clicks on it and the toolkit drops them unseen. They are caught before that: a press on the icon
// while a question is open brings the question to the front.
class BlockedIconPress : public QAbstractNativeEventFilter {
public:
    explicit BlockedIconPress(TCoolTrayIcon* icon) : m_icon(icon) {}

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || !QApplication::activeModalWidget())
            return false;
        const uint32_t window = x11::PressedWindow(message);
        if (window != 0 && IsIconWindow(window))
            QTimer::singleShot(0, m_icon, [icon = m_icon] { icon->BringModalForward(); });
        return false;
    }

private:
    static bool IsIconWindow(uint32_t window) {
        const QWidgetList windows = QApplication::topLevelWidgets();
        return std::any_of(windows.begin(), windows.end(), [window](const QWidget* widget) {
            return widget->inherits("QSystemTrayIconSys") && uint32_t(widget->internalWinId()) == window;
        });
    }

    TCoolTrayIcon* m_icon;
};

} // namespace

namespace TraySeam {
void PretendAvailable(bool available) {
    g_pretendAvailable = available;
}
void Reset() {
    g_pretendAvailable.reset();
}
} // namespace TraySeam

bool TCoolTrayIcon::TrayAvailable() {
    if (g_pretendAvailable)
        return *g_pretendAvailable;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

TCoolTrayIcon::TCoolTrayIcon(QWidget* owner) : QObject(owner), m_owner(owner) {
    setObjectName(QStringLiteral("CoolTrayIcon"));
    m_tray = new QSystemTrayIcon(this);
    connect(m_tray, &QSystemTrayIcon::activated, this, &TCoolTrayIcon::HandleActivation);
    m_cycleTimer = new QTimer(this);
    connect(m_cycleTimer, &QTimer::timeout, this, &TCoolTrayIcon::TimerCycle);
    m_watchTimer = new QTimer(this);
    m_watchTimer->setObjectName(QStringLiteral("TrayWatch"));
    m_watchTimer->setInterval(TrayWatchInterval);
    connect(m_watchTimer, &QTimer::timeout, this, &TCoolTrayIcon::TimerTrayWatch);
    if (!TrayAvailable())
        m_watchTimer->start();
    m_popupDelay = new QTimer(this);
    m_popupDelay->setSingleShot(true);
    m_popupDelay->setInterval(PopupDelayLimit);
    connect(m_popupDelay, &QTimer::timeout, this, &TCoolTrayIcon::ShowPendingPopup);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive && m_popupDelay->isActive())
            ShowPendingPopup();
    });
    m_settleTimer = new QTimer(this);
    m_settleTimer->setObjectName(QStringLiteral("TraySettle"));
    m_settleTimer->setInterval(SettleInterval);
    connect(m_settleTimer, &QTimer::timeout, this, &TCoolTrayIcon::TimerSettle);
    if (owner)
        owner->installEventFilter(this);
    m_pressWatch = std::make_unique<BlockedIconPress>(this);
    QCoreApplication::instance()->installNativeEventFilter(m_pressWatch.get());
}

TCoolTrayIcon::~TCoolTrayIcon() {
    QCoreApplication::instance()->removeNativeEventFilter(m_pressWatch.get());
    // The icon leaves the notification area before its owner goes.
    m_tray->hide();
}

void TCoolTrayIcon::SetIconList(const QList<QIcon>& list) {
    m_iconList = list;
    SetIconIndex(0);
}

void TCoolTrayIcon::SetCycleIcons(bool cycle) {
    m_cycle = cycle;
    if (cycle)
        SetIconIndex(0);
    if (cycle)
        m_cycleTimer->start();
    else
        m_cycleTimer->stop();
}

int TCoolTrayIcon::CycleInterval() const {
    return m_cycleTimer->interval();
}

void TCoolTrayIcon::SetCycleInterval(int milliseconds) {
    m_cycleTimer->setInterval(milliseconds);
}

void TCoolTrayIcon::SetHint(const QString& hint) {
    m_hint = hint;
    ModifyIcon();
}

void TCoolTrayIcon::SetShowHint(bool show) {
    m_showHint = show;
    ModifyIcon();
}

void TCoolTrayIcon::SetIcon(const QIcon& icon) {
    m_icon = icon;
    ModifyIcon();
}

void TCoolTrayIcon::SetIconVisible(bool visible) {
    if (visible)
        ShowIcon();
    else
        HideIcon();
}

void TCoolTrayIcon::SetIconIndex(int index) {
    if (m_iconList.isEmpty()) {
        m_iconIndex = 0;
    } else {
        // Out-of-range indexes show the nearest image rather than nothing.
        m_iconIndex = std::clamp(index, 0, int(m_iconList.size()) - 1);
        m_icon = m_iconList[m_iconIndex];
    }
    ModifyIcon();
}

void TCoolTrayIcon::SetPopupMenu(QMenu* menu) {
    m_menu = menu;
}

QString TCoolTrayIcon::ShownTip() const {
    return m_showHint ? m_hint.left(MaxHintLength) : QString();
}

void TCoolTrayIcon::ApplyIcon() {
    m_shownIcon = m_icon;
    if (Pretending())
        return;
    m_tray->setIcon(m_icon);
    m_tray->setToolTip(ShownTip());
}

bool TCoolTrayIcon::ShowIcon() {
    m_visible = true;
    if (!TrayAvailable()) {
        if (!m_watchTimer->isActive())
            m_watchTimer->start();
        return false;
    }
    ApplyIcon();
    m_inArea = true;
    if (!Pretending())
        m_tray->show();
    return true;
}

bool TCoolTrayIcon::HideIcon() {
    m_visible = false;
    m_inArea = false;
    if (!Pretending())
        m_tray->hide();
    return TrayAvailable();
}

bool TCoolTrayIcon::ModifyIcon() {
    if (!TrayAvailable())
        return false;
    ApplyIcon();
    return true;
}

void TCoolTrayIcon::TimerTrayWatch() {
    if (!TrayAvailable())
        return;
    m_watchTimer->stop();
    if (m_visible)
        ShowIcon();
    emit TrayAppeared();
}

void TCoolTrayIcon::ShowMainForm() {
    if (!m_owner)
        return;
    // A window already up (called again by a second click) only comes forward.
    m_comingBack = !(m_owner->isVisible() && !m_owner->isMinimized() && x11::Viewable(m_owner));
    m_settleClock.start();
    m_settleTimer->start();
    RestoreOwner();
    // Mapped by the window manager as a normal window, it is up: seen on its first exposure.
    QWindow* handle = m_owner->windowHandle();
    if (handle && handle != m_ownerHandle) {
        if (m_ownerHandle)
            m_ownerHandle->removeEventFilter(this);
        m_ownerHandle = handle;
        handle->installEventFilter(this);
    }
}

void TCoolTrayIcon::RestoreOwner() {
    // A window put away from the iconic state still says so to the window manager; mapped like
    // that, it would come up iconic and be put away again.
    if (!m_owner->isVisible())
        x11::ForgetIconicState(m_owner);
    if (m_owner->isMinimized())
        m_owner->setWindowState(m_owner->windowState() & ~Qt::WindowMinimized);
    m_owner->setVisible(true);
}

void TCoolTrayIcon::StopComingBack() {
    m_comingBack = false;
    m_settleTimer->stop();
}

void TCoolTrayIcon::TimerSettle() {
    if (!m_owner || !m_owner->isVisible() || m_settleClock.elapsed() > SettleLimit) {
        StopComingBack();
        return;
    }
    if (m_owner->isMinimized()) {
        // Iconic before it was ever up: the window manager's doing, undone. Once up: the user's.
        if (m_comingBack)
            RestoreOwner();
        else
            StopComingBack();
        return;
    }
    if (!x11::Viewable(m_owner))
        return; // not mapped yet
    m_comingBack = false;
    // Elsewhere than on X11 the desktop activates the window it shows.
    if (!x11::Available()) {
        StopComingBack();
        return;
    }
    // A question of the program that is open keeps the input; it comes forward with the window.
    QWidget* front = QApplication::activeModalWidget();
    if (!front)
        front = m_owner;
    if (x11::Active(front)) {
        StopComingBack();
        return;
    }
    front->raise();
    front->activateWindow();
}

void TCoolTrayIcon::BringModalForward() {
    if (QWidget* question = QApplication::activeModalWidget()) {
        question->raise();
        question->activateWindow();
    }
}

void TCoolTrayIcon::HideMainForm() {
    if (!m_owner)
        return;
    StopComingBack();
    // Without a notification area a hidden window could not be called back.
    if (TrayAvailable())
        m_owner->setVisible(false);
    else if (!m_owner->isMinimized())
        m_owner->setWindowState(m_owner->windowState() | Qt::WindowMinimized);
}

void TCoolTrayIcon::DoMinimizeToTray() {
    HideMainForm();
    SetIconVisible(true);
}

bool TCoolTrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ownerHandle && event->type() == QEvent::Expose && m_ownerHandle->isExposed() &&
        !m_owner->isMinimized())
        m_comingBack = false;
    if (watched == m_owner && event->type() == QEvent::WindowStateChange && m_minimizeToTray &&
        TrayAvailable() && m_owner->isMinimized()) {
        // Hidden once the state change has been handled, so the window manager sees a plain hide.
        // Iconic while coming back, before it was ever up, is the window manager still handling
        // the earlier going away, not the user: the window is restored instead.
        QTimer::singleShot(0, this, [this] {
            if (!m_owner || !m_owner->isMinimized())
                return;
            if (m_comingBack)
                RestoreOwner();
            else if (m_minimizeToTray)
                DoMinimizeToTray();
        });
    }
    return QObject::eventFilter(watched, event);
}

void TCoolTrayIcon::HandleActivation(QSystemTrayIcon::ActivationReason reason) {
    if (!m_enabled)
        return;
    // The menu would start things under an open question (a second quit road over the first).
    if (reason == QSystemTrayIcon::Context && QApplication::activeModalWidget()) {
        BringModalForward();
        return;
    }
    const QPoint at = QCursor::pos();
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        emit MouseDown(Qt::LeftButton, at);
        if (m_leftPopup)
            PopupAtCursor();
        emit Click();
        emit MouseUp(Qt::LeftButton, at);
        break;
    case QSystemTrayIcon::DoubleClick:
        emit DblClick();
        if (m_menu && !m_leftPopup) {
            if (QAction* item = m_menu->defaultAction())
                item->trigger();
        }
        emit MouseUp(Qt::LeftButton, at);
        break;
    case QSystemTrayIcon::Context:
        emit MouseDown(Qt::RightButton, at);
        PopupAtCursor();
        emit MouseUp(Qt::RightButton, at);
        break;
    case QSystemTrayIcon::MiddleClick:
        emit MouseDown(Qt::MiddleButton, at);
        emit MouseUp(Qt::MiddleButton, at);
        break;
    case QSystemTrayIcon::Unknown:
        break;
    }
}

void TCoolTrayIcon::PopupAtCursor() {
    if (!m_menu || !m_menu->isEnabled())
        return;
    m_lastPopup = QCursor::pos();
    ++m_popupCount;
    if (Pretending())
        return;
    // The toolkit learns that the program lost the input a while after its last window went away
    // (put into the tray a moment ago), and closes every menu then: a menu asked for meanwhile
    // waits for that moment, or a short while at most.
    const QWindow* focus = QGuiApplication::focusWindow();
    if (QGuiApplication::applicationState() == Qt::ApplicationActive && (!focus || !focus->isVisible())) {
        m_popupDelay->start();
        return;
    }
    ShowPendingPopup();
}

void TCoolTrayIcon::ShowPendingPopup() {
    m_popupDelay->stop();
    if (m_menu && m_menu->isEnabled())
        m_menu->popup(m_lastPopup);
}

void TCoolTrayIcon::TimerCycle() {
    if (m_iconList.isEmpty())
        return;
    const int count = int(m_iconList.size());
    m_icon = m_iconList[std::clamp(m_iconIndex, 0, count - 1)];
    emit Cycle(m_iconIndex >= count - 1 ? 0 : m_iconIndex + 1);
    ModifyIcon();
    SetIconIndex(m_iconIndex >= count - 1 ? 0 : m_iconIndex + 1);
}

} // namespace qm
