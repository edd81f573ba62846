#pragma once

#include <QStringList>

class QWidget;

namespace qm {

// The texts a person reads in `root` and its visible children that do not fit their room, each as
// "object name: text (needed / room)": label texts, button texts (with their icons), tab captions
// (and a tab bar that needs scroll arrows), and the captions of colour panels and swatches. Labels
// that give up their width on purpose (size policy Ignored) are left out.
QStringList CutTexts(const QWidget* root);

} // namespace qm
