#pragma once

class QWidget;

namespace qm {

// Under an X11 window manager a top-level window learns where it landed only from the configure
// events that come back, and the place of one that was moved just before it was mapped can be
// read while the window manager is still framing it: the window then believes it stands at the
// screen's top-left corner, and every pop-up placed from it (a drop-down list, a box centred
// over it) opens there. Reads the window's true place from the X server and, where it differs,
// corrects the window's belief; the window does not move. Nothing happens on other platforms.
void SyncWindowPlace(QWidget* window);

} // namespace qm
