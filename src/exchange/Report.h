#pragma once

#include <QColor>
#include <QList>
#include <QString>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

namespace qm {

class TQuery;

// One column of a report's detail band.
struct ReportColumn {
    QString caption;  // over the column, on every page
    QString field;    // the dataset's field; empty for a box to tick by hand
    double width = 0; // share of the page's width; 0 shares what the fixed columns leave
    bool bold = false;
    bool centred = false;
};

// A banded list report: a title band once, a column header and a page footer on every page, one
// detail band per row of the dataset, grown to its tallest field.
struct ReportLayout {
    QString name;
    TQuery* data = nullptr;
    bool landscape = true;
    QString title;      // right-aligned in the title bar
    QColor titleColor;  // the title bar's background
    QString dateLabel;  // right-aligned below the title bar when not empty
    QString groupLabel; // "Group:" below the title bar and in the footer when not empty
    int headerPoints = 11;
    int detailPoints = 10;
    QList<ReportColumn> columns;
};

// Draws every page of the report on the printer; returns the number of pages. The dataset is
// walked from its first row to its last and left on its last row.
int RenderReport(const ReportLayout& layout, QPrinter& printer);

// Shows the report in the modal preview window.
void PreviewReport(const ReportLayout& layout, QWidget* parent);

// Sends the report to the default printer, one copy, without a printer dialog. False (after
// telling the user) when there is no printer.
bool PrintReport(const ReportLayout& layout);

// Test seam. While enabled, printing writes a PDF file at the given path instead of reaching a
// printer.
namespace ReportSeam {
void PrintToPdf(const QString& fileName);
void Disable();
bool IsEnabled();
int PrintedCount();
} // namespace ReportSeam

} // namespace qm
