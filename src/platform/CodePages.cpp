#include "platform/CodePages.h"

#include <array>
#include <memory>
#include <stdexcept>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

namespace qm {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

struct ConverterClose {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterClose>;

const char* IcuName(CodePage page) {
    switch (page) {
    case CodePage::Windows1250:
        return "windows-1250";
    case CodePage::Windows1251:
        return "windows-1251";
    case CodePage::Windows1252:
        return "windows-1252";
    case CodePage::Windows1253:
        return "windows-1253";
    case CodePage::Windows1254:
        return "windows-1254";
    case CodePage::Windows1255:
        return "windows-1255";
    case CodePage::Windows1256:
        return "windows-1256";
    case CodePage::Windows1257:
        return "windows-1257";
    case CodePage::Windows1258:
        return "windows-1258";
    case CodePage::Windows874:
        return "windows-874";
    case CodePage::ShiftJis:
        return "windows-932";
    case CodePage::Gb2312:
        return "windows-936";
    case CodePage::Hangul:
        return "windows-949";
    case CodePage::Big5:
        return "windows-950";
    case CodePage::MacRoman:
        return "x-mac-roman";
    case CodePage::Oem437:
        return "cp437";
    case CodePage::Johab:
        return "EUC-KR"; // the KS X 1001 characters that are not Hangul syllables
    case CodePage::Utf8:
    case CodePage::Latin1:
        break;
    }
    return nullptr;
}

// Converters stop at what they cannot convert, so that the caller decides; fallbacks (near
// look-alikes) are never taken.
Converter OpenConverter(CodePage page) {
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(IcuName(page), &status));
    if (U_FAILURE(status) || !converter)
        throw std::runtime_error(QStringLiteral("The code page %1 is not available: %2")
                                     .arg(CodePageName(page), QString::fromLatin1(u_errorName(status)))
                                     .toStdString());
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFallback(converter.get(), false);
    return converter;
}

void Append(DecodedBytes& out, char32_t c, qsizetype start) {
    if (c > 0xFFFF) {
        out.text.append(QChar::highSurrogate(c));
        out.text.append(QChar::lowSurrogate(c));
        out.starts.append(start);
        out.starts.append(start);
    } else {
        out.text.append(QChar(char16_t(c)));
        out.starts.append(start);
    }
}

// --- UTF-8 ---

// The length of the valid UTF-8 sequence at `i` (no overlong forms, no surrogates, nothing past
// U+10FFFF), or 0.
int Utf8SequenceAt(const QByteArray& bytes, qsizetype i, char32_t* value) {
    const auto byte = [&](qsizetype k) {
        return k < bytes.size() ? static_cast<unsigned char>(bytes[k]) : 0u;
    };
    const unsigned lead = byte(i);
    int length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        *value = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        const unsigned next = byte(i + k);
        if ((next & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (next & 0x3F);
    }
    const char32_t minimum = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    *value = c;
    return length;
}

DecodedBytes DecodeUtf8(const QByteArray& bytes) {
    DecodedBytes out;
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t c = 0;
        const int length = Utf8SequenceAt(bytes, i, &c);
        Append(out, length ? c : kReplacement, i);
        i += length ? length : 1;
    }
    return out;
}

// --- ICU code pages ---

DecodedBytes DecodeIcu(const QByteArray& bytes, CodePage page) {
    const Converter converter = OpenConverter(page);
    DecodedBytes out;
    std::vector<UChar> buffer(2 * size_t(bytes.size()) + 16);
    std::vector<int32_t> offsets(buffer.size());
    const char* const begin = bytes.constData();
    const char* const end = begin + bytes.size();
    const char* source = begin;
    for (;;) {
        const char* const chunk = source;
        UChar* target = buffer.data();
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter.get(), &target, buffer.data() + buffer.size(), &source, end, offsets.data(),
                       true, &status);
        for (UChar* unit = buffer.data(); unit < target; ++unit) {
            const int32_t offset = offsets[size_t(unit - buffer.data())];
            out.text.append(QChar(char16_t(*unit)));
            out.starts.append(offset < 0 ? (out.starts.isEmpty() ? 0 : out.starts.last())
                                         : (chunk - begin) + offset);
        }
        if (U_SUCCESS(status))
            break;
        if (status != U_ILLEGAL_CHAR_FOUND && status != U_INVALID_CHAR_FOUND &&
            status != U_TRUNCATED_CHAR_FOUND)
            throw std::runtime_error(QStringLiteral("The text could not be read as %1: %2")
                                         .arg(CodePageName(page), QString::fromLatin1(u_errorName(status)))
                                         .toStdString());
        char invalid[32];
        int8_t length = sizeof invalid;
        UErrorCode ignored = U_ZERO_ERROR;
        ucnv_getInvalidChars(converter.get(), invalid, &length, &ignored);
        if (length <= 0) {
            // Nothing was consumed: take the next byte as unreadable so that reading moves on.
            if (source >= end)
                break;
            length = 1;
            ++source;
        }
        const qsizetype first = (source - begin) - length;
        for (int k = 0; k < length; ++k)
            Append(out, kReplacement, first + k);
        ucnv_reset(converter.get());
        if (source >= end)
            break;
    }
    out.starts.append(bytes.size());
    // IBM's tables trade some control codes about; a byte below 128 alone is always that ASCII code.
    for (qsizetype i = 0; i + 1 < out.starts.size(); ++i) {
        const qsizetype start = out.starts[i];
        const auto byte = static_cast<unsigned char>(bytes[start]);
        if (out.starts[i + 1] == start + 1 && byte < 0x80)
            out.text[i] = QChar(byte);
    }
    return out;
}

