#pragma once

#include <QTabBar>
#include <QTabWidget>
#include <functional>

namespace qm {

// A page control whose tabs are painted by its owner (OnDrawTab), as the main window paints each
// tab in its section's colour. Without a handler the tabs look as Qt paints them.
class TPageControl : public QTabWidget {
    Q_OBJECT
public:
    explicit TPageControl(QWidget* parent = nullptr);

    using DrawTabHandler =
        std::function<void(QPainter& painter, int tabIndex, const QRect& rect, bool active)>;
    void SetOnDrawTab(DrawTabHandler handler);
    const DrawTabHandler& OnDrawTab() const { return m_drawTab; }

    // Wide enough for every tab, so that no tab hides behind scroll arrows at any font.
    QSize minimumSizeHint() const override;

private:
    DrawTabHandler m_drawTab;
};

} // namespace qm
