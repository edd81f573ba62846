#include "desktop/IconHide.h"

#include "desktop/CoolTrayIcon.h"
#include "desktop/X11Window.h"

#include <QEvent>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <utility>

namespace qm {

namespace {

bool g_hidden = false;
int g_changes = 0;

QList<QPointer<QWidget>>& Windows() {
    static QList<QPointer<QWidget>> windows;
    return windows;
}

constexpr const char* kSkipTaskbar = "_NET_WM_STATE_SKIP_TASKBAR";

// `onScreen` is false while the window is being shown: it is not mapped yet, and the window manager
// reads the property when it maps it. A mapped window belongs to the window manager, which is asked;
// with none running nobody else would change the property, so it is changed here.
void Apply(QWidget* window, bool onScreen) {
    if (!window || !x11::Available())
        return;
    const bool on = TIconHide::SkipsTaskbar(window);
    if (onScreen) {
        x11::AskWindowManager(window, kSkipTaskbar, on);
        if (!x11::WindowManagerRuns())
            x11::SetStateProperty(window, kSkipTaskbar, on);
    } else {
        x11::SetStateProperty(window, kSkipTaskbar, on);
    }
}

// Once the window manager has mapped the window or changed its state: it may have dropped the state
// meanwhile (a window it withdraws loses it, and a hide just before a show is withdrawn after the
// show set it), so the state is asked for again whenever it differs.
void Verify(QWidget* window) {
    if (window->isVisible() && x11::HasState(window, kSkipTaskbar) != TIconHide::SkipsTaskbar(window))
        Apply(window, true);
}

// The state is set on each show, before the window is mapped, and checked again once it is on the
// screen and after each change of its state (minimised, restored, maximised).
class ShowWatcher : public QObject {
public:
    explicit ShowWatcher(QWidget* window) : QObject(window), m_window(window) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Show) {
            Apply(m_window, false);
            WatchExposure();
        } else if (watched == m_window && event->type() == QEvent::WindowStateChange) {
            if (m_window->isVisible())
                Verify(m_window);
            else
                Apply(m_window, false);
        } else if (watched == m_handle && event->type() == QEvent::Expose) {
            const bool exposed = m_handle->isExposed();
            if (exposed && !m_exposed)
                Verify(m_window);
            m_exposed = exposed;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void WatchExposure() {
        QWindow* handle = m_window->windowHandle();
        if (!handle || handle == m_handle)
            return;
        if (m_handle)
            m_handle->removeEventFilter(this);
        m_handle = handle;
        m_exposed = handle->isExposed();
        handle->installEventFilter(this);
    }

    QWidget* m_window;
    QPointer<QWindow> m_handle;
    bool m_exposed = false;
};

} // namespace

TIconHide::TIconHide(QWidget* window) {
    if (window) {
        Windows().append(window);
        new ShowWatcher(window);
    }
    SetHidden(true);
}

bool TIconHide::Hidden() const {
    return g_hidden;
}

void TIconHide::SetHidden(bool hidden) {
    if (hidden == g_hidden)
        return;
    g_hidden = hidden;
    ++g_changes;
    Refresh();
}

void TIconHide::Refresh() {
    QList<QPointer<QWidget>>& windows = Windows();
    windows.removeAll(nullptr);
    for (QWidget* window : std::as_const(windows))
        Apply(window, window->isVisible());
}

bool TIconHide::SkipsTaskbar(const QWidget* window) {
    return g_hidden && (TCoolTrayIcon::TrayAvailable() || (window && !window->isMinimized()));
}

int TIconHide::ChangeCount() {
    return g_changes;
}

void TIconHide::ResetForTest() {
    g_hidden = false;
    g_changes = 0;
}

} // namespace qm
