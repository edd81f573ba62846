#pragma once

#include <cstdint>

class QWidget;

// What the program tells an X11 window manager about its top-level windows, and what it reads back.
// Every call does nothing (and every question answers as a desktop without a window manager would)
// where the program does not run on X11.
namespace qm::x11 {

// Whether the program talks to an X server.
bool Available();

// Whether a window manager that follows the desktop conventions runs: it then owns the state of
// the windows it manages.
bool WindowManagerRuns();

// Whether the running window manager lists `atom` among what it supports (_NET_SUPPORTED).
bool WindowManagerSupports(const char* atom);

// Whether the window's own _NET_WM_STATE property lists `state` (e.g. "_NET_WM_STATE_HIDDEN").
bool HasState(const QWidget* window, const char* state);

// Adds or removes `state` in the window's property. For a window the window manager does not
// manage (not mapped): it reads the property when the window is mapped.
void SetStateProperty(QWidget* window, const char* state, bool on);

// Asks the window manager to add or remove `state` on a window it manages.
void AskWindowManager(QWidget* window, const char* state, bool on);

// Before a hidden window is mapped again: it asks to come up normal, not iconic, whatever it told
// the window manager when it went away (WM_HINTS initial state, _NET_WM_STATE_HIDDEN).
void ForgetIconicState(QWidget* window);

// Whether the X window is viewable: mapped by the window manager, not iconic. True off X11 for a
// visible window.
bool Viewable(const QWidget* window);

// Whether the window is the active one: as the window manager says (_NET_ACTIVE_WINDOW), which
// the toolkit learns only later; as the toolkit says where there is none.
bool Active(const QWidget* window);

// The window a button press went to, for an event the X server sent (a core event or an input
// extension's); 0 for any other event.
uint32_t PressedWindow(const void* event);

} // namespace qm::x11
