#include "platform/widgets/MemoLimit.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <memory>

namespace qm {

void LimitMemoLength(QPlainTextEdit* memo, int maxLength) {
    // Cutting changes the document again; the flag keeps that change from being cut in turn.
    auto cutting = std::make_shared<bool>(false);
    QObject::connect(memo->document(), &QTextDocument::contentsChange, memo,
                     [memo, maxLength, cutting](int position, int, int added) {
                         if (*cutting)
                             return;
                         const int excess = int(memo->toPlainText().size()) - maxLength;
                         if (excess <= 0)
                             return;
                         *cutting = true;
                         QTextCursor cursor(memo->document());
                         const int lastPosition = memo->document()->characterCount() - 1;
                         const int end = std::min(position + added, lastPosition);
                         cursor.setPosition(std::max(end - excess, 0));
                         cursor.setPosition(end, QTextCursor::KeepAnchor);
                         cursor.removeSelectedText();
                         if (memo->toPlainText().size() > maxLength) {
                             cursor.setPosition(maxLength);
                             cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
                             cursor.removeSelectedText();
                         }
                         *cutting = false;
                     });
}

} // namespace qm
