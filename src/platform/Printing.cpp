#include "platform/Printing.h"

#include "platform/MessageBox.h"

#include <QApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

namespace qm {

namespace {

struct SeamState {
    bool enabled = false;
    QList<PrintedWidget> printed;
};

SeamState& State() {
    static SeamState state;
    return state;
}

} // namespace

bool PrintWidget(QWidget* widget) {
    if (!widget)
        return false;
    SeamState& state = State();
    if (state.enabled) {
        state.printed.append({widget->objectName(), widget->grab().toImage()});
        return true;
    }

    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull()) {
        MessageBox(QStringLiteral("There is no default printer to print on."),
                   QApplication::applicationDisplayName(), Mb::Ok + Mb::IconExclamation);
        return false;
    }
    QPrinter printer(defaultPrinter, QPrinter::HighResolution);
    QPainter painter;
    if (!painter.begin(&printer)) {
        MessageBox(QStringLiteral("The printer \"") + defaultPrinter.printerName() +
                       QStringLiteral("\" could not be started."),
                   QApplication::applicationDisplayName(), Mb::Ok + Mb::IconExclamation);
        return false;
    }
    // Printer dots per screen pixel, so that the picture keeps its size on paper.
    const double sx = double(printer.logicalDpiX()) / widget->logicalDpiX();
    const double sy = double(printer.logicalDpiY()) / widget->logicalDpiY();
    painter.scale(sx, sy);
    widget->render(&painter);
    painter.end();
    return true;
}

namespace PrintSeam {

void Enable() {
    State().enabled = true;
}

void Disable() {
    State().enabled = false;
}

bool IsEnabled() {
    return State().enabled;
}

QList<PrintedWidget> Printed() {
    return State().printed;
}

void Reset() {
    State().printed.clear();
}

} // namespace PrintSeam

} // namespace qm
