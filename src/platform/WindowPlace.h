#pragma once

#include <QRect>
#include <functional>

class QWidget;

namespace qm {

// Under an X11 window manager a top-level window learns where it landed only from the configure
// events that come back, and the place of one that was moved just before it was mapped can be
// read while the window manager is still framing it: the window then believes it stands at the
// screen's top-left corner, and every pop-up placed from it (a drop-down list, a box centred
// over it) opens there. Reads the window's true place from the X server and, where it differs,
// corrects the window's belief; the window does not move. Nothing happens on other platforms.
void SyncWindowPlace(QWidget* window);

// Where a window that wants `wanted` goes on a screen whose free area is `area`: its size cut to
// the area (but not below `least`), and moved so that all of it, and its top edge first, is there.
QRect FitOnScreen(const QRect& wanted, const QRect& area, const QSize& least);

// Keeps the window on its screen: once it is first shown and whenever its screen, the screen's
// free area or its scale changes, its size is cut to the free area and it is moved onto it.
// Nothing changes while `placeable` says no (a maximised window). The window's wanted size is
// not written anywhere.
void KeepOnScreen(QWidget* window, std::function<bool()> placeable);

} // namespace qm
