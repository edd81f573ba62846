#pragma once

#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

// The program's connection to the X server, for the few things the toolkit does not say about
// windows. Off X11 there is none.
namespace qm::x11 {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
// A reply of the X server, freed when it goes.
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

// The toolkit's connection; null where the program does not talk to an X server.
xcb_connection_t* Connection();

// The atom of `name`, asked once per connection; XCB_ATOM_NONE when the server gives none.
xcb_atom_t Atom(xcb_connection_t* connection, const char* name);

} // namespace qm::x11
