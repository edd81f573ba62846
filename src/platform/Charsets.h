#pragma once

namespace qm {

// The font charsets the program offers, in menu order, with their Windows codes. The codes are what
// the look files and the notes keep; Qt's text is Unicode whatever the code.
struct CharsetItem {
    const char* caption;
    int code;
};

inline constexpr CharsetItem kWindowsCharsets[] = {
    {"ANSI", 0},
    {"DEFAULT", 1},
    {"SYMBOL", 2},
    {"MAC", 77},
    {"Korean (Wansung)", 129},
    {"Japanese shift-jis", 128},
    {"Chinese (Simplified)", 134},
    {"Chinese (Traditional) ", 136},
    {"Korean (Johab)", 130},
    {"Turkish", 162},
    {"Greek", 161},
    {"Vietnamese", 163},
    {"Arabic", 178},
    {"Hebrew", 177},
    {"Baltic", 186},
    {"Cyrillic", 204},
    {"EASTEUROPE", 238},
    {"Thai", 222},
    {"OEM", 255},
};

} // namespace qm
