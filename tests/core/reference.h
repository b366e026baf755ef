// What the core must give, worked out without it, and the checks that the
// unit tests and the fuzzer share: glibc's correctly rounded strtod where
// the C library is glibc, and exact decimal expansions of doubles. A check
// returns what went wrong, or nothing.
#pragma once

#include "texts.h"
#include "velocity.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace reference {

// A finite double that is not negative as mantissa * 2^exp2.
inline std::pair<std::uint64_t, int> decompose(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const int field = static_cast<int>(bits >> 52);   // 0 for zero and the subnormals
    return {bits % (std::uint64_t{1} << 52) + (field != 0 ? std::uint64_t{1} << 52 : 0), std::max(field, 1) - 1075};
}

inline std::string exactDecimal(double v)
{
    const auto [mantissa, exp2] = decompose(v);
    return texts::exactDecimal(mantissa, exp2);
}

#ifdef __GLIBC__
// strtod from the first ASCII digit on: the same grammar but for its
// hexadecimal numbers, where the core reads the 0 before the x.
inline double value(const std::string& text)
{
    const char* start = text.c_str() + std::strcspn(text.c_str(), "0123456789");
    return start[0] == '0' && (start[1] == 'x' || start[1] == 'X') ? 0.0 : std::strtod(start, nullptr);
}
#endif

// A text for failure messages, shortened when long.
inline std::string shown(const std::string& text)
{
    const std::string length = text.size() > 100 ? "... (" + std::to_string(text.size()) + " bytes)" : "";
    return '"' + text.substr(0, 100) + '"' + length;
}

inline std::string valueMismatch(const std::string& text, double expected)
{
    const double got = fctext(text.c_str());
    if (std::memcmp(&got, &expected, sizeof got) == 0)
        return "";
    char numbers[100];
    std::snprintf(numbers, sizeof numbers, "\n  got      %.17g\n  expected %.17g", got, expected);
    return "fctext of " + shown(text) + numbers;
}

// fcVelocity into the first size bytes of a larger buffer: the expected
// text and its NUL, or for an empty one a failure; beyond that nothing
// written.
inline std::string velocityMismatch(VelocityKind kind, const std::string& distance, const std::string& mass,
                                    std::size_t size, const std::string& expected)
{
    std::string result(size + 8, '#');
    const bool ok = fcVelocity(kind, distance.c_str(), mass.c_str(), &result[0], size);
    const std::string untouched(size + 8, '#');
    const std::string wanted = expected.empty() ? untouched : expected + '\0' + untouched.substr(expected.size() + 1);
    if (ok == !expected.empty() && result == wanted)
        return "";
    return "fcVelocity kind " + std::to_string(static_cast<int>(kind)) + ", distance " + shown(distance) +
           ", mass " + shown(mass) + ", size " + std::to_string(size) + "\n  got      " +
           (ok ? "success " : "failure ") + shown(result) + "\n  expected " +
           (expected.empty() ? "failure " : "success ") + shown(wanted);
}

} // namespace reference