// Encodes text with no ASCII in it; fails on the first character the code page cannot hold.
std::optional<QByteArray> EncodeIcuRun(UConverter* converter, const QString& run, char32_t* unencodable) {
    ucnv_reset(converter);
    QByteArray bytes(run.size() * 4 + 16, Qt::Uninitialized);
    char* target = bytes.data();
    const UChar* source = reinterpret_cast<const UChar*>(run.utf16());
    UErrorCode status = U_ZERO_ERROR;
    ucnv_fromUnicode(converter, &target, bytes.data() + bytes.size(), &source, source + run.size(), nullptr,
                     true, &status);
    if (U_FAILURE(status)) {
        if (unencodable) {
            UChar invalid[4];
            int8_t length = 4;
            UErrorCode ignored = U_ZERO_ERROR;
            ucnv_getInvalidUChars(converter, invalid, &length, &ignored);
            *unencodable = length == 2  ? QChar::surrogateToUcs4(invalid[0], invalid[1])
                           : length > 0 ? char32_t(invalid[0])
                                        : char32_t(kReplacement);
        }
        return std::nullopt;
    }
    bytes.truncate(target - bytes.data());
    return bytes;
}

// --- Johab ---

// Johab packs a Hangul syllable into 16 bits: 1, then five bits each for the initial, the medial
// and the final jamo. These tables give the field value of each jamo in Unicode's order.
constexpr std::array<int, 21> kJohabMedial = {3,  4,  5,  6,  7,  10, 11, 12, 13, 14, 15,
                                              18, 19, 20, 21, 22, 23, 26, 27, 28, 29};
// Compatibility jamo (U+3131 onwards) of the 19 initials and the 27 finals.
constexpr std::array<char16_t, 19> kInitialJamo = {0x3131, 0x3132, 0x3134, 0x3137, 0x3138, 0x3139, 0x3141,
                                                   0x3142, 0x3143, 0x3145, 0x3146, 0x3147, 0x3148, 0x3149,
                                                   0x314A, 0x314B, 0x314C, 0x314D, 0x314E};
constexpr std::array<char16_t, 27> kFinalJamo = {0x3131, 0x3132, 0x3133, 0x3134, 0x3135, 0x3136, 0x3137,
                                                 0x3139, 0x313A, 0x313B, 0x313C, 0x313D, 0x313E, 0x313F,
                                                 0x3140, 0x3141, 0x3142, 0x3144, 0x3145, 0x3146, 0x3147,
                                                 0x3148, 0x314A, 0x314B, 0x314C, 0x314D, 0x314E};
