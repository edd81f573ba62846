#pragma once

namespace qm {

// Whether the application keeps a taskbar button. The state belongs to the process, not to one
// instance: the splash and the main window each carry one, and either may change it for both.
// A desktop gives no portable call to drop one window's taskbar button; the button goes with the
// window when the notification-area icon hides it, and a window minimised while the button is
// wanted stays in the taskbar.
class TIconHide {
public:
    // A new instance hides the button, as the stored value asks.
    TIconHide();

    bool Hidden() const;
    void SetHidden(bool hidden);

    // How many times the state really changed in this process (for tests: a repeated value
    // changes nothing).
    static int ChangeCount();
    // Back to the state of a new process (tests).
    static void ResetForTest();
};

} // namespace qm
