#include "platform/Modal.h"
#include "platform/WindowFocus.h"

#include <QList>

namespace qm {

namespace {

struct SeamState {
    bool enabled = false;
    QList<ModalSeam::Handler> queue;
    int unhandled = 0;
};

SeamState& State() {
    static SeamState state;
    return state;
}

} // namespace

int RunModal(QDialog& dialog) {
    SeamState& state = State();
    if (!state.enabled) {
        const TOwnedWindow owned(&dialog);
        return dialog.exec();
    }

    dialog.setResult(QDialog::Rejected);
    dialog.setModal(true);
    dialog.show();
    if (state.queue.isEmpty()) {
        ++state.unhandled;
    } else {
        const ModalSeam::Handler handler = state.queue.takeFirst();
        handler(dialog);
    }
    if (dialog.isVisible())
        dialog.reject();
    return dialog.result();
}

namespace ModalSeam {

void Enable() {
    State().enabled = true;
}

void Disable() {
    State().enabled = false;
}

bool IsEnabled() {
    return State().enabled;
}

void Queue(Handler handler) {
    State().queue.append(std::move(handler));
}

int PendingCount() {
    return int(State().queue.size());
}

int UnhandledCount() {
    return State().unhandled;
}

void Reset() {
    State().queue.clear();
    State().unhandled = 0;
}

} // namespace ModalSeam

} // namespace qm
