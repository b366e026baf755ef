// Where a run of bytes ends in a NUL-terminated text: the first digit, the
// end of a run of zeros, the end of a run of digits.
//
// A field hands over up to 65,534 bytes, so these runs are crossed 64 bytes
// at a time with SSE2 (on every x86-64, and required by the 32-bit product),
// never with the C runtime's span functions, which on Windows look at one
// byte at a time. Other machines take a byte at a time.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace core {

inline bool isDigit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
}

#if defined(__SSE2__)

// The loads are aligned: a 16-byte block never spans two pages, so reading
// the whole block that holds the NUL, and the bytes of the first block
// before the start, is safe even at the end of the mapped memory. The
// address sanitizer cannot know that.
#if defined(__GNUC__)
#define CORE_WHOLE_BLOCKS __attribute__((no_sanitize_address))
#else
#define CORE_WHOLE_BLOCKS
#endif

CORE_WHOLE_BLOCKS inline __m128i loadBlock(std::uintptr_t address)
{
    return _mm_load_si128(reinterpret_cast<const __m128i*>(address));
}

// The first byte at or after p for which stops() sets its byte in a block.
// stops() must stop at the NUL.
template <typename Stops>
inline const char* findStop(const char* p, Stops stops)
{
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    auto address = start & ~std::uintptr_t{15};
    const auto at = [&](std::uintptr_t a) { return stops(loadBlock(a)); };
    const auto stop = [&](std::uintptr_t a, std::uint64_t mask) {
        return p + (a - start) + __builtin_ctzll(mask);
    };
    // The first block, from p on; then single blocks up to a 64-byte line.
    std::uint64_t mask = static_cast<unsigned>(_mm_movemask_epi8(at(address))) >> (start & 15);
    if (mask != 0)
        return p + __builtin_ctzll(mask);
    for (address += 16; address % 64 != 0; address += 16)
        if ((mask = static_cast<unsigned>(_mm_movemask_epi8(at(address)))) != 0)
            return stop(address, mask);
    for (;; address += 64) {
        const __m128i a = at(address), b = at(address + 16), c = at(address + 32), d = at(address + 48);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) == 0)
            continue;
        const auto bits = [](__m128i v, int shift) {
            return std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(v))} << shift;
        };
        return stop(address, bits(a, 0) | bits(b, 16) | bits(c, 32) | bits(d, 48));
    }
}

inline __m128i digitBytes(__m128i v)
{
    // c - '0' below 10 unsigned is c - ('0' + 128) below -118 signed.
    return _mm_cmplt_epi8(_mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>('0' + 128))),
                          _mm_set1_epi8(-118));
}

inline const char* skipToDigit(const char* p)
{
    return isDigit(*p) || *p == '\0' ? p : findStop(p, [](__m128i v) {
        return _mm_or_si128(digitBytes(v), _mm_cmpeq_epi8(v, _mm_setzero_si128()));
    });
}

inline const char* skipZeros(const char* p)
{
    return *p != '0' ? p : findStop(p, [](__m128i v) {
        return _mm_xor_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('0')), _mm_set1_epi8(-1));
    });
}

inline const char* skipDigits(const char* p)
{
    return !isDigit(*p) ? p : findStop(p, [](__m128i v) {
        return _mm_xor_si128(digitBytes(v), _mm_set1_epi8(-1));
    });
}

#else

inline const char* skipToDigit(const char* p)
{
    while (*p != '\0' && !isDigit(*p))
        ++p;
    return p;
}

inline const char* skipZeros(const char* p)
{
    while (*p == '0')
        ++p;
    return p;
}

inline const char* skipDigits(const char* p)
{
    while (isDigit(*p))
        ++p;
    return p;
}

#endif

} // namespace core
