#include "app/SplashForm.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace qm {

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("SplashForm"));
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(239, 213);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TSplashForm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x5a, 0x3a, 0x3a);

    // A calendar page with the section colours as its days.
    QRectF page(34, 28, 170, 140);
    p.setPen(QPen(ink, 3));
    p.setBrush(QColor(0xFF, 0xF8, 0xF0));
    p.drawRoundedRect(page, 14, 14);
    p.setBrush(QColor(0xFF, 0xA9, 0x53));
    QPainterPath band;
    band.addRoundedRect(QRectF(page.left(), page.top(), page.width(), 36), 14, 14);
    p.drawPath(band);
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(70, 16, 10, 26), 4, 4);
    p.drawRoundedRect(QRectF(158, 16, 10, 26), 4, 4);
    const QColor days[] = {QColor(0xD2, 0xA6, 0xA6), QColor(0xF5, 0xE3, 0xA7), QColor(0x54, 0xA5, 0x58),
                           QColor(0x07, 0x8F, 0xBC), QColor(0x9D, 0x9D, 0xCE), QColor(0x4E, 0x9A, 0x9A),
                           QColor(0xAE, 0xAE, 0xAE), QColor(0xF8, 0xDC, 0xBA)};
    p.setPen(QPen(ink, 1.5));
    for (int i = 0; i < 8; ++i) {
        p.setBrush(days[i]);
        p.drawRoundedRect(QRectF(48 + (i % 4) * 37, 76 + (i / 4) * 38, 30, 30), 5, 5);
    }
    QFont title = font();
    title.setBold(true);
    title.setPointSize(12);
    p.setFont(title);
    p.setPen(ink);
    p.drawText(QRectF(0, 176, width(), 30), Qt::AlignCenter, QStringLiteral("Quellmire Organizer"));
}

} // namespace qm
