// Windows-1250 texts for the ANSI functions, made at compile time from the
// UTF-8 literals the sources are written in: every compiler hands the
// program the same bytes, and a character the code page lacks, or a
// broken UTF-8 sequence, stops the build where the text is defined.
//
//   constexpr auto kQuestion = cp1250(u8"Chcete ukončit?");
//   MessageBoxA(hWnd, kQuestion, ...);
#pragma once

#include <cstddef>

namespace cp1250_detail {

// The characters of bytes 0x80 to 0xFF; 0 where the code page has none.
constexpr char32_t kHighHalf[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0,      0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // 0xA0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // 0xC0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // 0xD0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // 0xE0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // 0xF0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

// The byte of character c.
constexpr char encode(char32_t c)
{
    if (c < 0x80)
        return static_cast<char>(c);
    for (unsigned i = 0; i < 128; ++i)
        if (kHighHalf[i] == c)
            return static_cast<char>(0x80 + i);
    throw "a character that Windows-1250 does not have";
}

// The character that starts at utf8[i]; i moves past it.
template <class Char>
constexpr char32_t decode(const Char* utf8, std::size_t length, std::size_t& i)
{
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(utf8[at]); };
    const unsigned char lead = byte(i++);
    const int more = lead < 0x80 ? 0 : lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2 : -1;
    if (more < 0)
        throw "not UTF-8, or a character that Windows-1250 does not have";
    char32_t c = more == 0 ? lead : lead & (0x3F >> more);
    for (int k = 0; k < more; ++k, ++i) {
        if (i >= length || (byte(i) & 0xC0) != 0x80)
            throw "a UTF-8 sequence cut short";
        c = c << 6 | (byte(i) & 0x3F);
    }
    if (more == 2 && c < 0x800)
        throw "an overlong UTF-8 sequence";
    return c;
}

} // namespace cp1250_detail

// Converts the length bytes of UTF-8 at utf8 into Windows-1250 at out (at
// most as many bytes); returns how many it wrote.
template <class Char>
constexpr std::size_t utf8ToCp1250(const Char* utf8, std::size_t length, char* out)
{
    std::size_t written = 0;
    for (std::size_t i = 0; i < length;)
        out[written++] = cp1250_detail::encode(cp1250_detail::decode(utf8, length, i));
    return written;
}

// A Windows-1250 text with its NUL, in room for N bytes.
template <std::size_t N>
struct Cp1250Text {
    char text[N];
    constexpr operator const char*() const { return text; }
};

// The literal's text in Windows-1250; made at compile time where the
// result is a constexpr variable.
template <class Char, std::size_t N>
constexpr Cp1250Text<N> cp1250(const Char (&utf8)[N])
{
    Cp1250Text<N> result{};
    utf8ToCp1250(utf8, N - 1, result.text);
    return result;
}
