#pragma once

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QIcon>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSystemTrayIcon>
#include <memory>

class QTimer;
class QWidget;
class QWindow;

namespace qm {

// The notification-area icon: one icon with a tip, the mouse turned into events, a menu at the
// cursor, an animation through a list of images, and the owner window put away into the icon when
// it is minimised. Where the desktop has no notification area the window is never hidden away: a
// minimised window stays in the taskbar.
class TCoolTrayIcon : public QObject {
    Q_OBJECT
public:
    // The tip holds at most this many characters.
    static constexpr int MaxHintLength = 63;

    // `owner` is the window that is hidden into the icon and shown again.
    explicit TCoolTrayIcon(QWidget* owner);
    ~TCoolTrayIcon() override;

    // Whether a notification area exists (or a test pretends one does).
    static bool TrayAvailable();

    QList<QIcon> IconList() const { return m_iconList; }
    void SetIconList(const QList<QIcon>& list);
    bool CycleIcons() const { return m_cycle; }
    void SetCycleIcons(bool cycle);
    int CycleInterval() const;
    void SetCycleInterval(int milliseconds);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    QString Hint() const { return m_hint; }
    void SetHint(const QString& hint);
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool show);
    QIcon Icon() const { return m_icon; }
    void SetIcon(const QIcon& icon);
    bool IconVisible() const { return m_visible; }
    void SetIconVisible(bool visible);
    int IconIndex() const { return m_iconIndex; }
    void SetIconIndex(int index);
    QMenu* PopupMenu() const { return m_menu; }
    void SetPopupMenu(QMenu* menu);
    bool LeftPopup() const { return m_leftPopup; }
    void SetLeftPopup(bool on) { m_leftPopup = on; }
    bool StartMinimized() const { return m_startMinimized; }
    void SetStartMinimized(bool on) { m_startMinimized = on; }
    bool MinimizeToTray() const { return m_minimizeToTray; }
    void SetMinimizeToTray(bool on) { m_minimizeToTray = on; }

    bool ShowIcon();
    bool HideIcon();
    bool ModifyIcon();
    // The tip as the notification area receives it.
    QString ShownTip() const;
    // Whether the icon is in the notification area, and the image the area was last given (null
    // while the icon is not there).
    bool IconInArea() const { return m_inArea; }
    QIcon ShownIcon() const { return m_inArea ? m_shownIcon : QIcon(); }

    // A notification area may appear after the program (a panel that starts later at login): while
    // there is none, this timer looks for one and the icon is shown as soon as it appears.
    QTimer* TrayWatchTimer() const { return m_watchTimer; }
    void TimerTrayWatch();
    static constexpr int TrayWatchInterval = 2000;

    // Restores and shows the owner window; puts it away (into the icon, or into the taskbar where
    // there is no notification area).
    void ShowMainForm();
    void HideMainForm();
    // While the owner window is coming back: a window manager may still be handling its going away
    // and map it iconic; until it is seen on the screen the window is brought back again whatever
    // the window manager did, and until it is active it is raised and activated again. The
    // timer's tick checks it.
    bool ComingBack() const { return m_comingBack; }
    void TimerSettle();
    static constexpr int SettleInterval = 50;
    static constexpr int SettleLimit = 3000;
    // A modal question of the program is open: a click on the icon brings it to the front.
    void BringModalForward();

    // What the desktop reports for the icon: a left click, a double click, the context button or
    // the middle button. Public so that the desktop's messages can be replayed.
    void HandleActivation(QSystemTrayIcon::ActivationReason reason);
    // One step of the animation (the cycle timer's tick).
    void TimerCycle();
    // Pops the menu up at the cursor (where the menu is set and enabled); asked for just after
    // the program's last window went away, it comes up once the program has lost the input, after
    // this many milliseconds at most.
    void PopupAtCursor();
    static constexpr int PopupDelayLimit = 600;
    // Set on the last menu pop-up, for tests that cannot see a menu on the screen.
    QPoint LastPopupPosition() const { return m_lastPopup; }
    int PopupCount() const { return m_popupCount; }

    QTimer* CycleTimer() const { return m_cycleTimer; }

signals:
    void Click();
    void DblClick();
    void MouseDown(Qt::MouseButton button, QPoint position);
    void MouseUp(Qt::MouseButton button, QPoint position);
    void Cycle(int nextIndex);
    // A notification area has appeared.
    void TrayAppeared();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DoMinimizeToTray();
    void ApplyIcon();
    void RestoreOwner();
    void ShowPendingPopup();
    void StopComingBack();

    QPointer<QWidget> m_owner;
    QPointer<QWindow> m_ownerHandle;
    QSystemTrayIcon* m_tray = nullptr;
    QTimer* m_cycleTimer = nullptr;
    QTimer* m_watchTimer = nullptr;
    QTimer* m_settleTimer = nullptr;
    QTimer* m_popupDelay = nullptr;
    QElapsedTimer m_settleClock;
    std::unique_ptr<QAbstractNativeEventFilter> m_pressWatch;
    QIcon m_shownIcon;
    bool m_inArea = false;
    QList<QIcon> m_iconList;
    QIcon m_icon;
    QString m_hint;
    QPointer<QMenu> m_menu;
    QPoint m_lastPopup;
    int m_popupCount = 0;
    int m_iconIndex = 0;
    bool m_cycle = false;
    bool m_enabled = true;
    bool m_showHint = false;
    bool m_visible = true;
    bool m_leftPopup = false;
    bool m_startMinimized = false;
    bool m_minimizeToTray = false;
    bool m_comingBack = false;
};

// Test seam: offscreen runs have no notification area; tests may pretend one exists. While
// pretending, nothing reaches the desktop.
namespace TraySeam {
void PretendAvailable(bool available);
void Reset();
} // namespace TraySeam

} // namespace qm
