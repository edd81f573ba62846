#include "platform/widgets/Panel.h"

#include <QMouseEvent>
#include <QPainter>

namespace qm {

TPanel::TPanel(QWidget* parent, const QString& objectName) : QFrame(parent) {
    setObjectName(objectName);
    setAutoFillBackground(true);
    SetColor(Colors::clBtnFace);
}

void TPanel::SetColor(TColor color) {
    m_color = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(color));
    setPalette(pal);
    update();
}

void TPanel::SetCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    update();
}

void TPanel::SetAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    update();
}

void TPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (m_caption.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(contentsRect().adjusted(4, 0, -4, 0), int(m_alignment) | Qt::TextSingleLine, m_caption);
}

void TPanel::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event);
    QFrame::mousePressEvent(event);
}

} // namespace qm
