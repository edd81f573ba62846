#include "platform/WindowPlace.h"
#include "platform/X11Connection.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
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

} // namespace qm
