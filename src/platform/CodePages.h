#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The 8-bit and double-byte code pages of the Windows font charsets, converted through ICU (Johab by
// its own rule, as ICU has no converter for it).
namespace qm {

enum class CodePage {
    Utf8,
    Latin1, // bytes kept as they are, for symbol fonts
    Windows1250,
    Windows1251,
    Windows1252,
    Windows1253,
    Windows1254,
    Windows1255,
    Windows1256,
    Windows1257,
    Windows1258,
    Windows874,
    ShiftJis, // 932
    Gb2312,   // 936
    Hangul,   // 949
    Big5,     // 950
    Johab,    // 1361
    MacRoman, // x-mac-roman
    Oem437,   // cp437
};

// The code page of a Windows charset code. "ANSI" (0), "DEFAULT" (1) and unknown codes take UTF-8 when
// `bytes` are valid UTF-8 and Windows-1252 otherwise.
CodePage CodePageForCharset(int charset, const QByteArray& bytes);

// The code page's usual name, for messages.
QString CodePageName(CodePage page);

bool IsValidUtf8(const QByteArray& bytes);

// Text decoded from bytes, and where the bytes of each UTF-16 unit's character begin: `starts` has
// one entry per unit of `text` (both units of a surrogate pair share it) and a last one, the size of
// the bytes. Each byte the code page cannot read becomes one U+FFFD.
struct DecodedBytes {
    QString text;
    QList<qsizetype> starts;
};
DecodedBytes DecodeBytes(const QByteArray& bytes, CodePage page);

// Encodes `text`, never with a stand-in: when a character cannot be held, gives nothing and sets
// `unencodable` to that character.
std::optional<QByteArray> EncodeText(const QString& text, CodePage page, char32_t* unencodable = nullptr);

} // namespace qm
