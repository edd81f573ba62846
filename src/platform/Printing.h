#pragma once

#include <QImage>
#include <QList>
#include <QString>

class QWidget;

namespace qm {

// Prints a picture of the widget as it stands on the default printer, scaled so that it keeps
// its on-screen size on paper. Returns false (after telling the user) when nothing was printed.
bool PrintWidget(QWidget* widget);

// Test seam. While enabled nothing reaches a printer: each picture is recorded instead.
struct PrintedWidget {
    QString objectName;
    QImage picture;
};

namespace PrintSeam {
void Enable();
void Disable();
bool IsEnabled();
QList<PrintedWidget> Printed();
void Reset();
} // namespace PrintSeam

} // namespace qm
