// The program's Windows-1250 texts: every character of the code page, as
// the system decodes each byte (the C library's iconv, or Windows' own
// code page 1250), comes back as that byte; characters the code page
// lacks, and broken UTF-8, are refused.
#include "cp1250.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

// The text converted by the system from one code page to the other: 1250
// or 65001 (UTF-8). Empty where it has no such character (on Windows a C1
// control stands in for a byte that Windows-1250 leaves undefined).
std::string systemConversion(const std::string& text, int from, int to)
{
    std::string out(4 * text.size() + 4, '\0');
#ifdef _WIN32
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), &wide[0],
                            static_cast<int>(wide.size()))));
    BOOL lossy = FALSE;
    out.resize(static_cast<std::size_t>(WideCharToMultiByte(to, 0, wide.data(), static_cast<int>(wide.size()), &out[0],
                                                            static_cast<int>(out.size()), nullptr,
                                                            to == 1250 ? &lossy : nullptr)));
    for (const wchar_t c : wide)
        lossy |= c >= 0x80 && c < 0xA0;
    return wide.empty() || lossy ? "" : out;
#else
    iconv_t cd = iconv_open(to == 1250 ? "CP1250" : "UTF-8", from == 1250 ? "CP1250" : "UTF-8");
    char* in = const_cast<char*>(text.data());
    char* at = &out[0];
    std::size_t inLeft = text.size(), outLeft = out.size();
    const bool ok = cd != reinterpret_cast<iconv_t>(-1) && iconv(cd, &in, &inLeft, &at, &outLeft) != static_cast<std::size_t>(-1);
    if (cd != reinterpret_cast<iconv_t>(-1))
        iconv_close(cd);
    out.resize(static_cast<std::size_t>(at - out.data()));
    return ok ? out : "";
#endif
}

std::string hex(const std::string& bytes)
{
    std::string text;
    for (const char c : bytes)
        text += "0123456789ABCDEF"[static_cast<unsigned char>(c) >> 4] + std::string(1, "0123456789ABCDEF"[c & 0xF]) + " ";
    return text;
}

TEST(Cp1250, EveryCharacterOfTheCodePageBecomesItsByte)
{
    int characters = 0;
    for (int b = 1; b < 256; ++b) {
        const std::string utf8 = systemConversion(std::string(1, static_cast<char>(b)), 1250, 65001);
        if (utf8.empty())
            continue;
        ++characters;
        char out[4] = {};
        std::string got;
        try {
            got.assign(out, utf8ToCp1250(utf8.data(), utf8.size(), out));
        } catch (const char* refusal) {
            got = refusal;
        }
        EXPECT_EQ(hex(got), hex(std::string(1, static_cast<char>(b)))) << "UTF-8 " << hex(utf8);
    }
    // The code page has no character at 0x81, 0x83, 0x88, 0x90 and 0x98.
    EXPECT_EQ(characters, 250) << "characters the system decodes";
}

TEST(Cp1250, RefusesWhatItCannotConvert)
{
    const struct {
        const char* utf8;
        const char* what;
    } cases[] = {
        {"\xC3\xB1", "n with tilde, not in Windows-1250"},
        {"\xC2\x81", "a C1 control"},
        {"\xE2\x82\xAD", "the kip sign"},
        {"\xF0\x9F\x9A\x80", "a four-byte character"},
        {"\xC4", "a sequence cut short at the end"},
        {"\xC4" "a", "a sequence cut short by a letter"},
        {"\x8D", "a lone continuation byte"},
        {"\xC0\xAF", "an overlong slash"},
        {"\xE0\x80\xAF", "an overlong slash of three bytes"},
    };
    for (const auto& c : cases) {
        char out[8];
        const std::string text = c.utf8;
        EXPECT_ANY_THROW(utf8ToCp1250(text.data(), text.size(), out)) << c.what << ": " << hex(text);
    }
}

// The literal form the program uses gives the system's bytes and a NUL.
TEST(Cp1250, LiteralsAtCompileTime)
{
    constexpr auto kText = cp1250(u8"Země: žluťoučký kůň úpěl ďábelské ódy, Ťř € „“");
    const std::string expected = systemConversion(u8"Země: žluťoučký kůň úpěl ďábelské ódy, Ťř € „“", 65001, 1250);
    EXPECT_EQ(hex(kText.text), hex(expected));
    EXPECT_EQ(expected.size(), 46u);
}

} // namespace
