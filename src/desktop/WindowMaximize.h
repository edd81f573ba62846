#pragma once

#include <QObject>
#include <QRect>

class QTimer;
class QWidget;

namespace qm {

// Maximise and restore for a window without a title bar, under any window manager or none. The
// window manager maximises where it does; where none does (twm, no window manager at all: its
// state has not changed a short while after the request) the window is given the screen's free
// area here. Restore brings back the size and place from before maximising, also where a window
// manager keeps the full size. While maximised the window's smallest size is left as it is, since
// new size hints make some window managers (IceWM) take the full size as the size to restore.
class TWindowMaximize : public QObject {
public:
    explicit TWindowMaximize(QWidget* window);

    // Whether the window is maximised on the screen, not merely asked to be.
    bool IsMaximized() const;
    void Maximize();
    void Restore();

    // How long a window manager has to maximise the window before it is done here (tests).
    static void SetWaitForWindowManager(int milliseconds);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WatchRequest();
    void Check();
    void MaximizeHere();
    void KeepLimits(bool keep);

    QWidget* m_window;
    QTimer* m_wait;
    QRect m_normal;
    bool m_here = false;
    bool m_restoring = false;
};

} // namespace qm
