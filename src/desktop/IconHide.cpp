#include "desktop/IconHide.h"

namespace qm {

namespace {

bool g_hidden = false;
int g_changes = 0;

} // namespace

TIconHide::TIconHide() {
    SetHidden(true);
}

bool TIconHide::Hidden() const {
    return g_hidden;
}

void TIconHide::SetHidden(bool hidden) {
    if (hidden == g_hidden)
        return;
    g_hidden = hidden;
    ++g_changes;
}

int TIconHide::ChangeCount() {
    return g_changes;
}

void TIconHide::ResetForTest() {
    g_hidden = false;
    g_changes = 0;
}

} // namespace qm
