#pragma once

#include "platform/ColorText.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

// The common dialogs as the program uses them: set the properties, call Execute(), read the result.
// Each runs through the modal seam, and through the dialog seam below in tests.
namespace qm {

class TColorDialog {
public:
    TColor Color = Colors::clBlack;
    // True when the user confirmed; Color then holds the chosen colour.
    bool Execute(QWidget* parent = nullptr);
};

class TOpenDialog {
public:
    QString FileName;
    QString InitialDir;
    QString Filter; // "Description|*.ext|Other description|*.a;*.b"
    QString DefaultExt;
    QString Title;
    // True when the user chose a file; FileName then holds its full path.
    bool Execute(QWidget* parent = nullptr);
};

class TSaveDialog {
public:
    QString FileName;
    QString InitialDir;
    QString Filter;
    QString DefaultExt; // added (after a dot) when the chosen name has no extension
    QString Title;
    int FilterIndex = 1; // the file type shown, counted from 1; the one chosen after Execute()
    // Runs when the user picks another file type (FilterIndex already changed), e.g. to change DefaultExt.
    std::function<void()> OnTypeChange;
    bool Execute(QWidget* parent = nullptr);
};

// The "Description|*.ext" filter form turned into Qt's "Description (*.ext);;..." form.
QString QtFileFilter(const QString& filter);

// Test seam. While enabled no dialog is shown: colour dialogs take the next queued colour, open and
// save dialogs the next queued file name; nullopt means the user cancelled. A dialog with nothing
// queued counts as cancelled and is counted, so that a test can fail on it instead of waiting.
struct ShownDialog {
    QString kind; // "color", "open" or "save"
    QString initialDir;
    QString filter;
    QString defaultExt;
};

namespace DialogSeam {
void Enable();
void Disable();
bool IsEnabled();
void QueueColor(std::optional<TColor> color);
void QueueFile(std::optional<QString> fileName);
// A save dialog in which the user first picks the file type `filterIndex` (from 1), then the name.
void QueueFileOfType(std::optional<QString> fileName, int filterIndex);
QList<ShownDialog> Shown();
int UnhandledCount();
void Reset();
} // namespace DialogSeam

} // namespace qm
