// Velocity calculation: reading numbers out of texts, the velocity itself
// and its "%.2f" text.
//
// The C library's own conversions are not used: the Windows runtime's
// atof and printf are neither correctly rounded nor exact, and both follow
// the process locale. Everything below gives bit-identical results with
// any C library on any IEEE double machine that rounds each operation to
// double (SSE2; never the x87's extended registers).
#include "velocity.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// Gravitational constant, m^3 kg^-1 s^-2.
constexpr double kG = 6.672e-11;

// Significant digits kept of a mantissa. Every halfway point between two
// adjacent doubles has at most 767 significant digits, so the digits beyond
// these can only decide between "exactly here" and "a little above here":
// one sticky flag holds all that is needed of them.
constexpr int kKeptDigits = 800;

// Exponent values beyond this cannot change the outcome any more: no text
// in memory has that many mantissa digits to make up for them.
constexpr std::int64_t kExponentLimit = 100000000000000000;   // 10^17

// Longest result text: DBL_MAX has 309 integer digits, then ".00".
constexpr std::size_t kMaxText = 309 + 3;

// Powers of ten that doubles hold exactly.
constexpr double kExactPowers[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPower = 22;
constexpr std::uint64_t kTwoTo53 = std::uint64_t{1} << 53;

// A decimal number as read: value = 0.d1 d2 d3 ... * 10^pointPos, with d1
// the first nonzero digit.
struct Decimal {
    unsigned char digit[kKeptDigits];
    int count;     // digits kept in digit[]
    bool sticky;   // a nonzero digit beyond the kept ones
    std::int64_t pointPos;
};

// Unsigned big integer, 32-bit limbs, least significant first; size is the
// number of limbs in use, the top one nonzero (size 0 is zero). 4,160 bits
// hold the largest operand with room to spare: a dividend 96 bits longer
// than 5^1123 (2,608 bits), the divisor of the smallest numbers.
constexpr int kLimbs = 130;
struct BigNum {
    std::uint32_t limb[kLimbs];
    int size;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// ---------------------------------------------------------------- reading

// The long runs of a text are crossed with the C library's span functions,
// which look at many bytes at a time where the library can.
constexpr const char* kDigits = "0123456789";

const char* skipToDigit(const char* p)
{
    return isDigit(*p) ? p : p + std::strcspn(p, kDigits);
}

const char* skipZeros(const char* p)
{
    return *p != '0' ? p : p + std::strspn(p, "0");
}

const char* skipDigits(const char* p)
{
    return p + std::strspn(p, kDigits);
}

// Keeps the run of digits at p as far as there is room, and notes whether
// any digit beyond that is nonzero. Returns the end of the run.
const char* keepDigits(const char* p, Decimal& number)
{
    for (; number.count < kKeptDigits && isDigit(*p); ++p)
        number.digit[number.count++] = static_cast<unsigned char>(*p - '0');
    if (!isDigit(*p))
        return p;
    p = skipZeros(p);
    if (isDigit(*p))
        number.sticky = true;
    return skipDigits(p);
}

// Digits, then optionally "." and digits. Leading zeros only move the point.
const char* readMantissa(const char* p, Decimal& number)
{
    number.count = 0;
    number.sticky = false;
    p = skipZeros(p);
    const char* start = p;
    p = keepDigits(p, number);
    number.pointPos = p - start;
    if (*p != '.')
        return p;
    ++p;
    if (number.count == 0) {
        start = p;
        p = skipZeros(p);
        number.pointPos = start - p;
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

void dropTrailingZeros(Decimal& number)
{
    while (number.count > 0 && number.digit[number.count - 1] == 0)
        --number.count;
}

// ------------------------------------------------------- exact fast path

std::uint64_t leadingDigits(const Decimal& number, int count)
{
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value * 10 + number.digit[i];
    return value;
}

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

// ---------------------------------------------------- 128-bit products

// The double nearest to q * 2^(top - 63), plus a little more when sticky,
// ties to even. q has its top bit set; top is the exponent of that bit.
double roundToDouble(std::uint64_t q, int top, bool sticky)
{
    if (top > 1023)
        return std::numeric_limits<double>::infinity();
    const bool normal = top >= -1022;
    const int kept = normal ? 53 : top + 1075;   // mantissa bits that fit
    if (kept < 0)
        return 0.0;
    const int drop = 64 - kept;
    const std::uint64_t half = std::uint64_t{1} << (drop - 1);
    std::uint64_t mantissa = drop == 64 ? 0 : q >> drop;
    const std::uint64_t rest = drop == 64 ? q : q & (2 * half - 1);
    if (rest > half || (rest == half && (sticky || (mantissa & 1) != 0)))
        ++mantissa;
    // The mantissa's leading bit adds one to the exponent field, and a
    // carry out of the mantissa moves on into it, up to infinity.
    const std::uint64_t bits =
        normal ? (static_cast<std::uint64_t>(top + 1022) << 52) + mantissa
               : mantissa;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}


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
    Power5 power[kMaxPower5 - kMinPower5 + 1];
};

constexpr Power5 leading128Bits(const std::uint32_t* limb, int size)
{
    int bits = (size - 1) * 32;
    for (std::uint32_t top = limb[size - 1]; top != 0; top >>= 1)
        ++bits;
    Power5 p{0, 0, bits - 128};
    for (int i = 0; i < 128; ++i) {
        const int position = bits - 1 - i;
        const std::uint64_t bit = position >= 0 ? (limb[position / 32] >> (position % 32)) & 1 : 0;
        if (i < 64)
            p.high = (p.high << 1) | bit;
        else
            p.low = (p.low << 1) | bit;
    }
    return p;
}

constexpr Power5Table makePower5Table()
{
    Power5Table table{};
    // 5^q exactly; 5^308 has 716 bits.
    std::uint32_t exact[24] = {1};
    int size = 1;
    for (int q = 0; q <= kMaxPower5; ++q) {
        if (q > 0) {
            std::uint64_t carry = 0;
            for (int i = 0; i < size; ++i) {
                const std::uint64_t t = std::uint64_t{exact[i]} * 5 + carry;
                exact[i] = static_cast<std::uint32_t>(t);
                carry = t >> 32;
            }
            if (carry != 0)
                exact[size++] = static_cast<std::uint32_t>(carry);
        }
        table.power[q - kMinPower5] = leading128Bits(exact, size);
    }
    // 5^-k to 288 bits, top bit at 287: times 8/5 each step, then halved
    // when that carried past 2^288.
    std::uint32_t inverse[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0x80000000, 0};
    int exp2 = -287;
    for (int k = 1; k <= -kMinPower5; ++k) {
        for (int i = 9; i > 0; --i)
            inverse[i] = (inverse[i] << 3) | (inverse[i - 1] >> 29);
        inverse[0] <<= 3;
        std::uint64_t rest = 0;
        for (int i = 9; i >= 0; --i) {
            const std::uint64_t t = (rest << 32) | inverse[i];
            inverse[i] = static_cast<std::uint32_t>(t / 5);
            rest = t % 5;
        }
        exp2 -= 3;
        if (inverse[9] != 0) {
            for (int i = 0; i < 9; ++i)
                inverse[i] = (inverse[i] >> 1) | (inverse[i + 1] << 31);
            inverse[9] >>= 1;
            ++exp2;
        }
        Power5 p = leading128Bits(inverse, 9);
        p.exp2 += exp2;
        table.power[-k - kMinPower5] = p;
    }
    return table;
}

constexpr Power5Table kPower5 = makePower5Table();

struct Wide {
    std::uint64_t high;
    std::uint64_t low;
};

// a * b to 128 bits, from 32-bit halves alike on every machine.
Wide multiplyWide(std::uint64_t a, std::uint64_t b)
{
    const std::uint64_t aLow = a & 0xFFFFFFFF;
    const std::uint64_t aHigh = a >> 32;
    const std::uint64_t bLow = b & 0xFFFFFFFF;
    const std::uint64_t bHigh = b >> 32;
    const std::uint64_t ll = aLow * bLow;
    const std::uint64_t lh = aLow * bHigh;
    const std::uint64_t hl = aHigh * bLow;
    const std::uint64_t middle = (ll >> 32) + (lh & 0xFFFFFFFF) + (hl & 0xFFFFFFFF);
    return {aHigh * bHigh + (lh >> 32) + (hl >> 32) + (middle >> 32),
            (middle << 32) | (ll & 0xFFFFFFFF)};
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

// Eisel and Lemire's method: a nonzero mantissa of up to 19 digits times
// 5^exp10 from the table gives the leading bits of the value to within a
// few units of the last of 128. Unless the bits that round lie that close
// to a rounding boundary, they round as the exact value does; those rare
// cases are left to the exact path.
bool convertByProduct(std::uint64_t mantissa, int exp10, double& value)
{
    const Power5& power = kPower5.power[exp10 - kMinPower5];
    const int shift = leadingZeros(mantissa);
    const std::uint64_t w = mantissa << shift;
    const Wide upper = multiplyWide(w, power.high);
    const Wide lower = multiplyWide(w, power.low);
    const std::uint64_t low = upper.low + lower.high;
    const std::uint64_t high = upper.high + (low < lower.high ? 1 : 0);

    // value = (high * 2^64 + low) * 2^(exp2 + exp10 - shift + 64)
    const bool topBit = (high >> 63) != 0;
    const std::uint64_t q = topBit ? high : (high << 1) | (low >> 63);
    const std::uint64_t rest = topBit ? low : low << 1;
    const int top = (topBit ? 127 : 126) + power.exp2 + exp10 - shift + 64;
    const int kept = top >= -1022 ? 53 : top + 1075;   // bits the double keeps
    if (kept < 1)
        return false;

    constexpr std::uint64_t kMargin = 8;
    const std::uint64_t half = std::uint64_t{1} << (63 - kept);
    const std::uint64_t roundBits = q & (2 * half - 1);
    const bool nearBelow = rest < kMargin && (roundBits == 0 || roundBits == half);
    const bool nearAbove = rest > ~kMargin && (roundBits == 2 * half - 1 || roundBits == half - 1);
    if (nearBelow || nearAbove)
        return false;
    value = roundToDouble(q, top, rest != 0);
    return true;
}

// ------------------------------------------------------------ big numbers

void bigSet(BigNum& n, std::uint64_t value)
{
    n.size = 0;
    for (; value != 0; value >>= 32)
        n.limb[n.size++] = static_cast<std::uint32_t>(value);
}

void bigMulAdd(BigNum& n, std::uint32_t factor, std::uint32_t addend)
{
    std::uint64_t carry = addend;
    for (int i = 0; i < n.size; ++i) {
        const std::uint64_t t = std::uint64_t{n.limb[i]} * factor + carry;
        n.limb[i] = static_cast<std::uint32_t>(t);
        carry = t >> 32;
    }
    if (carry != 0)
        n.limb[n.size++] = static_cast<std::uint32_t>(carry);
}

void bigMulPow5(BigNum& n, int k)
{
    constexpr std::uint32_t kFiveTo13 = 1220703125;
    for (; k >= 13; k -= 13)
        bigMulAdd(n, kFiveTo13, 0);
    std::uint32_t rest = 1;
    for (; k > 0; --k)
        rest *= 5;
    bigMulAdd(n, rest, 0);
}

void bigFromDigits(BigNum& n, const unsigned char* digit, int count)
{
    n.size = 0;
    int i = 0;
    while (i < count) {
        std::uint32_t chunk = 0;
        std::uint32_t scale = 1;
        for (int j = 0; j < 9 && i < count; ++j, ++i) {
            chunk = chunk * 10 + digit[i];
            scale *= 10;
        }
        bigMulAdd(n, scale, chunk);
    }
}

int bigBitLength(const BigNum& n)
{
    if (n.size == 0)
        return 0;
    int bits = (n.size - 1) * 32;
    for (std::uint32_t top = n.limb[n.size - 1]; top != 0; top >>= 1)
        ++bits;
    return bits;
}

void bigShiftLeft(BigNum& n, int bits)
{
    if (n.size == 0 || bits == 0)
        return;
    const int limbs = bits / 32;
    const int rest = bits % 32;
    n.limb[n.size + limbs] = 0;
    for (int i = n.size - 1; i >= 0; --i) {
        const std::uint64_t wide = std::uint64_t{n.limb[i]} << rest;
        n.limb[i + limbs + 1] |= static_cast<std::uint32_t>(wide >> 32);
        n.limb[i + limbs] = static_cast<std::uint32_t>(wide);
    }
    for (int i = 0; i < limbs; ++i)
        n.limb[i] = 0;
    n.size += limbs + 1;
    if (n.limb[n.size - 1] == 0)
        --n.size;
}

// Long division (Knuth's algorithm D, base 2^32): u / v, the quotient's
// limbs to quotient[0 .. u.size - v.size], the remainder left in u. The top
// limb of v has its high bit set, and u has room for one more limb.
void bigDivideLong(BigNum& u, const BigNum& v, std::uint32_t* quotient)
{
    constexpr std::uint64_t kBase = std::uint64_t{1} << 32;
    const int n = v.size;
    const std::uint32_t vTop = v.limb[n - 1];
    const std::uint32_t vNext = n >= 2 ? v.limb[n - 2] : 0;
    u.limb[u.size] = 0;
    for (int j = u.size - n; j >= 0; --j) {
        // Estimate from the top limbs; at most one too high after this.
        const std::uint64_t top = (std::uint64_t{u.limb[j + n]} << 32) | u.limb[j + n - 1];
        std::uint64_t qHat = top / vTop;
        std::uint64_t rHat = top % vTop;
        const std::uint32_t uNext = n >= 2 ? u.limb[j + n - 2] : 0;
        while (qHat >= kBase || qHat * vNext > ((rHat << 32) | uNext)) {
            --qHat;
            rHat += vTop;
            if (rHat >= kBase)
                break;
        }
        std::uint64_t borrow = 0;
        for (int i = 0; i < n; ++i) {
            const std::uint64_t product = qHat * v.limb[i] + borrow;
            const auto low = static_cast<std::uint32_t>(product);
            borrow = (product >> 32) + (u.limb[i + j] < low ? 1 : 0);
            u.limb[i + j] -= low;
        }
        const bool negative = u.limb[j + n] < borrow;
        u.limb[j + n] -= static_cast<std::uint32_t>(borrow);
        if (negative) {
            --qHat;
            std::uint64_t carry = 0;
            for (int i = 0; i < n; ++i) {
                const std::uint64_t sum = std::uint64_t{u.limb[i + j]} + v.limb[i] + carry;
                u.limb[i + j] = static_cast<std::uint32_t>(sum);
                carry = sum >> 32;
            }
            u.limb[j + n] += static_cast<std::uint32_t>(carry);
        }
        quotient[j] = static_cast<std::uint32_t>(qHat);
    }
    u.size = n;
    while (u.size > 0 && u.limb[u.size - 1] == 0)
        --u.size;
}

// n /= divisor, returning the remainder.
std::uint32_t bigDivideSmall(BigNum& n, std::uint32_t divisor)
{
    std::uint64_t rest = 0;
    for (int i = n.size - 1; i >= 0; --i) {
        const std::uint64_t t = (rest << 32) | n.limb[i];
        n.limb[i] = static_cast<std::uint32_t>(t / divisor);
        rest = t % divisor;
    }
    while (n.size > 0 && n.limb[n.size - 1] == 0)
        --n.size;
    return static_cast<std::uint32_t>(rest);
}

// ------------------------------------------------- exact conversion path

// value = a * 10^exp10 = a * 5^exp10 * 2^exp10 (a little more when sticky),
// as the quotient a / b * 2^exp10 to 64 bits and a sticky bit.
double convertExactlyBig(BigNum& a, int exp10, bool sticky)
{
    BigNum b;
    bigSet(b, 1);
    if (exp10 >= 0)
        bigMulPow5(a, exp10);
    else
        bigMulPow5(b, -exp10);

    // Shift b to fill whole limbs and a to 64 bits more than b: the
    // quotient then has 64 or 65 bits, in three limbs.
    const int bBits = bigBitLength(b);
    int bShift = (32 - bBits % 32) % 32;
    int aShift = bBits + bShift + 64 - bigBitLength(a);
    if (aShift < 0) {
        const int limbs = (31 - aShift) / 32;
        bShift += 32 * limbs;
        aShift += 32 * limbs;
    }
    bigShiftLeft(a, aShift);
    bigShiftLeft(b, bShift);
    std::uint32_t quotient[3];
    bigDivideLong(a, b, quotient);
    std::uint64_t q = (std::uint64_t{quotient[1]} << 32) | quotient[0];
    int top = exp10 + bShift - aShift + 63;
    if (quotient[2] != 0) {
        sticky = sticky || (q & 1) != 0;
        q = (q >> 1) | (std::uint64_t{1} << 63);
        ++top;
    }
    return roundToDouble(q, top, sticky || a.size != 0);
}

// A long mantissa lies between its first 19 digits and those plus one unit
// in the last of them; mostly both bounds round to the same double.
bool convertByBounds(const Decimal& number, int magnitude, double& value)
{
    constexpr int kHeadDigits = 19;
    const std::uint64_t head = leadingDigits(number, kHeadDigits);
    double high;
    return convertByProduct(head, magnitude - kHeadDigits, value) &&
           convertByProduct(head + 1, magnitude - kHeadDigits, high) && value == high;
}

double toDouble(Decimal& number, std::int64_t exponent)
{
    dropTrailingZeros(number);
    if (number.count == 0)
        return 0.0;
    // The value lies in [10^(magnitude-1), 10^magnitude).
    const std::int64_t magnitude = number.pointPos + exponent;
    if (magnitude > 309)
        return std::numeric_limits<double>::infinity();
    if (magnitude < -323)
        return 0.0;
    const int exp10 = static_cast<int>(magnitude) - number.count;
    double value;
    if (number.count <= 19 && !number.sticky) {
        const std::uint64_t mantissa = leadingDigits(number, number.count);
        if (convertExactly(mantissa, exp10, value) || convertByProduct(mantissa, exp10, value))
            return value;
    } else if (convertByBounds(number, static_cast<int>(magnitude), value)) {
        return value;
    }
    BigNum a;
    bigFromDigits(a, number.digit, number.count);
    return convertExactlyBig(a, exp10, number.sticky);
}

// --------------------------------------------------------------- printing

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
    BigNum n;
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

// Exactly what "%.2f" prints for a value that is not negative: the exact
// binary value rounded to hundredths, ties to even. Returns the length;
// out holds kMaxText + 1 characters.
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
    std::uint64_t mantissa = bits & (kTwoTo53 / 2 - 1);
    if (field != 0)
        mantissa |= kTwoTo53 / 2;
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

} // namespace

double fctext(const char* ch)
{
    Decimal number;
    const char* p = readMantissa(skipToDigit(ch), number);
    return toDouble(number, readExponent(p));
}

bool fcVelocity(VelocityKind kind, const char* distance, const char* mass,
                char* result, std::size_t resultSize)
{
    const double doub1 = fctext(distance);
    const double doub2 = fctext(mass);
    if (doub1 == 0.0 || doub2 == 0.0)
        return false;
    const double factor = static_cast<int>(kind);
    const double velocity = std::sqrt(factor * kG * doub2 / doub1);
    char text[kMaxText + 1];
    const std::size_t length = printFixed2(velocity, text);
    if (length >= resultSize)
        return false;
    std::memcpy(result, text, length + 1);
    return true;
}
