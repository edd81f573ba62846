#pragma once

#include <QWidget>

namespace qm {

// The picture shown while the organizer starts: borderless, on top, centred, 239 by 213 pixels,
// its sky-blue background left transparent.
class TSplashForm : public QWidget {
    Q_OBJECT
public:
    explicit TSplashForm(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace qm
