#include "desktop/CoolTrayIcon.h"

#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <QWindowStateChangeEvent>
#include <algorithm>
#include <optional>

namespace qm {

namespace {

std::optional<bool> g_pretendAvailable;

bool Pretending() {
    return g_pretendAvailable.has_value();
}

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
    if (owner)
        owner->installEventFilter(this);
}

TCoolTrayIcon::~TCoolTrayIcon() {
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
    if (m_owner->isMinimized())
        m_owner->setWindowState(m_owner->windowState() & ~Qt::WindowMinimized);
    m_owner->setVisible(true);
}

void TCoolTrayIcon::HideMainForm() {
    if (!m_owner)
        return;
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
    if (watched == m_owner && event->type() == QEvent::WindowStateChange && m_minimizeToTray &&
        TrayAvailable() && m_owner->isMinimized()) {
        // Hidden once the state change has been handled, so the window manager sees a plain hide.
        QTimer::singleShot(0, this, [this] {
            if (m_owner && m_owner->isMinimized() && m_minimizeToTray)
                DoMinimizeToTray();
        });
    }
    return QObject::eventFilter(watched, event);
}

void TCoolTrayIcon::HandleActivation(QSystemTrayIcon::ActivationReason reason) {
    if (!m_enabled)
        return;
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
