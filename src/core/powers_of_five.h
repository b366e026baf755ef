// The powers of five to 128 bits that the conversion multiplies by.
#pragma once

#include <cstdint>

namespace core {

// 5^q for q from -342 to 308 (all a mantissa of up to 19 digits can meet
// in range), as 128 bits with the top one set: 5^q = (high * 2^64 + low) *
// 2^exp2, the 128 bits less than one unit below the exact value (a few
// thousandths of a unit more for the negative powers).
constexpr int kMinPower5 = -342;
constexpr int kMaxPower5 = 308;

struct Power5 {
    std::uint64_t high;
    std::uint64_t low;
    int exp2;
};

struct Power5Table {
    Power5 power[kMaxPower5 - kMinPower5 + 1];   // 5^q at q - kMinPower5
};

extern const Power5Table kPowersOfFive;

} // namespace core
