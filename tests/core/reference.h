// A second, independent reading of the number grammar, and the C library's
// conversions as the reference where the C library is glibc (correctly
// rounded strtod, exact printf). Shared by the unit tests and the fuzzer.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace reference {

constexpr const char* kDigits = "0123456789";

// The bytes of text that make up its number: from the first ASCII digit on,
// digits, then "." and digits, then "e"/"E", a sign and at least one digit.
inline std::string selectedNumber(const char* text)
{
    const char* start = text + std::strcspn(text, kDigits);
    std::size_t length = std::strspn(start, kDigits);
    if (length == 0)
        return "";
    if (start[length] == '.')
        length += 1 + std::strspn(start + length + 1, kDigits);
    if (start[length] == 'e' || start[length] == 'E') {
        std::size_t mark = length + 1;
        if (start[mark] == '+' || start[mark] == '-')
            ++mark;
        const std::size_t exponentDigits = std::strspn(start + mark, kDigits);
        if (exponentDigits > 0)
            length = mark + exponentDigits;
    }
    return std::string(start, length);
}

#ifdef __GLIBC__
inline double value(const char* text)
{
    const std::string number = selectedNumber(text);
    return number.empty() ? 0.0 : std::strtod(number.c_str(), nullptr);
}

inline std::string fixed2(double v)
{
    char text[400];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}
#endif

} // namespace reference
