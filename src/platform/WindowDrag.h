#pragma once

#include <QObject>
#include <QPoint>

class QMouseEvent;
class QTimer;
class QWidget;
struct xcb_connection_t;

namespace qm {

// Moves a window that has no title bar by a press on one of its handles. The press only arms the
// drag: the window moves once the pointer has gone the desktop's drag distance with the left button
// held, so a tap, however quick, stays a click. The window manager then moves the window where it
// can; where it cannot (no window manager), the window follows the pointer until the release.
class TWindowDrag : public QObject {
public:
    explicit TWindowDrag(QWidget* window);
    ~TWindowDrag() override;

    // A press on one of the window's handles; other buttons than the left one are ignored.
    void Press(const QMouseEvent* event);
    // The window follows the pointer by the program's own moves.
    bool IsFollowing() const { return m_state == State::Following; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class State { Idle, Pending, Following };

    void PointerMoved(const QMouseEvent* mouse);
    bool StartSystemMove();
    bool StartX11Move(xcb_connection_t* connection);
    bool ButtonReleased();
    void Stop();

    QWidget* m_window;
    State m_state = State::Idle;
    QPoint m_pressWindow;
    QPoint m_pressCursor;
    QTimer* m_buttonWatch = nullptr;
};

} // namespace qm
