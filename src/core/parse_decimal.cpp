// The number grammar (see parse_decimal.h). Long runs of skipped bytes,
// zeros and digits are crossed by the block scanner; only the kept digits
// are copied.
#include "parse_decimal.h"

#include "scan.h"

#include <cstddef>
#include <cstring>

namespace core {
namespace {

// Exponent values beyond this cannot change the outcome any more: no text
// in memory has that many mantissa digits to make up for them.
constexpr std::int64_t kExponentLimit = 100000000000000000;   // 10^17

// Keeps the run of digits at p as far as there is room, and notes whether
// any digit beyond that is nonzero. Returns the end of the run.
const char* keepDigits(const char* p, Decimal& number)
{
    const char* end = skipDigits(p);
    const std::size_t run = static_cast<std::size_t>(end - p);
    const std::size_t room = static_cast<std::size_t>(kKeptDigits - number.count);
    const std::size_t kept = run < room ? run : room;
    std::memcpy(number.digit + number.count, p, kept);
    number.count += static_cast<int>(kept);
    if (run > room && skipZeros(p + room) != end)
        number.sticky = true;
    return end;
}

// Digits, then optionally "." and digits. Leading zeros only move the point.
const char* readMantissa(const char* p, Decimal& number)
{
    number.count = 0;
    number.sticky = false;
    p = skipZeros(p);
    const char* start = p;
    p = keepDigits(p, number);
    number.magnitude = p - start;
    if (*p != '.')
        return p;
    ++p;
    if (number.count == 0) {
        start = p;
        p = skipZeros(p);
        number.magnitude = start - p;
    }
    return keepDigits(p, number);
}

// "e" or "E", an optional sign and at least one digit; anything less is not
// an exponent and reads as 0. The value saturates.
std::int64_t readExponent(const char* p)
{
    if (*p != 'e' && *p != 'E')
        return 0;
    ++p;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    std::int64_t value = 0;
    for (p = skipZeros(p); isDigit(*p) && value < kExponentLimit; ++p)
        value = value * 10 + (*p - '0');
    return negative ? -value : value;
}

} // namespace

void parseDecimal(const char* text, Decimal& number)
{
    const char* p = readMantissa(skipToDigit(text), number);
    number.magnitude += readExponent(p);
}

} // namespace core
