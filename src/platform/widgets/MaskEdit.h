#pragma once

#include <QLineEdit>
#include <QString>

namespace qm {

// The time field of the entry dialogs: two hour digits (the first may stay blank), the locale's
// time separator and two minute digits, blanks shown as "_". Its text is always five characters,
// blanks as spaces and the separator kept, which is the form stored in the tables.
class TMaskEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TMaskEdit(QWidget* parent = nullptr, const QString& objectName = QString());

    // Five characters, e.g. " 8:30", "12:05", or "  :  " when cleared.
    QString Text() const;
    // Accepts the stored five-character form; a space is a blank position.
    void SetText(const QString& text);
    void Clear();

    bool IsBlank() const; // no digit typed at all
    // A whole time from 0:00 to 23:59; the first hour digit may be blank.
    bool IsValidTime() const;

    static constexpr QChar BlankChar = u'_';

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace qm
