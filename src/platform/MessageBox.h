#pragma once

#include <QList>
#include <QString>
#include <functional>

// Message boxes with the flag values and answers of the original platform.
namespace qm {

namespace Mb {
constexpr int Ok = 0x0;
constexpr int OkCancel = 0x1;
constexpr int YesNoCancel = 0x3;
constexpr int YesNo = 0x4;
constexpr int IconError = 0x10;
constexpr int IconQuestion = 0x20;
constexpr int IconExclamation = 0x30;
constexpr int IconInformation = 0x40;
} // namespace Mb

namespace Id {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace Id

// Shows a modal box; returns the Id of the button clicked. Esc and the window's close button answer
// Cancel on a box that has it and OK on a box with OK alone; a Yes/No question has no answer but a
// click or a key of Yes or No, so that no slip answers one.
int MessageBox(const QString& text, const QString& caption, int flags);
// A plain box with an OK button, captioned with the application's title.
void ShowMessage(const QString& text);

// Test seam. While enabled no box is shown: each box is recorded and answered from the queue.
// A box with no queued answer is recorded as unanswered and answered Id::No (or Id::Cancel, or
// Id::Ok), so the test can fail on it instead of waiting for a click. Disabled, the real box shows.
struct ShownBox {
    QString text;
    QString caption;
    int flags = 0;
    bool answered = true;
};

namespace MessageBoxSeam {
void Enable();
void Disable();
bool IsEnabled();
void QueueAnswer(int answer);
QList<ShownBox> Shown();
int UnansweredCount();
// Runs `action` while each later box is open, before it is answered (what another window or the
// tray could do meanwhile). Reset() removes it.
void WhileOpen(std::function<void(const ShownBox&)> action);
void Reset();
} // namespace MessageBoxSeam

} // namespace qm
