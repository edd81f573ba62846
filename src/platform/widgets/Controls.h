#pragma once

#include <QColor>
#include <QString>
#include <QStyle>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

namespace qm {

// Small factories so that every control gets its historical object name and its hint in one line.
QToolButton* MakeSpeedButton(QWidget* parent, const QString& name, const QString& caption,
                             const QString& hint, QStyle::StandardPixmap icon = QStyle::SP_CustomBase);
QLineEdit* MakeEdit(QWidget* parent, const QString& name, const QString& hint);
QComboBox* MakeComboList(QWidget* parent, const QString& name, const QString& hint, const QStringList& items);
QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, const QString& caption, const QString& hint);
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption,
                  const QString& hint = QString());

// The colour a widget's text is drawn over: that of the nearest widget, itself or behind it, that
// paints its own background.
QColor ShownBackground(const QWidget* widget);
// Gives the widget's text `ink`, made darker or lighter as far as it needs to read on what is behind.
void SetReadableTextColor(QWidget* widget, const QColor& ink);

} // namespace qm
