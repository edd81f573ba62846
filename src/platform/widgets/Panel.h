#pragma once

#include "platform/ColorText.h"

#include <QFrame>
#include <QString>

namespace qm {

// A panel with a colour and a caption painted behind its children, as the organizer's bars and
// count panels are. Mouse presses are reported so that borderless windows can be dragged by it.
class TPanel : public QFrame {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr, const QString& objectName = QString());

    TColor Color() const { return m_color; }
    void SetColor(TColor color);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);

    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment alignment);

    // The font charset the caption was given; kept for the look files, text is Unicode anyway.
    int FontCharset() const { return m_charset; }
    void SetFontCharset(int charset) { m_charset = charset; }

signals:
    void MouseDown(QMouseEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TColor m_color = Colors::clBtnFace;
    QString m_caption;
    Qt::Alignment m_alignment = Qt::AlignCenter;
    int m_charset = 1;
};

} // namespace qm
