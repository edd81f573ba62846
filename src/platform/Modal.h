#pragma once

#include <QDialog>
#include <functional>

namespace qm {

// Every modal window of the program is run through here, so that tests can play the user's part.
// Returns the dialog's result code.
int RunModal(QDialog& dialog);

// Test seam. While enabled, RunModal shows the dialog without a nested event loop and calls the next
// queued handler with it; the handler acts as the user would (fills fields, clicks buttons, presses
// Esc). When the handler leaves the dialog open it is rejected. A modal window with no queued
// handler is rejected and counted, so the test can fail on it instead of hanging.
namespace ModalSeam {
using Handler = std::function<void(QDialog&)>;
void Enable();
void Disable();
bool IsEnabled();
void Queue(Handler handler);
int PendingCount();
int UnhandledCount();
void Reset();
} // namespace ModalSeam

} // namespace qm
