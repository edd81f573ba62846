#include "platform/X11Connection.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QHash>

namespace qm::x11 {

xcb_connection_t* Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// Kept once asked for: the checks after each map and state change ask for the same few.
xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    static xcb_connection_t* known = nullptr;
    static QHash<QByteArray, xcb_atom_t> atoms;
    if (known != connection) {
        known = connection;
        atoms.clear();
    }
    const QByteArray key(name);
    if (const auto it = atoms.constFind(key); it != atoms.constEnd())
        return *it;
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(key.size()), name), nullptr));
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    if (atom != XCB_ATOM_NONE)
        atoms.insert(key, atom);
    return atom;
}

} // namespace qm::x11
