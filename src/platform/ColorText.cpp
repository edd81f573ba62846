#include "ColorText.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>
#include <limits>

namespace qm {

namespace {

constexpr TColor kSystem = 0x80000000;

struct NamedColor {
    TColor value;
    const char* name;
};

// Lookup from value to name takes the first match, so the order matters should two names ever share
// a value.
constexpr std::array<NamedColor, 52> kNamedColors{{
    {0x000000, "clBlack"},
    {0x000080, "clMaroon"},
    {0x008000, "clGreen"},
    {0x008080, "clOlive"},
    {0x800000, "clNavy"},
    {0x800080, "clPurple"},
    {0x808000, "clTeal"},
    {0x808080, "clGray"},
    {0xC0C0C0, "clSilver"},
    {0x0000FF, "clRed"},
    {0x00FF00, "clLime"},
    {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"},
    {0xFF00FF, "clFuchsia"},
    {0xFFFF00, "clAqua"},
    {0xFFFFFF, "clWhite"},
    {0xC0DCC0, "clMoneyGreen"},
    {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"},
    {0xA4A0A0, "clMedGray"},
    {kSystem + 0, "clScrollBar"},
    {kSystem + 1, "clBackground"},
    {kSystem + 2, "clActiveCaption"},
    {kSystem + 3, "clInactiveCaption"},
    {kSystem + 4, "clMenu"},
    {kSystem + 5, "clWindow"},
    {kSystem + 6, "clWindowFrame"},
    {kSystem + 7, "clMenuText"},
    {kSystem + 8, "clWindowText"},
    {kSystem + 9, "clCaptionText"},
    {kSystem + 10, "clActiveBorder"},
    {kSystem + 11, "clInactiveBorder"},
    {kSystem + 12, "clAppWorkSpace"},
    {kSystem + 13, "clHighlight"},
    {kSystem + 14, "clHighlightText"},
    {kSystem + 15, "clBtnFace"},
    {kSystem + 16, "clBtnShadow"},
    {kSystem + 17, "clGrayText"},
    {kSystem + 18, "clBtnText"},
    {kSystem + 19, "clInactiveCaptionText"},
    {kSystem + 20, "clBtnHighlight"},
    {kSystem + 21, "cl3DDkShadow"},
    {kSystem + 22, "cl3DLight"},
    {kSystem + 23, "clInfoText"},
    {kSystem + 24, "clInfoBk"},
    {kSystem + 26, "clHotLight"},
    {kSystem + 27, "clGradientActiveCaption"},
    {kSystem + 28, "clGradientInactiveCaption"},
    {kSystem + 29, "clMenuHighlight"},
    {kSystem + 30, "clMenuBar"},
    {0x1FFFFFFF, "clNone"},
    {0x20000000, "clDefault"},
}};

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

std::optional<quint32> ParseHex(QStringView digits) {
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    quint32 value = 0;
    for (const QChar c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = (value << 4) | quint32(digit);
    }
    return value;
}

std::optional<quint32> ParseDecimal(QStringView text) {
    QStringView digits = text;
    bool negative = false;
    if (!digits.isEmpty() && (digits.front() == u'-' || digits.front() == u'+')) {
        negative = digits.front() == u'-';
        digits = digits.mid(1);
    }
    if (digits.isEmpty() || digits.size() > 10)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<quint32>(static_cast<qint32>(value));
}

QPalette CurrentPalette() {
    return qGuiApp ? QGuiApplication::palette() : QPalette();
}

QColor SystemColor(int index) {
    const QPalette palette = CurrentPalette();
    switch (index) {
    case 0: // scroll bar
        return palette.color(QPalette::Button);
    case 5: // window background
        return palette.color(QPalette::Base);
    case 6: // window frame
        return palette.color(QPalette::Shadow);
    case 7: // menu text
        return palette.color(QPalette::WindowText);
    case 8: // window text
        return palette.color(QPalette::Text);
    case 2:  // active caption
    case 13: // highlight
    case 27: // gradient active caption
    case 29: // menu highlight
        return palette.color(QPalette::Highlight);
    case 9:  // caption text
    case 14: // highlight text
        return palette.color(QPalette::HighlightedText);
    case 3:  // inactive caption
    case 28: // gradient inactive caption
        return palette.color(QPalette::Mid);
    case 12: // application workspace
    case 16: // button shadow
        return palette.color(QPalette::Dark);
    case 15: // button face
        return palette.color(QPalette::Button);
    case 17: // grey text
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18: // button text
        return palette.color(QPalette::ButtonText);
    case 19: // inactive caption text
        return palette.color(QPalette::Disabled, QPalette::WindowText);
    case 20: // button highlight
        return palette.color(QPalette::Light);
    case 21: // 3D dark shadow
        return palette.color(QPalette::Shadow);
    case 22: // 3D light
        return palette.color(QPalette::Midlight);
    case 23: // tooltip text
        return palette.color(QPalette::ToolTipText);
    case 24: // tooltip background
        return palette.color(QPalette::ToolTipBase);
    case 26: // hot-tracked item
        return palette.color(QPalette::Link);
    default: // desktop, menu, menu bar, borders
        return palette.color(QPalette::Window);
    }
}

} // namespace

QString ColorToString(TColor color) {
    for (const NamedColor& named : kNamedColors) {
        if (named.value == color)
            return QString::fromLatin1(named.name);
    }
    return QStringLiteral("$%1").arg(color, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<TColor> StringToColor(const QString& text) {
    for (const NamedColor& named : kNamedColors) {
        if (text.compare(QLatin1StringView(named.name), Qt::CaseInsensitive) == 0)
            return named.value;
    }
    if (text.startsWith(u'$'))
        return ParseHex(QStringView(text).mid(1));
    if (text.startsWith(QLatin1StringView("0x"), Qt::CaseInsensitive))
        return ParseHex(QStringView(text).mid(2));
    return ParseDecimal(text);
}

QString InvalidColorMessage(const QString& text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

QColor ToQColor(TColor color) {
    if (color == Colors::clNone)
        return QColor(Qt::transparent);
    if (color == Colors::clDefault)
        return QColor();
    if (color & kSystem)
        return SystemColor(int(color & 0xFF));
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

TColor FromQColor(const QColor& color) {
    if (!color.isValid())
        return Colors::clDefault;
    if (color.alpha() == 0)
        return Colors::clNone;
    return TColor(color.red()) | (TColor(color.green()) << 8) | (TColor(color.blue()) << 16);
}

} // namespace qm
