#include "platform/ResizeBand.h"
#include "platform/WindowDrag.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace qm {

namespace {

Qt::CursorShape ShapeOf(Qt::Edges edges) {
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    if (vertical && horizontal) {
        const bool falling =
            edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge);
        return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    return vertical ? Qt::SizeVerCursor : Qt::SizeHorCursor;
}

} // namespace

TResizeBand::TResizeBand(QWidget* window, TWindowDrag* drag, std::function<bool()> resizable)
    : QObject(window), m_window(window), m_drag(drag), m_resizable(std::move(resizable)) {
    qApp->installEventFilter(this);
}

TResizeBand::~TResizeBand() {
    ShowShape({});
}

Qt::Edges TResizeBand::EdgesAt(const QPoint& local, const QSize& size) {
    const QRect inside = QRect(QPoint(), size).adjusted(Band, Band, -Band, -Band);
    if (!QRect(QPoint(), size).contains(local) || inside.contains(local))
        return {};
    Qt::Edges edges;
    const auto near = [](int at, int from, int reach) { return at >= from && at < from + reach; };
    const bool nearLeft = near(local.x(), 0, Corner);
    const bool nearRight = near(local.x(), size.width() - Corner, Corner);
    const bool nearTop = near(local.y(), 0, Corner);
    const bool nearBottom = near(local.y(), size.height() - Corner, Corner);
    const bool onLeft = local.x() < Band;
    const bool onRight = local.x() >= size.width() - Band;
    const bool onTop = local.y() < Band;
    const bool onBottom = local.y() >= size.height() - Band;
    if (onLeft || ((onTop || onBottom) && nearLeft))
        edges |= Qt::LeftEdge;
    if (onRight || ((onTop || onBottom) && nearRight))
        edges |= Qt::RightEdge;
    if (onTop || ((onLeft || onRight) && nearTop))
        edges |= Qt::TopEdge;
    if (onBottom || ((onLeft || onRight) && nearBottom))
        edges |= Qt::BottomEdge;
    return edges;
}

void TResizeBand::ShowShape(Qt::Edges edges) {
    if (edges == m_shown)
        return;
    if (!edges)
        QGuiApplication::restoreOverrideCursor();
    else if (!m_shown)
        QGuiApplication::setOverrideCursor(ShapeOf(edges));
    else
        QGuiApplication::changeOverrideCursor(ShapeOf(edges));
    m_shown = edges;
}

// Taken where the window gets the pointer's events before any of its widgets does; events sent
// straight to a widget are taken there.
bool TResizeBand::eventFilter(QObject* watched, QEvent* event) {
    QPoint (*place)(const QObject*, const QMouseEvent*) = nullptr;
    if (watched == m_window->windowHandle()) {
        place = [](const QObject*, const QMouseEvent* mouse) { return mouse->position().toPoint(); };
    } else if (const auto* widget = qobject_cast<const QWidget*>(watched);
               widget && widget->window() == m_window) {
        place = [](const QObject* at, const QMouseEvent* mouse) {
            const auto* widget = static_cast<const QWidget*>(at);
            return widget->mapTo(widget->window(), mouse->position().toPoint());
        };
    } else {
        return QObject::eventFilter(watched, event);
    }
    const auto edgesOf = [&](const QMouseEvent* mouse) {
        return m_resizable() ? EdgesAt(place(watched, mouse), m_window->size()) : Qt::Edges();
    };
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_pressed && (mouse->buttons() & Qt::LeftButton))
            return true;
        m_pressed = false;
        if (mouse->buttons() == Qt::NoButton)
            ShowShape(edgesOf(mouse));
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const Qt::Edges edges = edgesOf(mouse);
        if (!edges)
            break;
        if (mouse->button() == Qt::LeftButton && event->type() == QEvent::MouseButtonPress) {
            ShowShape(edges);
            m_drag->PressEdges(mouse, edges);
            m_pressed = true;
        }
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (m_pressed) {
            m_pressed = false;
            return true;
        }
        break;
    case QEvent::Leave:
        if (!m_pressed && watched == m_window->windowHandle())
            ShowShape({});
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace qm
