#pragma once

#include <QString>

class QPlainTextEdit;

namespace qm {

// The text of a plain-text edit exactly as it holds it, lines separated by "\n". Unlike
// toPlainText(), a no-break space stays a no-break space and a line separator (U+2028) stays in its
// line, so that text read into an edit and taken back unchanged is the same text.
QString PlainTextOf(const QPlainTextEdit* edit);

} // namespace qm
