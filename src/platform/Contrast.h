#pragma once

#include <QColor>

namespace qm {

// How far two colours stand apart to the eye: the ratio of their relative luminances (WCAG 2), from
// 1 for equal colours to 21 for black on white.
double ContrastRatio(const QColor& a, const QColor& b);

// Black or white, whichever stands out more against `background`: at least 4.5:1 for any colour.
QColor ReadableInk(const QColor& background);

// `ink` itself when it stands out from `background` by `minimum` or more; otherwise the same hue made
// darker or lighter, just far enough to reach it.
QColor InkAgainst(const QColor& ink, const QColor& background, double minimum = 3.0);

} // namespace qm
