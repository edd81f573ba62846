#include "platform/widgets/MemoLimit.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <limits>
#include <memory>

namespace qm {

namespace {

constexpr char kSetting[] = "qmSettingText";
constexpr char kLoaded[] = "qmLoadedText";
constexpr char kShown[] = "qmShownText";

// The memo's text with "\n" between blocks; unlike toPlainText it keeps no-break spaces and line
// separators.
QString ShownText(const QPlainTextEdit* memo) {
    QString text = memo->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

// Where to cut so that `count` characters before `end` (and not before `begin`) go.
qsizetype CutStart(const QString& text, qsizetype begin, qsizetype end, int count) {
    qsizetype cut = end;
    while (count > 0 && cut > begin) {
        --cut;
        if (cut > begin && text[cut].isLowSurrogate() && text[cut - 1].isHighSurrogate())
            --cut;
        --count;
    }
    return cut;
}

} // namespace

int CharacterCount(const QString& text) {
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        ++count;
    }
    return count;
}

void LimitMemoLength(QPlainTextEdit* memo, int maxLength) {
    // Cutting changes the document again; the flag keeps that change from being cut in turn.
    auto cutting = std::make_shared<bool>(false);
    QObject::connect(memo->document(), &QTextDocument::contentsChange, memo,
                     [memo, maxLength, cutting](int position, int, int added) {
                         if (*cutting || memo->property(kSetting).toBool() || added <= 0)
                             return;
                         const QString text = memo->document()->toRawText();
                         const int excess = CharacterCount(text) - maxLength;
                         if (excess <= 0)
                             return;
                         const qsizetype end = std::min<qsizetype>(position + added, text.size());
                         const qsizetype start = CutStart(text, position, end, excess);
                         *cutting = true;
                         QTextCursor cursor(memo->document());
                         cursor.setPosition(int(start));
                         cursor.setPosition(int(end), QTextCursor::KeepAnchor);
                         cursor.removeSelectedText();
                         *cutting = false;
                     });
}

void LimitLineLength(QLineEdit* edit, int maxLength) {
    edit->setMaxLength(std::numeric_limits<int>::max());
    // The line edit signals textEdited before textChanged, so `last` still holds the text the user
    // changed. It is read from the edit, not from the signal: after a cut the edit signals the text
    // from before the cut once more.
    auto last = std::make_shared<QString>(edit->text());
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, last] { *last = edit->text(); });
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, maxLength, last](const QString& text) {
        const int excess = CharacterCount(text) - maxLength;
        if (excess <= 0)
            return;
        const QString old = *last;
        qsizetype head = 0;
        while (head < old.size() && head < text.size() && old[head] == text[head])
            ++head;
        if (head > 0 && head < text.size() && text[head].isLowSurrogate())
            --head;
        qsizetype tail = 0;
        while (tail < old.size() - head && tail < text.size() - head &&
               old[old.size() - 1 - tail] == text[text.size() - 1 - tail])
            ++tail;
        qsizetype end = text.size() - tail;
        if (end < text.size() && text[end].isLowSurrogate())
            ++end;
        const qsizetype start = CutStart(text, head, end, excess);
        if (start == end)
            return;
        // Deleting a selection keeps the edit's undo history, which setText would drop.
        edit->setSelection(int(start), int(end - start));
        edit->del();
    });
}

void SetMemoText(QPlainTextEdit* memo, const QString& text) {
    memo->setProperty(kSetting, true);
    memo->setPlainText(text);
    memo->setProperty(kSetting, false);
    memo->setProperty(kLoaded, text);
    memo->setProperty(kShown, ShownText(memo));
}

QString MemoText(const QPlainTextEdit* memo) {
    const QString shown = ShownText(memo);
    const QVariant loaded = memo->property(kLoaded);
    if (loaded.isValid() && shown == memo->property(kShown).toString())
        return loaded.toString();
    return shown;
}

} // namespace qm
