// Unsigned big integers for the exact path of the conversion and for the
// printer: built from decimal digits, multiplied by powers of five, shifted
// and compared; the one division is by a small number, for printing.
#pragma once

#include "wide_multiply.h"

#include <cstdint>

namespace core {

// Limbs as wide as the machine multiplies in one step: 64 bits, each
// product a Wide, where the compiler has 128-bit integers; else 32 bits.
#if defined(CORE_HAS_INT128)
using Limb = std::uint64_t;
#else
using Limb = std::uint32_t;
#endif
constexpr int kLimbBits = 8 * sizeof(Limb);

// Room for the largest operand with some to spare: a tie's 800 digits
// (2,658 bits) against the halfway point scaled up to the same size.
constexpr int kBigBits = 2944;

// Least significant limb first; size is the number of limbs in use, the
// top one nonzero (size 0 is zero).
struct BigInt {
    Limb limb[kBigBits / kLimbBits];
    int size;
};

void bigSet(BigInt& n, std::uint64_t value);
// n = the number that count ASCII digits spell.
void bigFromDigits(BigInt& n, const char* digit, int count);
// n *= 5^k, k at most 1,151.
void bigMulPow5(BigInt& n, int k);
void bigShiftLeft(BigInt& n, int bits);
// Less than, equal to or greater than 0 as a compares with b.
int bigCompare(const BigInt& a, const BigInt& b);
// n /= divisor, returning the remainder.
std::uint32_t bigDivideSmall(BigInt& n, std::uint32_t divisor);

} // namespace core
