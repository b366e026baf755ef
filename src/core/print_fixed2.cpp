// The exact two-decimal printer (see print_fixed2.h): integers of up to
// 1,024 bits in decimal through the big integers, fractions to hundredths
// in 64 bits. Neither the locale nor the C runtime's printf has a say.
#include "print_fixed2.h"

#include "bigint.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace core {
namespace {

// Writes the decimal digits of value (at least one) to out, returns the count.
std::size_t printUnsigned(std::uint64_t value, char* out)
{
    char reversed[20];
    std::size_t count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = reversed[count - 1 - i];
    return count;
}

// Writes mantissa * 2^exp2 (an integer of up to 1,024 bits) in decimal.
std::size_t printBig(std::uint64_t mantissa, int exp2, char* out)
{
    BigInt n;
    bigSet(n, mantissa);
    bigShiftLeft(n, exp2);
    std::uint32_t group[36];   // nine digits each, least significant first
    int groups = 0;
    while (n.size != 0)
        group[groups++] = bigDivideSmall(n, 1000000000);
    std::size_t length = printUnsigned(group[groups - 1], out);
    for (int i = groups - 2; i >= 0; --i) {
        std::uint32_t g = group[i];
        for (int j = 8; j >= 0; --j, g /= 10)
            out[length + static_cast<std::size_t>(j)] = static_cast<char>('0' + g % 10);
        length += 9;
    }
    return length;
}

} // namespace

std::size_t printFixed2(double value, char* out)
{
    const char* special = std::isnan(value) ? "nan" : std::isinf(value) ? "inf" : nullptr;
    if (special != nullptr) {
        std::memcpy(out, special, 4);
        return 3;
    }
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const int field = static_cast<int>((bits >> 52) & 0x7FF);
    constexpr std::uint64_t kHidden = std::uint64_t{1} << 52;
    std::uint64_t mantissa = bits & (kHidden - 1);
    if (field != 0)
        mantissa |= kHidden;
    const int exp2 = (field != 0 ? field : 1) - 1075;   // value = mantissa * 2^exp2

    std::size_t length;
    if (exp2 >= 0) {
        length = exp2 <= 10 ? printUnsigned(mantissa << exp2, out)
                            : printBig(mantissa, exp2, out);
        std::memcpy(out + length, ".00", 4);
        return length + 3;
    }
    // Hundredths: mantissa * 100 / 2^-exp2, rounded; below 2^59.
    const std::uint64_t scaled = mantissa * 100;
    const int drop = -exp2;
    std::uint64_t hundredths = 0;
    if (drop < 62) {
        const std::uint64_t half = std::uint64_t{1} << (drop - 1);
        hundredths = scaled >> drop;
        const std::uint64_t rest = scaled & (2 * half - 1);
        if (rest > half || (rest == half && (hundredths & 1) != 0))
            ++hundredths;
    }
    length = printUnsigned(hundredths / 100, out);
    out[length] = '.';
    out[length + 1] = static_cast<char>('0' + hundredths / 10 % 10);
    out[length + 2] = static_cast<char>('0' + hundredths % 10);
    out[length + 3] = '\0';
    return length + 3;
}

} // namespace core
