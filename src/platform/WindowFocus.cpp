#include "platform/WindowFocus.h"
#include "platform/X11Connection.h"

#include <QApplication>
#include <QEvent>
#include <QList>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <xcb/xcb.h>

namespace qm {

namespace {

// The taskbars that list a window standing over one they leave out (tint2, fluxbox's, IceWM's)
// would give the dialog the button the main window does not have. Written before the window is
// mapped, which is when the window manager reads it; Qt keeps what it finds there.
void KeepOutOfTaskbar(QWidget* dialog) {
    xcb_connection_t* connection = x11::Connection();
    if (!connection || !dialog->testAttribute(Qt::WA_WState_Created))
        return;
    const auto id = xcb_window_t(dialog->winId());
    const xcb_atom_t property = x11::Atom(connection, "_NET_WM_STATE");
    const xcb_atom_t skip = x11::Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    if (property == XCB_ATOM_NONE || skip == XCB_ATOM_NONE)
        return;
    const x11::Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, id, property, XCB_ATOM_ATOM, 0, 1024), nullptr));
    QList<xcb_atom_t> atoms;
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        atoms = QList<xcb_atom_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
    }
    if (atoms.contains(skip))
        return;
    atoms.append(skip);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, property, XCB_ATOM_ATOM, 32,
                        uint32_t(atoms.size()), atoms.constData());
    xcb_flush(connection);
}

// The toolkit asks as an application (source 1), which a window manager may turn down to guard
// against focus stealing; the dialog closed by the user's own key or click, so the request is
// the user's (source 2, as a pager or taskbar sends it).
void AskToActivate(QWidget* window) {
    xcb_connection_t* connection = x11::Connection();
    if (!connection || !window->testAttribute(Qt::WA_WState_Created))
        return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return;
    xcb_client_message_event_t message = {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window->winId());
    message.type = x11::Atom(connection, "_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 2;
    message.data.data32[1] = XCB_CURRENT_TIME;
    message.data.data32[2] = XCB_WINDOW_NONE;
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

// Whether the window manager names another program's window as the active one. It has not yet
// seen the dialog go: while the user worked in the dialog, it still names the dialog (whose X
// window the toolkit may have let go by now: `dialog` is the one it had when shown).
bool OtherProgramActive(xcb_window_t dialog) {
    xcb_connection_t* connection = x11::Connection();
    if (!connection)
        return false;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t property = x11::Atom(connection, "_NET_ACTIVE_WINDOW");
    if (!screen || property == XCB_ATOM_NONE)
        return false;
    const x11::Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, screen->root, property, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return false;
    const xcb_window_t active = *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    if (active == XCB_WINDOW_NONE || active == dialog)
        return false;
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    return std::none_of(windows.begin(), windows.end(), [active](const QWidget* window) {
        return window->testAttribute(Qt::WA_WState_Created) && xcb_window_t(window->winId()) == active;
    });
}

constexpr const char* kShownAs = "qmShownAs";

// Marks the dialog each time it is shown: a window manager drops the state of a window it withdraws.
class ShowMarker : public QObject {
public:
    explicit ShowMarker(QWidget* dialog) : QObject(dialog) { dialog->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == parent()) {
            auto* dialog = static_cast<QWidget*>(watched);
            KeepOutOfTaskbar(dialog);
            dialog->setProperty(kShownAs, quint64(dialog->winId()));
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

TOwnedWindow::TOwnedWindow(QWidget* dialog) : m_dialog(dialog) {
    if (!dialog)
        return;
    QWidget* opener = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    if (!opener)
        opener = QApplication::activeModalWidget();
    if (!opener)
        opener = QApplication::activeWindow();
    if (opener != dialog)
        m_opener = opener;
    if (m_opener)
        m_focus = m_opener->focusWidget();
    if (!dialog->property("qmShowMarker").toBool()) {
        dialog->setProperty("qmShowMarker", true);
        new ShowMarker(dialog);
    }
    // A dialog without a parent would stand over the whole program, not over its opener.
    if (m_opener && !dialog->parentWidget()) {
        dialog->winId();
        if (dialog->windowHandle() && m_opener->windowHandle())
            dialog->windowHandle()->setTransientParent(m_opener->windowHandle());
    }
    if (dialog->isVisible())
        KeepOutOfTaskbar(dialog);
}

TOwnedWindow::~TOwnedWindow() {
    if (!m_opener || !m_opener->isVisible() || m_opener->isMinimized())
        return;
    // A dialog closed while the user worked elsewhere takes nothing from there, and another window
    // of the program that took the input meanwhile keeps it.
    if (OtherProgramActive(m_dialog ? xcb_window_t(m_dialog->property(kShownAs).toULongLong())
                                    : xcb_window_t(XCB_WINDOW_NONE)))
        return;
    const QWidget* active = QApplication::activeWindow();
    if (active && active != m_dialog && active != m_opener)
        return;
    m_opener->activateWindow();
    AskToActivate(m_opener);
    if (m_focus && m_focus->window() == m_opener && m_focus->isVisible() && m_focus->isEnabled())
        m_focus->setFocus(Qt::ActiveWindowFocusReason);
}

} // namespace qm
