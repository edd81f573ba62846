#include "platform/WindowPlace.h"
#include "platform/X11Connection.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace qm {

void SyncWindowPlace(QWidget* widget) {
    QWindow* window = widget ? widget->windowHandle() : nullptr;
    xcb_connection_t* connection = x11::Connection();
    if (!window || !connection || !widget->isVisible())
        return;
    const auto id = xcb_window_t(widget->winId());
    const x11::Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr));
    if (!geometry)
        return;
    const x11::Reply<xcb_translate_coordinates_reply_t> place(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, id, geometry->root, 0, 0), nullptr));
    if (!place)
        return;
    // The server counts device pixels; the window counts them scaled, from its screen's corner.
    QPoint truth(place->dst_x, place->dst_y);
    if (const qreal ratio = window->devicePixelRatio(); ratio != 1.0 && window->screen()) {
        const QPoint origin = window->screen()->geometry().topLeft();
        truth = origin + (truth - origin) / ratio;
    }
    if (window->position() != truth)
        window->setPosition(truth);
}

QRect FitOnScreen(const QRect& wanted, const QRect& area, const QSize& least) {
    if (area.isEmpty())
        return wanted;
    const QSize size = wanted.size().boundedTo(area.size()).expandedTo(least);
    const int x = std::max(area.left(), std::min(wanted.x(), area.right() + 1 - size.width()));
    const int y = std::max(area.top(), std::min(wanted.y(), area.bottom() + 1 - size.height()));
    return QRect(QPoint(x, y), size);
}

namespace {

class ScreenKeeper : public QObject {
public:
    ScreenKeeper(QWidget* window, std::function<bool()> placeable)
        : QObject(window), m_window(window), m_placeable(std::move(placeable)) {
        window->installEventFilter(this);
        m_settle.setSingleShot(true);
        m_settle.setInterval(0);
        connect(&m_settle, &QTimer::timeout, this, &ScreenKeeper::Fit);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window &&
            (event->type() == QEvent::Show || event->type() == QEvent::ScreenChangeInternal)) {
            Follow();
            m_settle.start();
        } else if (watched == m_handle && event->type() == QEvent::Expose && m_handle->isExposed() &&
                   !m_exposedOnce) {
            // The first place the window manager gave it, now known for sure.
            m_exposedOnce = true;
            m_settle.start();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // The signals of the screen the window is on now.
    void Follow() {
        QWindow* handle = m_window->windowHandle();
        if (handle && handle != m_handle) {
            if (m_handle)
                m_handle->removeEventFilter(this);
            m_handle = handle;
            m_exposedOnce = handle->isExposed();
            handle->installEventFilter(this);
        }
        QScreen* screen = m_window->screen();
        if (screen == m_screen)
            return;
        if (m_screen)
            disconnect(m_screen, nullptr, this, nullptr);
        m_screen = screen;
        if (!screen)
            return;
        for (auto signal : {&QScreen::availableGeometryChanged, &QScreen::geometryChanged})
            connect(screen, signal, &m_settle, qOverload<>(&QTimer::start));
        connect(screen, &QScreen::logicalDotsPerInchChanged, &m_settle, qOverload<>(&QTimer::start));
    }

    void Fit() {
        Follow();
        // Before the window manager has framed it, the window's place cannot be read for sure; the
        // first exposure comes back here.
        if (!m_window->isVisible() || m_window->isMinimized() || !m_placeable() || !m_screen || !m_handle ||
            !m_handle->isExposed())
            return;
        SyncWindowPlace(m_window);
        const QRect now = m_window->geometry();
        const QRect fitted = FitOnScreen(now, m_screen->availableGeometry(), m_window->minimumSize());
        if (fitted != now)
            m_window->setGeometry(fitted);
    }

    QWidget* m_window;
    std::function<bool()> m_placeable;
    QPointer<QWindow> m_handle;
    QPointer<QScreen> m_screen;
    QTimer m_settle;
    bool m_exposedOnce = false;
};

} // namespace

void KeepOnScreen(QWidget* window, std::function<bool()> placeable) {
    if (window)
        new ScreenKeeper(window, std::move(placeable));
}

} // namespace qm
