#include "notes/NotePrint.h"

#include "platform/Modal.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <stdexcept>

namespace qm {

namespace {

struct SeamState {
    bool enabled = false;
    QString pdfFile;
    QStringList lines;
    int printed = 0;
};

SeamState& Seam() {
    static SeamState state;
    return state;
}

} // namespace

int RenderNoteLines(const QStringList& lines, const QFont& font, const QColor& color, QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer))
        throw std::runtime_error("The printer could not be started.");
    // The font keeps its point size on paper.
    painter.setFont(QFont(font, &printer));
    painter.setPen(color);
    const QFontMetricsF metrics(painter.font(), &printer);
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double lineHeight = metrics.lineSpacing();
    const double height = page.height();
    int pages = 1;
    double y = 0;
    for (const QString& line : lines) {
        if (y + lineHeight > height && y > 0) {
            printer.newPage();
            ++pages;
            y = 0;
        }
        painter.drawText(QPointF(0, y + metrics.ascent()), line);
        y += lineHeight;
    }
    painter.end();
    return pages;
}

bool PrintNoteLines(const QStringList& lines, const QFont& font, const QColor& color, QWidget* parent) {
    SeamState& seam = Seam();
    if (seam.enabled) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(seam.pdfFile);
        RenderNoteLines(lines, font, color, printer);
        seam.lines = lines;
        ++seam.printed;
        return true;
    }
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    RenderNoteLines(lines, font, color, printer);
    return true;
}

namespace NotePrintSeam {

void PrintToPdf(const QString& fileName) {
    Seam() = SeamState{true, fileName, {}, 0};
}

void Disable() {
    Seam() = SeamState{};
}

QStringList PrintedLines() {
    return Seam().lines;
}

int PrintedCount() {
    return Seam().printed;
}

} // namespace NotePrintSeam

} // namespace qm
