#include "platform/WindowDrag.h"
#include "platform/X11Connection.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace qm {

namespace {

using x11::Atom;
using x11::Reply;

constexpr int ButtonWatchInterval = 50;
constexpr uint32_t MoveResizeMove = 8;
constexpr uint32_t MoveResizeCancel = 11;

xcb_window_t RootOf(xcb_connection_t* connection, xcb_window_t window) {
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    return geometry ? geometry->root : xcb_window_t(XCB_NONE);
}

// Whether a window manager runs that moves windows on request.
bool WindowManagerMoves(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t moveResize) {
    const Reply<xcb_get_property_reply_t> supported(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, root, Atom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 4096),
        nullptr));
    if (!supported || supported->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(supported.get()));
    const int count = xcb_get_property_value_length(supported.get()) / int(sizeof(xcb_atom_t));
    return std::find(atoms, atoms + count, moveResize) != atoms + count;
}

// _NET_WM_MOVERESIZE's directions: the sizes from the top-left corner round to the left edge, then
// the move.
uint32_t Direction(Qt::Edges edges) {
    const bool top = edges & Qt::TopEdge;
    const bool bottom = edges & Qt::BottomEdge;
    const bool left = edges & Qt::LeftEdge;
    const bool right = edges & Qt::RightEdge;
    if (top)
        return left ? 0 : right ? 2 : 1;
    if (bottom)
        return right ? 4 : left ? 6 : 5;
    if (right)
        return 3;
    if (left)
        return 7;
    return MoveResizeMove;
}

void SendMoveResize(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window,
                    xcb_atom_t moveResize, const QPoint& pointer, uint32_t direction) {
    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = moveResize;
    message.data.data32[0] = uint32_t(pointer.x());
    message.data.data32[1] = uint32_t(pointer.y());
    message.data.data32[2] = direction;
    message.data.data32[3] = XCB_BUTTON_INDEX_1;
    message.data.data32[4] = 1; // asked by an ordinary program
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

} // namespace

TWindowDrag::TWindowDrag(QWidget* window) : QObject(window), m_window(window) {}

TWindowDrag::~TWindowDrag() {
    Stop();
}

void TWindowDrag::Press(const QMouseEvent* event) {
    Arm(event, {});
}

void TWindowDrag::PressEdges(const QMouseEvent* event, Qt::Edges edges) {
    Arm(event, edges);
}

void TWindowDrag::Arm(const QMouseEvent* event, Qt::Edges edges) {
    if (!event || event->button() != Qt::LeftButton)
        return;
    m_edges = edges;
    m_pressGeometry = m_window->geometry();
    m_pressCursor = event->globalPosition().toPoint();
    m_pressTime = event->timestamp();
    if (m_state == State::Idle)
        qApp->installEventFilter(this);
    m_state = State::Pending;
}

void TWindowDrag::Stop() {
    if (m_state != State::Idle && qApp)
        qApp->removeEventFilter(this);
    m_state = State::Idle;
}

bool TWindowDrag::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    // Taken as the window gets it before its widgets (whichever widget is under the pointer,
    // tracking or not, and also when the press never reached a widget, as on the resize border),
    // and as a widget gets it; each copy says the same.
    case QEvent::MouseMove:
        if (m_state != State::Idle && OfWindow(watched))
            PointerMoved(static_cast<QMouseEvent*>(event));
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            Stop();
        break;
    // A press while armed: the release of the last one went where the program never saw it.
    // (The arming press itself comes again to each parent it travels up to.)
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->timestamp() != m_pressTime)
            Stop();
        break;
    // The release will go to the modal box, or to another program.
    case QEvent::Hide:
    case QEvent::WindowBlocked:
    case QEvent::WindowDeactivate:
        if (watched == m_window)
            Stop();
        break;
    case QEvent::ApplicationStateChange:
        if (QGuiApplication::applicationState() != Qt::ApplicationActive)
            Stop();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool TWindowDrag::OfWindow(const QObject* watched) const {
    if (watched == m_window->windowHandle())
        return true;
    const auto* widget = qobject_cast<const QWidget*>(watched);
    return widget && widget->window() == m_window;
}

