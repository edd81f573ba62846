#include "support/XDesktop.h"

#include <QGuiApplication>
#include <QProcess>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace qm::desktop {

namespace {

QString g_name = QStringLiteral("desktop");

template <typename T> using Reply = std::unique_ptr<T, decltype(&free)>;

xcb_connection_t* Connection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        Fail("no X server");
    return x11->connection();
}

xcb_atom_t Atom(const char* name) {
    xcb_connection_t* connection = Connection();
    const Reply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name),
                              nullptr),
        &free);
    return atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QList<quint32> Property(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
    xcb_connection_t* connection = Connection();
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, property, type, 0, 1024),
                               nullptr),
        &free);
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    return QList<quint32>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

xcb_window_t Root() {
    return xcb_setup_roots_iterator(xcb_get_setup(Connection())).data->root;
}

} // namespace

void SetProgramName(const QString& name) {
    g_name = name;
}

void Fail(const QString& message) {
    std::fprintf(stderr, "%s: FAIL: %s\n", qPrintable(g_name), qPrintable(message));
    std::exit(1);
}

void Say(const QString& message) {
    std::printf("%s: %s\n", qPrintable(g_name), qPrintable(message));
    std::fflush(stdout);
}

QString Text(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QRect OnScreen(QWidget* window) {
    xcb_connection_t* connection = Connection();
    const auto id = xcb_window_t(window->winId());
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr), &free);
    if (!geometry)
        Fail("the X server does not know the window " + window->objectName());
    const Reply<xcb_translate_coordinates_reply_t> place(
        xcb_translate_coordinates_reply(
            connection, xcb_translate_coordinates(connection, id, geometry->root, 0, 0), nullptr),
        &free);
    if (!place)
        Fail("the X server does not place the window " + window->objectName());
    return QRect(place->dst_x, place->dst_y, geometry->width, geometry->height);
}

QRect FramedOnScreen(QWidget* window) {
    QRect rect = OnScreen(window);
    const QList<quint32> side =
        Property(xcb_window_t(window->winId()), Atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL);
    if (side.size() == 4)
        rect.adjust(-int(side[0]), -int(side[2]), int(side[1]), int(side[3]));
    return rect;
}

QPoint OnScreen(QWidget* control, const QPoint& local) {
    return OnScreen(control->window()).topLeft() + control->mapTo(control->window(), local);
}

quint32 ActiveWindow() {
    const QList<quint32> active = Property(Root(), Atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    return active.isEmpty() ? 0 : active.first();
}

quint32 TransientFor(QWidget* window) {
    const QList<quint32> owner =
        Property(xcb_window_t(window->winId()), XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW);
    return owner.isEmpty() ? 0 : owner.first();
}

bool HasType(QWidget* window, const char* type) {
    return Property(xcb_window_t(window->winId()), Atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM)
        .contains(Atom(type));
}

bool HasState(QWidget* window, const char* state) {
    return Property(xcb_window_t(window->winId()), Atom("_NET_WM_STATE"), XCB_ATOM_ATOM)
        .contains(Atom(state));
}

void Xdotool(const QStringList& arguments) {
    if (QProcess::execute(QStringLiteral("xdotool"), arguments) != 0)
        Fail("xdotool " + arguments.join(u' ') + " failed");
}

void ClickAt(const QPoint& at) {
    Xdotool({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "click", "1"});
}

void Hand::Then(const QString& what, std::function<bool()> step) {
    m_steps.append({what, std::move(step)});
}

void Hand::Start() {
    connect(&m_ticker, &QTimer::timeout, this, &Hand::Tick);
    m_ticker.start(20);
    m_since.start();
}

void Hand::Tick() {
    if (m_busy)
        return;
    m_busy = true;
    while (!m_steps.isEmpty() && m_steps.first().second()) {
        if (qEnvironmentVariableIsSet("DESKTOP_TRACE"))
            Say(QStringLiteral("%1 ms: %2").arg(m_since.elapsed()).arg(m_steps.first().first));
        m_steps.removeFirst();
        m_since.restart();
    }
    m_busy = false;
    if (!m_steps.isEmpty() && m_since.elapsed() > 10000)
        Fail("waited in vain: " + m_steps.first().first);
}

std::function<bool()> Pause(int ms) {
    auto since = std::make_shared<QElapsedTimer>();
    return [since, ms] {
        if (!since->isValid())
            since->start();
        return since->elapsed() >= ms;
    };
}

} // namespace qm::desktop
