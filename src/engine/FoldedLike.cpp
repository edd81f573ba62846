#include "engine/FoldedLike.h"

#include <QList>
#include <QString>
#include <sqlite3.h>
#include <string>
#include <unordered_map>
#include <vector>

namespace qm {

namespace {

constexpr size_t None = size_t(-1);

template <typename C> C FoldAscii(C c) {
    return c >= C('a') && c <= C('z') ? C(c - 'a' + 'A') : c;
}

// LIKE without an escape: "%" any run of characters, "_" any one character, letters compared after
// folding. Backtracks only to the last "%", so no pattern takes more than length x length steps.
template <typename C> bool Like(const C* pattern, size_t patternLength, const C* text, size_t textLength) {
    size_t p = 0, t = 0, starP = None, starT = 0;
    while (t < textLength) {
        if (p < patternLength && pattern[p] == C('%')) {
            starP = p++;
            starT = t;
        } else if (p < patternLength &&
                   (pattern[p] == C('_') || FoldAscii(pattern[p]) == FoldAscii(text[t]))) {
            ++p;
            ++t;
        } else if (starP != None) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < patternLength && pattern[p] == C('%'))
        ++p;
    return p == patternLength;
}

bool IsAscii(const char* text, int length) {
    for (int i = 0; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    return true;
}

// Upper case as the engine's UPPER makes it (full case mapping), as code points.
std::vector<char32_t> UpperCodePoints(const char* text, int length) {
    const QList<uint> ucs4 = QString::fromUtf8(text, length).toUpper().toUcs4();
    return std::vector<char32_t>(ucs4.begin(), ucs4.end());
}

// The upper case of one code point (one or more code points: "ß" is "SS"), remembered: a column
// holds few distinct letters beyond ASCII.
const std::u32string& UpperOf(char32_t c) {
    thread_local std::unordered_map<char32_t, std::u32string> known;
    const auto it = known.find(c);
    if (it != known.end())
        return it->second;
    const QList<uint> ucs4 = QString::fromUcs4(&c, 1).toUpper().toUcs4();
    return known.emplace(c, std::u32string(ucs4.begin(), ucs4.end())).first->second;
}

// The same as UpperCodePoints for well-formed UTF-8, one code point at a time and without a
// QString; false for anything else, which then takes the QString road.
bool FoldUtf8(const unsigned char* s, int length, std::vector<char32_t>* out) {
    out->clear();
    for (int i = 0; i < length;) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            out->push_back(FoldAscii(char32_t(b)));
            ++i;
            continue;
        }
        char32_t c;
        int extra;
        if (b >= 0xC2 && b <= 0xDF) {
            c = b & 0x1F;
            extra = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            c = b & 0x0F;
            extra = 2;
        } else if (b >= 0xF0 && b <= 0xF4) {
            c = b & 0x07;
            extra = 3;
        } else {
            return false;
        }
        if (i + extra >= length)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (s[i + k] & 0x3F);
        }
        const char32_t least = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        const std::u32string& upper = UpperOf(c);
        out->insert(out->end(), upper.begin(), upper.end());
        i += extra + 1;
    }
    return true;
}

// The pattern is the same for every row: prepared once per statement run.
struct Pattern {
    QByteArray bytes;
    bool ascii = true;
    std::vector<char32_t> upper;
};

void DeletePattern(void* pattern) {
    delete static_cast<Pattern*>(pattern);
}

const char* TextOf(sqlite3_value* value, int* length) {
    if (sqlite3_value_type(value) == SQLITE_NULL) {
        *length = 0;
        return "";
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    *length = sqlite3_value_bytes(value);
    return text;
}

void FoldedLikeFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (argc != 2)
        return sqlite3_result_error(context, "qm_upper_like takes two arguments", -1);
    auto* pattern = static_cast<Pattern*>(sqlite3_get_auxdata(context, 0));
    if (!pattern) {
        int length = 0;
        const char* text = TextOf(argv[0], &length);
        if (!text)
            return sqlite3_result_error_nomem(context);
        pattern = new Pattern;
        pattern->bytes = QByteArray(text, length);
        pattern->ascii = IsAscii(text, length);
        pattern->upper = UpperCodePoints(text, length);
        sqlite3_set_auxdata(context, 0, pattern, &DeletePattern);
        // SQLite may have dropped it at once; then it is read again for the next row.
        pattern = static_cast<Pattern*>(sqlite3_get_auxdata(context, 0));
        if (!pattern) {
            Pattern again{QByteArray(text, length), IsAscii(text, length), UpperCodePoints(text, length)};
            int valueLength = 0;
            const char* value = TextOf(argv[1], &valueLength);
            if (!value)
                return sqlite3_result_error_nomem(context);
            const std::vector<char32_t> upperValue = UpperCodePoints(value, valueLength);
            return sqlite3_result_int(
                context, Like(again.upper.data(), again.upper.size(), upperValue.data(), upperValue.size()));
        }
    }
    int length = 0;
    const char* value = TextOf(argv[1], &length);
    if (!value)
        return sqlite3_result_error_nomem(context);
    if (pattern->ascii && IsAscii(value, length)) {
        sqlite3_result_int(
            context, Like(pattern->bytes.constData(), size_t(pattern->bytes.size()), value, size_t(length)));
        return;
    }
    thread_local std::vector<char32_t> folded;
    if (!FoldUtf8(reinterpret_cast<const unsigned char*>(value), length, &folded))
        folded = UpperCodePoints(value, length);
    sqlite3_result_int(context,
                       Like(pattern->upper.data(), pattern->upper.size(), folded.data(), folded.size()));
}

} // namespace

int RegisterFoldedLike(sqlite3* db) {
    return sqlite3_create_function_v2(db, "qm_upper_like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                      &FoldedLikeFunction, nullptr, nullptr, nullptr);
}

} // namespace qm