void TWindowDrag::PointerMoved(const QMouseEvent* mouse) {
    // A release that went elsewhere ends the drag all the same.
    if (!(mouse->buttons() & Qt::LeftButton)) {
        Stop();
        return;
    }
    const QPoint travelled = mouse->globalPosition().toPoint() - m_pressCursor;
    if (m_state == State::Pending) {
        if (travelled.manhattanLength() < QApplication::startDragDistance())
            return;
        m_state = State::Following;
        if (StartSystemMove()) {
            Stop();
            return;
        }
    }
    Follow(travelled);
}

void TWindowDrag::Follow(const QPoint& travelled) {
    if (!m_edges) {
        m_window->move(m_pressGeometry.topLeft() + travelled);
        return;
    }
    // The edges not dragged stay where they are, also when the window reaches its smallest size.
    const QSize least = m_window->minimumSize().expandedTo(QSize(1, 1));
    const QSize most = m_window->maximumSize();
    QRect rect = m_pressGeometry;
    const auto span = [](int size, int low, int high) { return std::clamp(size, low, std::max(low, high)); };
    if (m_edges & Qt::LeftEdge)
        rect.setLeft(rect.right() + 1 - span(rect.width() - travelled.x(), least.width(), most.width()));
    if (m_edges & Qt::RightEdge)
        rect.setWidth(span(rect.width() + travelled.x(), least.width(), most.width()));
    if (m_edges & Qt::TopEdge)
        rect.setTop(rect.bottom() + 1 - span(rect.height() - travelled.y(), least.height(), most.height()));
    if (m_edges & Qt::BottomEdge)
        rect.setHeight(span(rect.height() + travelled.y(), least.height(), most.height()));
    m_window->setGeometry(rect);
}

bool TWindowDrag::StartSystemMove() {
    if (xcb_connection_t* connection = x11::Connection())
        return StartX11Move(connection);
    QWindow* handle = m_window->windowHandle();
    if (!handle)
        return false;
    return m_edges ? handle->startSystemResize(m_edges) : handle->startSystemMove();
}

// Qt would start the move from the pointer's place now, a drag distance late. Asked to start it
// from the press, the window manager puts the spot pressed back under the pointer at once (and
// a resize takes the distance already gone).
bool TWindowDrag::StartX11Move(xcb_connection_t* connection) {
    const auto window = xcb_window_t(m_window->winId());
    const xcb_window_t root = RootOf(connection, window);
    const xcb_atom_t moveResize = Atom(connection, "_NET_WM_MOVERESIZE");
    if (root == XCB_NONE || moveResize == XCB_ATOM_NONE || !WindowManagerMoves(connection, root, moveResize))
        return false;
    QPoint pressed = m_pressCursor;
    if (const QWindow* handle = m_window->windowHandle(); handle && handle->screen()) {
        const QPoint origin = handle->screen()->geometry().topLeft();
        pressed = origin + (pressed - origin) * handle->devicePixelRatio();
    }
    // The window manager grabs the pointer for the move; the press gave it to this program.
    xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
    SendMoveResize(connection, root, window, moveResize, pressed, Direction(m_edges));
    if (!ButtonReleased()) {
        if (!m_buttonWatch) {
            m_buttonWatch = new QTimer(this);
            m_buttonWatch->setInterval(ButtonWatchInterval);
            connect(m_buttonWatch, &QTimer::timeout, this, [this] { ButtonReleased(); });
        }
        m_buttonWatch->start();
    }
    return true;
}

// The window manager's move ends at the release of the button. One asked for when the button had
// just come up waits for a release that never comes, and the window sticks to the pointer: once the
// X server has the button up, the move is called off (a no-op for a move that ended normally).
bool TWindowDrag::ButtonReleased() {
    xcb_connection_t* connection = x11::Connection();
    if (!connection)
        return true;
    const auto window = xcb_window_t(m_window->winId());
    const Reply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, window), nullptr));
    if (pointer && (pointer->mask & XCB_BUTTON_MASK_1))
        return false;
    if (m_buttonWatch)
        m_buttonWatch->stop();
    if (pointer)
        SendMoveResize(connection, pointer->root, window, Atom(connection, "_NET_WM_MOVERESIZE"), QPoint(),
                       MoveResizeCancel);
    return true;
}

} // namespace qm
