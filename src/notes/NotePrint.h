#pragma once

#include <QColor>
#include <QFont>
#include <QStringList>

class QPrinter;
class QWidget;

namespace qm {

// Draws the lines one printer line each, in order, in the font and colour given, on as many pages
// as they take; nothing else is printed. Returns the number of pages.
int RenderNoteLines(const QStringList& lines, const QFont& font, const QColor& color, QPrinter& printer);

// Asks for a printer with the print dialog and prints the lines there. False when the user
// cancelled.
bool PrintNoteLines(const QStringList& lines, const QFont& font, const QColor& color, QWidget* parent);

// Test seam. While enabled no dialog is shown: the lines are written to the PDF file and recorded.
namespace NotePrintSeam {
void PrintToPdf(const QString& fileName);
void Disable();
QStringList PrintedLines();
int PrintedCount();
} // namespace NotePrintSeam

} // namespace qm
