#include "desktop/IconHide.h"

#include "desktop/CoolTrayIcon.h"

#include <QEvent>
#include <QGuiApplication>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <cstring>
#include <memory>
#include <utility>
#include <xcb/xcb.h>

namespace qm {

namespace {

bool g_hidden = false;
int g_changes = 0;

QList<QPointer<QWidget>>& Windows() {
    static QList<QPointer<QWidget>> windows;
    return windows;
}

// --- X11: _NET_WM_STATE_SKIP_TASKBAR ---

constexpr uint32_t kNetWmStateRemove = 0;
constexpr uint32_t kNetWmStateAdd = 1;
constexpr uint32_t kSourceApplication = 1;

xcb_connection_t* X11Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// A window not on the screen carries the state as its own property; the window manager reads it
// when the window is mapped.
void SetStateProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t state, xcb_atom_t skip,
                      bool on) {
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, state, XCB_ATOM_ATOM, 0, 1024);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &free);
    QList<xcb_atom_t> atoms;
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        atoms = QList<xcb_atom_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
    }
    if (atoms.contains(skip) == on)
        return;
    if (on)
        atoms.append(skip);
    else
        atoms.removeAll(skip);
    if (atoms.isEmpty())
        xcb_delete_property(connection, window, state);
    else
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                            uint32_t(atoms.size()), atoms.constData());
}

// A window on the screen (or minimised) belongs to the window manager, which is asked.
void AskWindowManager(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t state, xcb_atom_t skip,
                      bool on) {
    const xcb_get_geometry_cookie_t cookie = xcb_get_geometry(connection, window);
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&free)> geometry(
        xcb_get_geometry_reply(connection, cookie, nullptr), &free);
    if (!geometry)
        return;
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = state;
    event.data.data32[0] = on ? kNetWmStateAdd : kNetWmStateRemove;
    event.data.data32[1] = skip;
    event.data.data32[2] = 0;
    event.data.data32[3] = kSourceApplication;
    xcb_send_event(connection, 0, geometry->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
}

// True when a window manager that follows the desktop conventions runs: it then owns the state of
// mapped windows. Without one, nobody else reads or changes the property.
bool WindowManagerRuns(xcb_connection_t* connection, xcb_window_t root) {
    const xcb_atom_t check = Atom(connection, "_NET_SUPPORTING_WM_CHECK");
    if (check == XCB_ATOM_NONE)
        return false;
    std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr),
        &free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return false;
    const xcb_window_t child = *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&free)> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, child), nullptr), &free);
    return child != XCB_WINDOW_NONE && geometry != nullptr;
}

// `onScreen` is false while the window is being shown: it is not mapped yet.
void Apply(QWidget* window, bool onScreen) {
    xcb_connection_t* connection = X11Connection();
    if (!connection || !window || !window->testAttribute(Qt::WA_WState_Created))
        return;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t state = Atom(connection, "_NET_WM_STATE");
    const xcb_atom_t skip = Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    if (state == XCB_ATOM_NONE || skip == XCB_ATOM_NONE)
        return;
    const bool on = TIconHide::SkipsTaskbar(window);
    if (onScreen) {
        AskWindowManager(connection, id, state, skip, on);
        const xcb_setup_t* setup = xcb_get_setup(connection);
        const xcb_screen_t* screen = setup ? xcb_setup_roots_iterator(setup).data : nullptr;
        if (screen && !WindowManagerRuns(connection, screen->root))
            SetStateProperty(connection, id, state, skip, on);
    } else {
        SetStateProperty(connection, id, state, skip, on);
    }
    xcb_flush(connection);
}

// The window manager drops the state of a window that is hidden, so it is set again on each show.
// Without a notification area, minimising or restoring changes whether the window keeps its button.
class ShowWatcher : public QObject {
public:
    explicit ShowWatcher(QWidget* window) : QObject(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && event->type() == QEvent::Show)
            Apply(static_cast<QWidget*>(watched), false);
        else if (watched == parent() && event->type() == QEvent::WindowStateChange &&
                 !TCoolTrayIcon::TrayAvailable())
            Apply(static_cast<QWidget*>(watched), static_cast<QWidget*>(watched)->isVisible());
        return QObject::eventFilter(watched, event);
    }
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
