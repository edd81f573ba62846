#include "platform/widgets/PageControl.h"

#include <QPainter>
#include <QStyleOptionTab>
#include <algorithm>

namespace qm {

namespace {

class OwnerDrawnTabBar : public QTabBar {
public:
    explicit OwnerDrawnTabBar(TPageControl* owner) : QTabBar(owner), m_owner(owner) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        if (!m_owner->OnDrawTab()) {
            QTabBar::paintEvent(event);
            return;
        }
        QPainter painter(this);
        for (int i = 0; i < count(); ++i) {
            const QRect rect = tabRect(i);
            painter.save();
            painter.setFont(font());
            m_owner->OnDrawTab()(painter, i, rect, i == currentIndex());
            painter.restore();
        }
    }

private:
    TPageControl* m_owner;
};

} // namespace

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new OwnerDrawnTabBar(this));
}

QSize TPageControl::minimumSizeHint() const {
    QSize least = QTabWidget::minimumSizeHint();
    least.setWidth(std::max(least.width(), tabBar()->sizeHint().width() + 4));
    return least;
}

void TPageControl::SetOnDrawTab(DrawTabHandler handler) {
    m_drawTab = std::move(handler);
    tabBar()->update();
}

} // namespace qm
