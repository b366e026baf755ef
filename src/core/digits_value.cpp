// Digits to their value (see digits_value.h), eight in one 64-bit word.
#include "digits_value.h"

#include <cstring>

namespace core {
namespace {

// Eight ASCII digits at once, the first in the lowest byte. Less '0', each
// byte holds its digit d0 .. d7; v * 10 + (v >> 8) then holds in every other
// byte a pair, P0 = 10 d0 + d1 in byte 0, P1 = 10 d2 + d3 in byte 2, P2 in
// byte 4, P3 in byte 6 (at most 99, so nothing carries from byte to byte;
// the bytes between hold nothing of use). Masked out two at a time, as
// P0 + P2 * 2^32 and P1 + P3 * 2^32, the pairs are weighed by one
// multiplication each, the weights packed likewise:
//   (P0 + P2 2^32) (100 + 10^6 2^32) = 100 P0 + (10^6 P0 + 100 P2) 2^32 + P2 10^6 2^64
//   (P1 + P3 2^32) (1 + 10^4 2^32)   =     P1 + (10^4 P1 + P3) 2^32 + P3 10^4 2^64
// The 64-bit products drop the terms of 2^64, the lower halves add up to
// 100 P0 + P1 < 2^32 and carry nothing up, and the upper halves to
// 10^6 P0 + 10^4 P1 + 100 P2 + P3 < 2^32: the value of the eight digits.
std::uint64_t eightDigits(const char* digit)
{
    constexpr std::uint64_t kPairs = 0x000000FF000000FF;   // bytes 0 and 4
    constexpr std::uint64_t kEvenPairWeights = (std::uint64_t{1000000} << 32) + 100;   // for P0 and P2
    constexpr std::uint64_t kOddPairWeights = (std::uint64_t{10000} << 32) + 1;        // for P1 and P3
    std::uint64_t v;
    std::memcpy(&v, digit, sizeof v);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    v -= 0x3030303030303030;
    v = v * 10 + (v >> 8);
    return ((v & kPairs) * kEvenPairWeights + ((v >> 16) & kPairs) * kOddPairWeights) >> 32;
}

} // namespace

std::uint64_t digitsValue(const char* digit, int count)
{
    std::uint64_t value = 0;
    for (; count >= 8; count -= 8, digit += 8)
        value = value * 100000000 + eightDigits(digit);
    for (; count > 0; --count)
        value = value * 10 + static_cast<unsigned>(*digit++ - '0');
    return value;
}

} // namespace core
