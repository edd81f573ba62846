#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

class QMouseEvent;
class QTimer;
class QWidget;
struct xcb_connection_t;

namespace qm {

// Moves a window that has no title bar by a press on one of its handles, or resizes it by a press
// on its edges. The press only arms the drag: the window moves once the pointer has gone the
// desktop's drag distance with the left button held, so a tap, however quick, stays a click. The
// window manager then moves or resizes the window where it can; where it cannot (no window
// manager), the window follows the pointer until the release. A release the program never sees
// (a modal box opened meanwhile, the input gone to another window, a move with no button held)
// ends the drag all the same.
class TWindowDrag : public QObject {
public:
    explicit TWindowDrag(QWidget* window);
    ~TWindowDrag() override;

    // A press on one of the window's handles; other buttons than the left one are ignored.
    void Press(const QMouseEvent* event);
    // A press on the window's border at `edges`: a drag resizes the window from there.
    void PressEdges(const QMouseEvent* event, Qt::Edges edges);
    // The window follows the pointer by the program's own moves.
    bool IsFollowing() const { return m_state == State::Following; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class State { Idle, Pending, Following };

    void Arm(const QMouseEvent* event, Qt::Edges edges);
    bool OfWindow(const QObject* watched) const;
    void PointerMoved(const QMouseEvent* mouse);
    void Follow(const QPoint& travelled);
    bool StartSystemMove();
    bool StartX11Move(xcb_connection_t* connection);
    bool ButtonReleased();
    void Stop();

    QWidget* m_window;
    State m_state = State::Idle;
    Qt::Edges m_edges;
    QRect m_pressGeometry;
    QPoint m_pressCursor;
    quint64 m_pressTime = 0;
    QTimer* m_buttonWatch = nullptr;
};

} // namespace qm
