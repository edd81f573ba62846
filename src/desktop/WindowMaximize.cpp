#include "desktop/WindowMaximize.h"

#include "desktop/X11Window.h"

#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace qm {

namespace {

int g_wait = 1500;

// With no window manager the state on the window is only what the toolkit wrote there itself.
bool ManagerMaximized(const QWidget* window) {
    return x11::WindowManagerRuns() && (x11::HasState(window, "_NET_WM_STATE_MAXIMIZED_VERT") ||
                                        x11::HasState(window, "_NET_WM_STATE_MAXIMIZED_HORZ"));
}

} // namespace

TWindowMaximize::TWindowMaximize(QWidget* window)
    : QObject(window), m_window(window), m_wait(new QTimer(this)) {
    m_wait->setSingleShot(true);
    connect(m_wait, &QTimer::timeout, this, &TWindowMaximize::Check);
    window->installEventFilter(this);
}

void TWindowMaximize::SetWaitForWindowManager(int milliseconds) {
    g_wait = milliseconds;
}

bool TWindowMaximize::IsMaximized() const {
    if (m_here)
        return true;
    if (!m_window->isMaximized())
        return false;
    // The toolkit counts the window maximised from the request on; the window manager says when it is.
    if (!x11::Available() || !m_window->isVisible())
        return true;
    return ManagerMaximized(m_window);
}

void TWindowMaximize::Maximize() {
    if (IsMaximized())
        return;
    m_restoring = false;
    if (!m_window->isMaximized())
        m_normal = m_window->geometry();
    if (x11::Available() && m_window->isVisible() &&
        !x11::WindowManagerSupports("_NET_WM_STATE_MAXIMIZED_VERT")) {
        MaximizeHere();
        return;
    }
    KeepLimits(true);
    m_window->setWindowState((m_window->windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    WatchRequest();
}

void TWindowMaximize::Restore() {
    m_wait->stop();
    if (m_here) {
        m_here = false;
        KeepLimits(false);
        if (m_normal.isValid())
            m_window->setGeometry(m_normal);
        return;
    }
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMaximized);
    // Where the toolkit alone decides (no X11), it has the place from before itself. Under a window
    // manager the limits come back once it has restored the window (see the state change).
    m_restoring = x11::Available() && m_window->isVisible();
    if (!m_restoring)
        KeepLimits(false);
}

void TWindowMaximize::WatchRequest() {
    if (x11::Available() && m_window->isVisible())
        m_wait->start(g_wait);
}

void TWindowMaximize::Check() {
    if (m_window->isVisible() && m_window->isMaximized() && !ManagerMaximized(m_window))
        MaximizeHere();
}

void TWindowMaximize::MaximizeHere() {
    m_wait->stop();
    QScreen* screen = m_window->screen();
    if (!screen)
        return;
    // The request nobody followed is taken back, so that the toolkit's state is the truth again.
    if (m_window->isMaximized())
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMaximized);
    m_here = true;
    KeepLimits(true);
    m_window->setGeometry(screen->availableGeometry());
}

void TWindowMaximize::KeepLimits(bool keep) {
    if (QLayout* layout = m_window->layout())
        layout->setSizeConstraint(keep ? QLayout::SetNoConstraint : QLayout::SetDefaultConstraint);
}

bool TWindowMaximize::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Show && m_window->isMaximized() && !m_here) {
        // Maximised before it was first shown (the stored state at start).
        if (!m_normal.isValid())
            m_normal = m_window->geometry();
        KeepLimits(true);
        QTimer::singleShot(0, this, [this] { WatchRequest(); });
    } else if (event->type() == QEvent::WindowStateChange) {
        if (m_wait->isActive() && ManagerMaximized(m_window))
            m_wait->stop();
        // Back from the window manager's maximised state: the place from before, whatever size the
        // window manager kept.
        if (m_restoring && !m_window->isMaximized() && !ManagerMaximized(m_window)) {
            m_restoring = false;
            const QRect normal = m_normal;
            QTimer::singleShot(0, this, [this, normal] {
                if (IsMaximized())
                    return;
                if (normal.isValid() && m_window->geometry() != normal)
                    m_window->setGeometry(normal);
                KeepLimits(false);
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace qm
