// The full 128-bit product of two 64-bit numbers, for the conversion's
// leading bits and the big integers' 64-bit limbs. Compilers for 64-bit
// machines have 128-bit integers, those for the 32-bit product do not;
// defining ORBELA_NO_INT128 makes a native build take the 32-bit product's
// path, so that the sanitizers and the fuzzer see that arithmetic too.
#pragma once

#include <cstdint>

#if defined(__SIZEOF_INT128__) && !defined(ORBELA_NO_INT128)
#define CORE_HAS_INT128 1
#endif

namespace core {

// high * 2^64 + low.
struct Wide {
    std::uint64_t high;
    std::uint64_t low;
};

constexpr Wide multiplyWide(std::uint64_t a, std::uint64_t b)
{
#if defined(CORE_HAS_INT128)
    __extension__ const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    return {static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
#else
    // Four products of 32-bit halves; the middle column gathers the carries
    // of the low one and the low halves of the two cross products.
    const std::uint64_t aLow = a & 0xFFFFFFFF;
    const std::uint64_t aHigh = a >> 32;
    const std::uint64_t bLow = b & 0xFFFFFFFF;
    const std::uint64_t bHigh = b >> 32;
    const std::uint64_t ll = aLow * bLow;
    const std::uint64_t lh = aLow * bHigh;
    const std::uint64_t hl = aHigh * bLow;
    const std::uint64_t middle = (ll >> 32) + (lh & 0xFFFFFFFF) + (hl & 0xFFFFFFFF);
    return {aHigh * bHigh + (lh >> 32) + (hl >> 32) + (middle >> 32), (middle << 32) | (ll & 0xFFFFFFFF)};
#endif
}

} // namespace core
