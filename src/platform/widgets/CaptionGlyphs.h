#pragma once

#include <QIcon>
#include <QStyle>

namespace qm {

// The window glyphs of a caption bar (minimise, stay on top, maximise, close) in one ink, so that
// they can follow the bar's colour; the style's own glyphs are grey and vanish on some colours.
// Any other kind gives the style's icon.
QIcon CaptionGlyph(QStyle::StandardPixmap kind, const QColor& ink);

} // namespace qm
