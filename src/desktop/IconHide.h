#pragma once

class QWidget;

namespace qm {

// Whether the application keeps a taskbar button. The state belongs to the process, not to one
// instance: the splash and the main window each carry one, and either may change it for both.
// On X11 a hidden button is the window manager's _NET_WM_STATE_SKIP_TASKBAR on each window that
// an instance was given; other desktops (Wayland) give a program no way to drop its button, and
// there the button goes only with the window when the notification-area icon hides it. Where no
// notification area exists a minimised window keeps its button, since it is then the only way back
// to the window.
class TIconHide {
public:
    // A new instance hides the button, as the stored value asks. `window` is the window whose
    // button it governs (none for a component without a window).
    explicit TIconHide(QWidget* window = nullptr);

    bool Hidden() const;
    void SetHidden(bool hidden);

    // Applies the state again to every window, e.g. once a notification area has appeared.
    static void Refresh();
    // Whether `window` is kept out of the taskbar now: hidden, unless it is minimised with no
    // notification area to call it back from.
    static bool SkipsTaskbar(const QWidget* window);

    // How many times the state really changed in this process (for tests: a repeated value
    // changes nothing).
    static int ChangeCount();
    // Back to the state of a new process (tests).
    static void ResetForTest();
};

} // namespace qm
