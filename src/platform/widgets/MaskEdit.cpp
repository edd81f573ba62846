#include "platform/widgets/MaskEdit.h"

#include "platform/DateFormat.h"

#include <QMouseEvent>

namespace qm {

namespace {

constexpr int kSeparatorPos = 2;

// Qt's mask letters are the reverse of the class library's: "0" is an optional digit, "9" a
// required one. The separator is escaped in case the locale's is a mask letter.
QString TimeMask() {
    return QStringLiteral("09\\") + TimeSeparator() + QStringLiteral("99;") + TMaskEdit::BlankChar;
}

} // namespace

TMaskEdit::TMaskEdit(QWidget* parent, const QString& objectName) : QLineEdit(parent) {
    setObjectName(objectName);
    setInputMask(TimeMask());
    setMaxLength(5);
}

QString TMaskEdit::Text() const {
    QString text = displayText();
    for (int i = 0; i < text.size(); ++i) {
        if (i != kSeparatorPos && text[i] == BlankChar)
            text[i] = u' ';
    }
    return text;
}

void TMaskEdit::SetText(const QString& text) {
    // Qt places a blank only when it is given as the blank character, so spaces are turned into
    // it; otherwise " 8:30" would slide the 8 into the first position.
    QString masked = text.left(5);
    for (int i = 0; i < masked.size(); ++i) {
        if (i != kSeparatorPos && masked[i] == u' ')
            masked[i] = BlankChar;
    }
    setText(masked);
}

void TMaskEdit::Clear() {
    clear();
}

// A click past the first blank position puts the caret there, so that what is typed next fills the
// field from its first free place instead of landing at the end.
void TMaskEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || event->modifiers() != Qt::NoModifier || hasSelectedText())
        return;
    const QString shown = displayText();
    for (int i = 0; i < shown.size(); ++i) {
        if (i != kSeparatorPos && shown[i] == BlankChar) {
            if (cursorPosition() > i)
                setCursorPosition(i);
            return;
        }
    }
}

bool TMaskEdit::IsBlank() const {
    const QString text = Text();
    for (int i = 0; i < text.size(); ++i) {
        if (i != kSeparatorPos && text[i] != u' ')
            return false;
    }
    return true;
}

bool TMaskEdit::IsValidTime() const {
    const QString text = Text();
    const auto digit = [&text](int i) { return text[i] >= u'0' && text[i] <= u'9'; };
    if (text.size() != 5 || !(digit(0) || text[0] == u' ') || !digit(1) || !digit(3) || !digit(4))
        return false;
    const int hour = (text[0] == u' ' ? 0 : text[0].digitValue() * 10) + text[1].digitValue();
    const int minute = text[3].digitValue() * 10 + text[4].digitValue();
    return hour <= 23 && minute <= 59;
}

} // namespace qm
