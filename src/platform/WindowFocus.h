#pragma once

#include <QPointer>

class QWidget;

namespace qm {

// What every dialog and box of the program shares when it runs modally: it stands over the window
// that opened it (WM_TRANSIENT_FOR on X11) and has no taskbar button of its own, and when it
// closes that window is active again with the keyboard focus where it was. A window manager's own
// focus fallback does not do the last: openbox, for one, passes over a window that keeps out of
// the taskbar, as the main window does.
class TOwnedWindow {
public:
    // Call before the dialog is shown.
    explicit TOwnedWindow(QWidget* dialog);
    // Gives the opener the input back.
    ~TOwnedWindow();
    TOwnedWindow(const TOwnedWindow&) = delete;
    TOwnedWindow& operator=(const TOwnedWindow&) = delete;

private:
    QPointer<QWidget> m_dialog;
    QPointer<QWidget> m_opener;
    QPointer<QWidget> m_focus;
};

} // namespace qm
