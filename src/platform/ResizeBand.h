#pragma once

#include <QObject>
#include <functional>

class QMouseEvent;
class QWidget;

namespace qm {

class TWindowDrag;

// The border a window without a title bar is resized by: a band of a few pixels along each edge,
// wider at the corners, over whatever the window shows there. Over the band the pointer takes the
// resize shape; a press there goes to the drag and to no widget below, so a tap changes nothing
// and a drag resizes the window from that edge. Off while `resizable` says no (a maximised window).
class TResizeBand : public QObject {
public:
    static constexpr int Band = 4;
    static constexpr int Corner = 3 * Band;

    TResizeBand(QWidget* window, TWindowDrag* drag, std::function<bool()> resizable);
    ~TResizeBand() override;

    // The edges the band has at `local` (window coordinates) of a window of `size`; none inside it.
    static Qt::Edges EdgesAt(const QPoint& local, const QSize& size);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowShape(Qt::Edges edges);

    QWidget* m_window;
    TWindowDrag* m_drag;
    std::function<bool()> m_resizable;
    Qt::Edges m_shown;
    bool m_pressed = false;
};

} // namespace qm