constexpr int kInitialFill = 1, kMedialFill = 2, kFinalFill = 1;

int FinalField(int index) { // index 1..27
    return index <= 16 ? index + 1 : index + 2;
}

int IndexOf(const auto& table, int value) {
    for (size_t i = 0; i < table.size(); ++i)
        if (int(table[i]) == value)
            return int(i);
    return -1;
}

unsigned JohabWord(int initial, int medial, int final) {
    return 0x8000u | unsigned(initial) << 10 | unsigned(medial) << 5 | unsigned(final);
}

// The Hangul character of a Johab word, or 0.
char32_t DecodeJohabHangul(unsigned word) {
    const int initialField = int(word >> 10) & 31, medialField = int(word >> 5) & 31,
              finalField = int(word) & 31;
    const int initial = initialField >= 2 && initialField <= 20 ? initialField - 2 : -1;
    const int medial = IndexOf(kJohabMedial, medialField);
    int final = -1; // 0: no final
    if (finalField == kFinalFill)
        final = 0;
    else if (finalField >= 2 && finalField <= 17)
        final = finalField - 1;
    else if (finalField >= 19 && finalField <= 29)
        final = finalField - 2;
    const bool noInitial = initialField == kInitialFill, noMedial = medialField == kMedialFill;
    if (initial >= 0 && medial >= 0 && final >= 0)
        return 0xAC00 + char32_t((initial * 21 + medial) * 28 + final);
    if (initial >= 0 && noMedial && final == 0)
        return kInitialJamo[size_t(initial)];
    if (noInitial && medial >= 0 && final == 0)
        return 0x314F + char32_t(medial);
    if (noInitial && noMedial && final > 0)
        return kFinalJamo[size_t(final - 1)];
    if (noInitial && noMedial && final == 0)
        return 0x3164; // Hangul filler
    return 0;
}

// Johab places the KS X 1001 rows other than Hangul two to a lead byte: symbols (rows 1 to 12) from
// D9, hanja (rows 42 to 93) from E0. The first row of a pair takes trail bytes 31-7E and 91-A0, the
// second A1-FE.
std::optional<std::pair<unsigned char, unsigned char>> JohabToEucKr(unsigned lead, unsigned trail) {
    unsigned row;
    if (lead >= 0xD9 && lead <= 0xDE)
        row = 0xA1 + (lead - 0xD9) * 2;
    else if (lead >= 0xE0 && lead <= 0xF9)
        row = 0xCA + (lead - 0xE0) * 2;
    else
        return std::nullopt;
    if (trail >= 0x31 && trail <= 0x7E)
        return std::pair{static_cast<unsigned char>(row), static_cast<unsigned char>(trail - 0x31 + 0xA1)};
    if (trail >= 0x91 && trail <= 0xA0)
        return std::pair{static_cast<unsigned char>(row), static_cast<unsigned char>(trail - 0x91 + 0xEF)};
    if (trail >= 0xA1 && trail <= 0xFE)
        return std::pair{static_cast<unsigned char>(row + 1), static_cast<unsigned char>(trail)};
    return std::nullopt;
}

