#include "desktop/X11Window.h"
#include "platform/X11Connection.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QHash>
#include <QList>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace qm::x11 {

namespace {

constexpr uint32_t kNetWmStateRemove = 0;
constexpr uint32_t kNetWmStateAdd = 1;
constexpr uint32_t kSourceApplication = 1;
// WM_HINTS: nine 32-bit fields; the flags first, the initial state third.
constexpr uint32_t kStateHint = 1u << 1;
constexpr uint32_t kNormalState = 1;

// The X window of a shown or created top-level window; none for a window never created.
xcb_window_t WindowId(const QWidget* window) {
    if (!window || !window->testAttribute(Qt::WA_WState_Created))
        return XCB_WINDOW_NONE;
    return xcb_window_t(window->winId());
}

xcb_window_t Root(xcb_connection_t* connection) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_screen_t* screen = setup ? xcb_setup_roots_iterator(setup).data : nullptr;
    return screen ? screen->root : xcb_window_t(XCB_WINDOW_NONE);
}

QList<xcb_atom_t> StateAtoms(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t state) {
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, state, XCB_ATOM_ATOM, 0, 1024), nullptr));
    if (!reply || reply->format != 32 || reply->type != XCB_ATOM_ATOM)
        return {};
    const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    return QList<xcb_atom_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

void WriteStateAtoms(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t state,
                     const QList<xcb_atom_t>& atoms) {
    if (atoms.isEmpty())
        xcb_delete_property(connection, window, state);
    else
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                            uint32_t(atoms.size()), atoms.constData());
}

} // namespace

bool Available() {
    return Connection() != nullptr;
}

bool WindowManagerRuns() {
    xcb_connection_t* connection = Connection();
    if (!connection)
        return false;
    const xcb_atom_t check = Atom(connection, "_NET_SUPPORTING_WM_CHECK");
    if (check == XCB_ATOM_NONE)
        return false;
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, Root(connection), check, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return false;
    const xcb_window_t child = *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, child), nullptr));
    return child != XCB_WINDOW_NONE && geometry != nullptr;
}

bool WindowManagerSupports(const char* atom) {
    xcb_connection_t* connection = Connection();
    if (!connection || !WindowManagerRuns())
        return false;
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, Root(connection),
                                                Atom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 4096),
                               nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::find(atoms, atoms + count, Atom(connection, atom)) != atoms + count;
}

bool HasState(const QWidget* window, const char* state) {
    xcb_connection_t* connection = Connection();
    const xcb_window_t id = WindowId(window);
    if (!connection || id == XCB_WINDOW_NONE)
        return false;
    return StateAtoms(connection, id, Atom(connection, "_NET_WM_STATE")).contains(Atom(connection, state));
}

void SetStateProperty(QWidget* window, const char* state, bool on) {
    xcb_connection_t* connection = Connection();
    const xcb_window_t id = WindowId(window);
    if (!connection || id == XCB_WINDOW_NONE)
        return;
    const xcb_atom_t property = Atom(connection, "_NET_WM_STATE");
    const xcb_atom_t atom = Atom(connection, state);
    QList<xcb_atom_t> atoms = StateAtoms(connection, id, property);
    if (atoms.contains(atom) == on)
        return;
    if (on)
        atoms.append(atom);
    else
        atoms.removeAll(atom);
    WriteStateAtoms(connection, id, property, atoms);
    xcb_flush(connection);
}

void AskWindowManager(QWidget* window, const char* state, bool on) {
    xcb_connection_t* connection = Connection();
    const xcb_window_t id = WindowId(window);
    if (!connection || id == XCB_WINDOW_NONE)
        return;
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = Atom(connection, "_NET_WM_STATE");
    event.data.data32[0] = on ? kNetWmStateAdd : kNetWmStateRemove;
    event.data.data32[1] = Atom(connection, state);
    event.data.data32[2] = 0;
    event.data.data32[3] = kSourceApplication;
    xcb_send_event(connection, 0, Root(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

void ForgetIconicState(QWidget* window) {
    xcb_connection_t* connection = Connection();
    const xcb_window_t id = WindowId(window);
    if (!connection || id == XCB_WINDOW_NONE)
        return;
    Reply<xcb_get_property_reply_t> hints(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, 9),
        nullptr));
    if (hints && hints->format == 32 && xcb_get_property_value_length(hints.get()) >= 12) {
        const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(hints.get()));
        QList<uint32_t> fields(values, values + xcb_get_property_value_length(hints.get()) / 4);
        if ((fields[0] & kStateHint) && fields[2] != kNormalState) {
            fields[2] = kNormalState;
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
                                32, uint32_t(fields.size()), fields.constData());
        }
    }
    SetStateProperty(window, "_NET_WM_STATE_HIDDEN", false);
    xcb_flush(connection);
}

bool Viewable(const QWidget* window) {
    xcb_connection_t* connection = Connection();
    if (!connection)
        return window && window->isVisible();
    const xcb_window_t id = WindowId(window);
    if (id == XCB_WINDOW_NONE)
        return false;
    Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool Active(const QWidget* window) {
    xcb_connection_t* connection = Connection();
    const xcb_window_t id = WindowId(window);
    if (connection && id != XCB_WINDOW_NONE) {
        const xcb_atom_t active = Atom(connection, "_NET_ACTIVE_WINDOW");
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, Root(connection), active, XCB_ATOM_WINDOW, 0, 1),
            nullptr));
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) >= 4)
            return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get())) == id;
    }
    return window && window->isActiveWindow();
}

uint32_t PressedWindow(const void* event) {
    const auto* generic = static_cast<const xcb_generic_event_t*>(event);
    const uint8_t kind = generic->response_type & 0x7f;
    if (kind == XCB_BUTTON_PRESS)
        return static_cast<const xcb_button_press_event_t*>(event)->event;
    if (kind != XCB_GE_GENERIC)
        return 0;
    // The input extension's device events: after the event type, at byte 24, the window.
    constexpr uint16_t kInputButtonPress = 4;
    static int inputOpcode = -1;
    if (inputOpcode < 0) {
        inputOpcode = 0;
        if (xcb_connection_t* connection = Connection()) {
            const char name[] = "XInputExtension";
            Reply<xcb_query_extension_reply_t> reply(xcb_query_extension_reply(
                connection, xcb_query_extension(connection, sizeof name - 1, name), nullptr));
            if (reply && reply->present)
                inputOpcode = reply->major_opcode;
        }
    }
    const auto* extension = static_cast<const xcb_ge_generic_event_t*>(event);
    if (inputOpcode == 0 || extension->extension != inputOpcode || extension->event_type != kInputButtonPress)
        return 0;
    uint32_t window = 0;
    memcpy(&window, static_cast<const char*>(event) + 24, sizeof window);
    return window;
}

} // namespace qm::x11
