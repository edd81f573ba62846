#include "platform/widgets/CaptionGlyphs.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

namespace qm {

namespace {

// Draws the glyph on a 16-unit square.
void DrawGlyph(QPainter& painter, QStyle::StandardPixmap kind, const QColor& ink) {
    switch (kind) {
    case QStyle::SP_TitleBarMinButton:
        painter.fillRect(QRectF(3, 11, 10, 2), ink);
        break;
    case QStyle::SP_TitleBarShadeButton:
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawPolygon(QPolygonF({QPointF(3, 11), QPointF(13, 11), QPointF(8, 5)}));
        break;
    case QStyle::SP_TitleBarMaxButton:
        painter.setPen(QPen(ink, 1.5));
        painter.drawRect(QRectF(3.25, 3.25, 9.5, 9.5));
        painter.fillRect(QRectF(3, 3, 10, 3), ink);
        break;
    default:
        painter.setPen(QPen(ink, 2, Qt::SolidLine, Qt::SquareCap));
        painter.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
        painter.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
        break;
    }
}

} // namespace

QIcon CaptionGlyph(QStyle::StandardPixmap kind, const QColor& ink) {
    if (kind != QStyle::SP_TitleBarMinButton && kind != QStyle::SP_TitleBarShadeButton &&
        kind != QStyle::SP_TitleBarMaxButton && kind != QStyle::SP_TitleBarCloseButton)
        return QApplication::style()->standardIcon(kind);
    QIcon icon;
    for (const int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        DrawGlyph(painter, kind, ink);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace qm
