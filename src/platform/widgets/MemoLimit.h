#pragma once

#include <QString>

class QLineEdit;
class QPlainTextEdit;

// Length limits of the record dialogs' fields. They count characters (code points, so an emoji is one)
// and apply to what the user types or pastes: whatever goes beyond is cut from what was just typed or
// pasted, at a character boundary. A text the program sets is never cut, so that a stored value
// longer than the limit is stored back whole while the user does not change it.
namespace qm {

int CharacterCount(const QString& text);

void LimitMemoLength(QPlainTextEdit* memo, int maxLength);
// In place of QLineEdit::setMaxLength, which counts UTF-16 units, cuts inside a character and cuts
// texts set by the program as well.
void LimitLineLength(QLineEdit* edit, int maxLength);

// Shows a stored text in a memo (its line breaks in any form). MemoText gives it back exactly as it
// was while the text shown is unchanged; otherwise it gives the text shown, "\n" between lines, with
// no-break spaces and line separators kept.
void SetMemoText(QPlainTextEdit* memo, const QString& text);
QString MemoText(const QPlainTextEdit* memo);

} // namespace qm