std::optional<std::pair<unsigned char, unsigned char>> EucKrToJohab(unsigned row, unsigned cell) {
    unsigned lead;
    if (row >= 0xA1 && row <= 0xAC)
        lead = 0xD9 + (row - 0xA1) / 2;
    else if (row >= 0xCA && row <= 0xFD)
        lead = 0xE0 + (row - 0xCA) / 2;
    else
        return std::nullopt;
    if (cell < 0xA1 || cell > 0xFE)
        return std::nullopt;
    const bool firstOfPair = (row - (row >= 0xCA ? 0xCA : 0xA1)) % 2 == 0;
    unsigned trail = cell;
    if (firstOfPair)
        trail = cell <= 0xEE ? cell - 0xA1 + 0x31 : cell - 0xEF + 0x91;
    return std::pair{static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
}

DecodedBytes DecodeJohab(const QByteArray& bytes) {
    const Converter eucKr = OpenConverter(CodePage::Johab);
    DecodedBytes out;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            Append(out, lead, i);
            ++i;
            continue;
        }
        char32_t c = 0;
        if (i + 1 < bytes.size()) {
            const auto trail = static_cast<unsigned char>(bytes[i + 1]);
            if (lead >= 0x84 && lead <= 0xD3) {
                c = DecodeJohabHangul(unsigned(lead) << 8 | trail);
            } else if (const auto euc = JohabToEucKr(lead, trail)) {
                const char pair[2] = {char(euc->first), char(euc->second)};
                UChar unit[2];
                UErrorCode status = U_ZERO_ERROR;
                ucnv_reset(eucKr.get());
                const int32_t length = ucnv_toUChars(eucKr.get(), unit, 2, pair, 2, &status);
                if (U_SUCCESS(status) && length == 1 && unit[0] != kReplacement)
                    c = unit[0];
            }
        }
        if (c) {
            Append(out, c, i);
            i += 2;
        } else {
            Append(out, kReplacement, i);
            ++i;
        }
    }
    out.starts.append(bytes.size());
    return out;
}

std::optional<QByteArray> EncodeJohabChar(UConverter* eucKr, char32_t c) {
    const auto word = [](unsigned w) {
        const char bytes[2] = {char(w >> 8), char(w & 0xFF)};
        return QByteArray(bytes, 2);
    };
    if (c < 0x80)
        return QByteArray(1, char(c));
    if (c >= 0xAC00 && c <= 0xD7A3) {
        const int index = int(c - 0xAC00);
        const int final = index % 28, medial = (index / 28) % 21, initial = index / (28 * 21);
        return word(
            JohabWord(initial + 2, kJohabMedial[size_t(medial)], final ? FinalField(final) : kFinalFill));
    }
    if (c == 0x3164)
        return word(JohabWord(kInitialFill, kMedialFill, kFinalFill));
    if (const int initial = IndexOf(kInitialJamo, int(c)); initial >= 0)
        return word(JohabWord(initial + 2, kMedialFill, kFinalFill));
    if (const int final = IndexOf(kFinalJamo, int(c)); final >= 0)
        return word(JohabWord(kInitialFill, kMedialFill, FinalField(final + 1)));
    if (c >= 0x314F && c <= 0x3163)
        return word(JohabWord(kInitialFill, kJohabMedial[size_t(c - 0x314F)], kFinalFill));
    if (c > 0xFFFF)
        return std::nullopt;
    const auto euc = EncodeIcuRun(eucKr, QString(QChar(char16_t(c))), nullptr);
    if (!euc || euc->size() != 2)
        return std::nullopt;
    const auto johab =
        EucKrToJohab(static_cast<unsigned char>((*euc)[0]), static_cast<unsigned char>((*euc)[1]));
    if (!johab)
        return std::nullopt;
    const char bytes[2] = {char(johab->first), char(johab->second)};
    return QByteArray(bytes, 2);
}

// The code point at `i` of `text`, and how many units it takes; a lone surrogate is itself.
char32_t CodePointAt(const QString& text, qsizetype i, int* units) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(c, text[i + 1]);
    }
    *units = 1;
    return c.unicode();
}

} // namespace

CodePage CodePageForCharset(int charset, const QByteArray& bytes) {
    switch (charset) {
    case 2:
        return CodePage::Latin1;
    case 77:
        return CodePage::MacRoman;
    case 128:
        return CodePage::ShiftJis;
    case 129:
        return CodePage::Hangul;
    case 130:
        return CodePage::Johab;
    case 134:
        return CodePage::Gb2312;
    case 136:
        return CodePage::Big5;
    case 161:
        return CodePage::Windows1253;
    case 162:
        return CodePage::Windows1254;
    case 163:
        return CodePage::Windows1258;
    case 177:
        return CodePage::Windows1255;
    case 178:
        return CodePage::Windows1256;
    case 186:
        return CodePage::Windows1257;
    case 204:
        return CodePage::Windows1251;
    case 222:
        return CodePage::Windows874;
    case 238:
        return CodePage::Windows1250;
    case 255:
        return CodePage::Oem437;
    default:
        return IsValidUtf8(bytes) ? CodePage::Utf8 : CodePage::Windows1252;
    }
}

