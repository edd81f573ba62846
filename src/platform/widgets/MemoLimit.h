#pragma once

class QPlainTextEdit;

namespace qm {

// Keeps a memo to `maxLength` characters, as a memo with a MaxLength does: whatever goes beyond is
// cut from what was just typed or pasted.
void LimitMemoLength(QPlainTextEdit* memo, int maxLength);

} // namespace qm
