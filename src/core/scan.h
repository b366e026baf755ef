// Where a run of bytes ends in a NUL-terminated text: the first digit, the
// end of a run of zeros, the end of a run of digits. The C library's span
// functions look at many bytes at a time where the library can.
#pragma once

#include <cstring>

namespace core {

inline bool isDigit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
}

inline const char* skipToDigit(const char* p)
{
    return isDigit(*p) ? p : p + std::strcspn(p, "0123456789");
}

inline const char* skipZeros(const char* p)
{
    return *p != '0' ? p : p + std::strspn(p, "0");
}

inline const char* skipDigits(const char* p)
{
    return p + std::strspn(p, "0123456789");
}

} // namespace core
