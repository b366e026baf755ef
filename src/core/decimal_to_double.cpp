// The conversion of a decimal number to the nearest double (see
// decimal_to_double.h), fastest way first: one correctly rounded
// multiplication or division where the digits and the power of ten are
// both exact doubles; else the leading bits of the digits times a power of
// five from the 128-bit table (Eisel and Lemire's method); and only where
// those bits lie too close to a rounding boundary, or a long mantissa's
// first 19 digits cannot decide, the exact comparison with the halfway
// point, which the product's bits narrow down to one.
#include "decimal_to_double.h"

#include "digit_comparison.h"
#include "digits_value.h"
#include "powers_of_five.h"
#include "wide_multiply.h"

#include <cstring>
#include <limits>

namespace core {
namespace {

// Powers of ten that doubles hold exactly.
constexpr double kExactPowers[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPower = 22;
constexpr std::uint64_t kTwoTo53 = std::uint64_t{1} << 53;
constexpr int kHeadDigits = 19;   // the most that fit in 64 bits
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Mantissa and power of ten both exact doubles: one correctly rounded
// multiplication or division gives the answer.
bool convertExactly(std::uint64_t mantissa, int exp10, double& value)
{
    if (mantissa > kTwoTo53)
        return false;
    if (exp10 > kMaxExactPower) {
        // A small mantissa takes the surplus powers exactly as an integer.
        const int surplus = exp10 - kMaxExactPower;
        if (surplus > 15)
            return false;
        const auto scale = static_cast<std::uint64_t>(kExactPowers[surplus]);
        if (mantissa > kTwoTo53 / scale)
            return false;
        mantissa *= scale;
        exp10 = kMaxExactPower;
    }
    if (exp10 < -kMaxExactPower)
        return false;
    const double m = static_cast<double>(mantissa);
    value = exp10 >= 0 ? m * kExactPowers[exp10] : m / kExactPowers[-exp10];
    return true;
}

int leadingZeros(std::uint64_t x)
{
    int count = 0;
    for (int step = 32; step > 0; step /= 2) {
        if (x >> (64 - step) == 0) {
            x <<= step;
            count += step;
        }
    }
    return count;
}

// The leading bits of a nonzero mantissa times 10^exp10, to within a few
// units of the last of 128: value = (q + rest / 2^64) * 2^(top - 63), q with
// its top bit set.
struct Product {
    std::uint64_t q;
    std::uint64_t rest;
    int top;
};

Product multiply(std::uint64_t mantissa, int exp10)
{
    const Power5& power = kPowersOfFive.power[exp10 - kMinPower5];
    const int shift = leadingZeros(mantissa);
    const std::uint64_t w = mantissa << shift;
    const Wide upper = multiplyWide(w, power.high);
    const Wide lower = multiplyWide(w, power.low);
    const std::uint64_t low = upper.low + lower.high;
    const std::uint64_t high = upper.high + (low < lower.high ? 1 : 0);
    // value = (high * 2^64 + low) * 2^(exp2 + exp10 - shift + 64)
    const bool topBit = (high >> 63) != 0;
    return {topBit ? high : (high << 1) | (low >> 63), topBit ? low : low << 1,
            (topBit ? 127 : 126) + power.exp2 + exp10 - shift + 64};
}

// Mantissa bits that a double keeps of a value whose top bit is at top.
int keptBits(int top)
{
    return top >= -1022 ? 53 : top + 1075;
}

// mantissa * 2^exp2 (exp2 at least -1074), for a mantissa the rounding may
// have carried up to 2^53: its leading bit adds one to the exponent field,
// and such a carry moves on into it, up to infinity.
double fromParts(std::uint64_t mantissa, int exp2)
{
    const std::uint64_t bits = (static_cast<std::uint64_t>(exp2 + 1074) << 52) + mantissa;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The product rounded to a double, ties to even; false where the bits that round lie too close to
// a rounding boundary for the product's error.
bool roundProduct(const Product& p, double& value)
{
    if (p.top > 1023) {
        value = kInfinity;
        return true;
    }
    const int kept = keptBits(p.top);
    if (kept < 1)
        return false;
    const int drop = 64 - kept;
    const std::uint64_t half = std::uint64_t{1} << (drop - 1);
    std::uint64_t mantissa = p.q >> drop;
    const std::uint64_t cut = p.q & (2 * half - 1);
    constexpr std::uint64_t kMargin = 8;
    const bool nearBelow = p.rest < kMargin && (cut == 0 || cut == half);
    const bool nearAbove = p.rest > ~kMargin && (cut == 2 * half - 1 || cut == half - 1);
    if (nearBelow || nearAbove)
        return false;
    if (cut > half || (cut == half && (p.rest != 0 || (mantissa & 1) != 0)))
        ++mantissa;
    value = fromParts(mantissa, p.top + 1 - kept);
    return true;
}

// The exact path: the product's bits cut to a double leave the answer that
// double or the next one up; the halfway point between them decides.
double decideByHalfway(const Decimal& number, int exp10, const Product& p)
{
    if (p.top > 1023)
        return kInfinity;
    const int kept = keptBits(p.top);
    std::uint64_t mantissa = kept < 1 ? 0 : p.q >> (64 - kept);
    const int exp2 = kept < 1 ? -1074 : p.top + 1 - kept;
    const int order = compareWithHalfway(number, exp10, mantissa, exp2);
    if (order > 0 || (order == 0 && (number.sticky || (mantissa & 1) != 0)))
        ++mantissa;
    return fromParts(mantissa, exp2);
}

} // namespace

double decimalToDouble(Decimal& number)
{
    while (number.count > 0 && number.digit[number.count - 1] == '0')
        --number.count;
    if (number.count == 0)
        return 0.0;
    // The value lies in [10^(magnitude-1), 10^magnitude).
    if (number.magnitude > 309)
        return kInfinity;
    if (number.magnitude < -323)
        return 0.0;
    const int magnitude = static_cast<int>(number.magnitude);
    const bool whole = number.count <= kHeadDigits && !number.sticky;
    const int headCount = whole ? number.count : kHeadDigits;
    const std::uint64_t head = digitsValue(number.digit, headCount);
    const int exp10 = magnitude - headCount;
    double value;
    if (whole && convertExactly(head, exp10, value))
        return value;
    // A long mantissa lies between its first 19 digits and those plus one
    // unit in the last of them; mostly both bounds round to the same double.
    const Product low = multiply(head, exp10);
    double high;
    if (roundProduct(low, value) &&
        (whole || (roundProduct(multiply(head + 1, exp10), high) && value == high)))
        return value;
    return decideByHalfway(number, magnitude - number.count, low);
}

} // namespace core