QString CodePageName(CodePage page) {
    switch (page) {
    case CodePage::Utf8:
        return QStringLiteral("UTF-8");
    case CodePage::Latin1:
        return QStringLiteral("Latin-1 (symbol)");
    case CodePage::Johab:
        return QStringLiteral("Johab");
    default:
        return QString::fromLatin1(IcuName(page));
    }
}

bool IsValidUtf8(const QByteArray& bytes) {
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t c = 0;
        const int length = Utf8SequenceAt(bytes, i, &c);
        if (!length)
            return false;
        i += length;
    }
    return true;
}

DecodedBytes DecodeBytes(const QByteArray& bytes, CodePage page) {
    switch (page) {
    case CodePage::Utf8:
        return DecodeUtf8(bytes);
    case CodePage::Latin1: {
        DecodedBytes out;
        out.text = QString::fromLatin1(bytes);
        out.starts.reserve(bytes.size() + 1);
        for (qsizetype i = 0; i <= bytes.size(); ++i)
            out.starts.append(i);
        return out;
    }
    case CodePage::Johab:
        return DecodeJohab(bytes);
    default:
        return DecodeIcu(bytes, page);
    }
}

std::optional<QByteArray> EncodeText(const QString& text, CodePage page, char32_t* unencodable) {
    const auto fail = [&](char32_t c) -> std::optional<QByteArray> {
        if (unencodable)
            *unencodable = c;
        return std::nullopt;
    };
    // A lone surrogate is no character in any code page.
    for (qsizetype i = 0; i < text.size();) {
        int units = 1;
        const char32_t c = CodePointAt(text, i, &units);
        if (c >= 0xD800 && c <= 0xDFFF)
            return fail(c);
        if (page == CodePage::Latin1 && c > 0xFF)
            return fail(c);
        i += units;
    }
    if (page == CodePage::Utf8)
        return text.toUtf8();
    if (page == CodePage::Latin1)
        return text.toLatin1();

    const Converter converter = OpenConverter(page);
    QByteArray out;
    out.reserve(text.size());
    if (page == CodePage::Johab) {
        for (qsizetype i = 0; i < text.size();) {
            int units = 1;
            const char32_t c = CodePointAt(text, i, &units);
            const auto bytes = EncodeJohabChar(converter.get(), c);
            if (!bytes)
                return fail(c);
            out += *bytes;
            i += units;
        }
        return out;
    }
    // ASCII is written as it is (IBM's tables would trade some control codes about); the runs between
    // go through ICU and must read back as they were.
    for (qsizetype i = 0; i < text.size();) {
        if (text[i].unicode() < 0x80) {
            out += char(text[i].unicode());
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && text[end].unicode() >= 0x80)
            ++end;
        const QString run = text.mid(i, end - i);
        char32_t bad = 0;
        const auto bytes = EncodeIcuRun(converter.get(), run, &bad);
        if (!bytes)
            return fail(bad);
        if (DecodeIcu(*bytes, page).text != run) {
            // Find the character that does not come back as it went.
            for (qsizetype k = 0; k < run.size();) {
                int units = 1;
                const char32_t c = CodePointAt(run, k, &units);
                const QString one = run.mid(k, units);
                const auto single = EncodeIcuRun(converter.get(), one, nullptr);
                if (!single || DecodeIcu(*single, page).text != one)
                    return fail(c);
                k += units;
            }
            return fail(kReplacement);
        }
        out += *bytes;
        i = end;
    }
    return out;
}

} // namespace qm
