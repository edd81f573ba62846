#include "platform/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace qm {

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&free)>;

xcb_connection_t* X11Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace

void SyncWindowPlace(QWidget* widget) {
    QWindow* window = widget ? widget->windowHandle() : nullptr;
    xcb_connection_t* connection = X11Connection();
    if (!window || !connection || !widget->isVisible())
        return;
    const auto id = xcb_window_t(widget->winId());
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr), &free);
    if (!geometry)
        return;
    const Reply<xcb_translate_coordinates_reply_t> place(
        xcb_translate_coordinates_reply(
            connection, xcb_translate_coordinates(connection, id, geometry->root, 0, 0), nullptr),
        &free);
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
