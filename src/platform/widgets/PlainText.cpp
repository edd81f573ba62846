#include "platform/widgets/PlainText.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace qm {

QString PlainTextOf(const QPlainTextEdit* edit) {
    QString text = edit->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

} // namespace qm
