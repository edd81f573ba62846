#pragma once

#include <QColor>
#include <QString>
#include <optional>

// Colours as the class library keeps them: a 32-bit value $00BBGGRR for a plain colour,
// $80000000 + index for a system colour, $1FFFFFFF for none, $20000000 for the default colour,
// written as text either as a colour name ("clRed") or as "$" and eight hexadecimal digits.
namespace qm {

using TColor = quint32;

namespace Colors {
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clBtnFace = 0x80000000 + 15;
constexpr TColor clWindow = 0x80000000 + 5;
constexpr TColor clWindowText = 0x80000000 + 8;
} // namespace Colors

// "clRed" for a named value, otherwise "$" + eight upper-case hexadecimal digits.
QString ColorToString(TColor color);
// A name (any case), a decimal integer or "$" + hexadecimal digits; nullopt when it is none of these.
std::optional<TColor> StringToColor(const QString& text);
// The conversion error text of the class library: "'<text>' is not a valid integer value".
QString InvalidColorMessage(const QString& text);

// The colour to paint with: system colours through the application palette.
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

} // namespace qm
