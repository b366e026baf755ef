// Big-integer arithmetic (see bigint.h). Powers of five come from a table
// of 5^128, 5^256, ... 5^1024 made at compile time, and then at most a few
// multiplications by a single limb.
#include "bigint.h"

#include "digits_value.h"

namespace core {
namespace {

#if defined(CORE_HAS_INT128)
constexpr int kFivesPerLimb = 27;   // 5^27 < 2^64
constexpr int kDigitsPerLimb = 19;  // 10^19 < 2^64
#else
constexpr int kFivesPerLimb = 13;
constexpr int kDigitsPerLimb = 9;
#endif
constexpr int kTableStep = 128;   // the table holds 5^(128 j)

constexpr Limb power(Limb base, int k)
{
    Limb p = 1;
    for (; k > 0; --k)
        p *= base;
    return p;
}

// a * b + c + carry: the low limb returned, the high one left in carry.
// At most (2^n - 1)^2 + 2 (2^n - 1) = 2^2n - 1 for limbs of n bits, so the
// high limb takes the carries of both additions without overflowing.
constexpr Limb mulAdd(Limb a, Limb b, Limb c, Limb& carry)
{
#if defined(CORE_HAS_INT128)
    const Wide product = multiplyWide(a, b);
    const Limb low = product.low + c;
    const Limb sum = low + carry;
    carry = product.high + (low < c) + (sum < low);
    return sum;
#else
    const std::uint64_t product = std::uint64_t{a} * b + c + carry;
    carry = static_cast<Limb>(product >> kLimbBits);
    return static_cast<Limb>(product);
#endif
}

constexpr void bigMulAdd(BigInt& n, Limb factor, Limb addend)
{
    Limb carry = addend;
    for (int i = 0; i < n.size; ++i)
        n.limb[i] = mulAdd(n.limb[i], factor, 0, carry);
    if (carry != 0)
        n.limb[n.size++] = carry;
}

struct PowerTable {
    BigInt power[8];   // 5^128 .. 5^1024
};

constexpr PowerTable makePowerTable()
{
    PowerTable table{};
    BigInt p{};
    p.limb[0] = 1;
    p.size = 1;
    for (BigInt& entry : table.power) {
        for (int i = 0; i < kTableStep; ++i)
            bigMulAdd(p, 5, 0);
        entry = p;
    }
    return table;
}

constexpr PowerTable kPowerTable = makePowerTable();

// n *= f, schoolbook.
void bigMultiply(BigInt& n, const BigInt& f)
{
    BigInt product;
    product.size = n.size + f.size;
    for (int i = 0; i < product.size; ++i)
        product.limb[i] = 0;
    for (int i = 0; i < n.size; ++i) {
        Limb carry = 0;
        for (int j = 0; j < f.size; ++j)
            product.limb[i + j] = mulAdd(n.limb[i], f.limb[j], product.limb[i + j], carry);
        product.limb[i + f.size] = carry;
    }
    while (product.size > 0 && product.limb[product.size - 1] == 0)
        --product.size;
    n = product;
}

} // namespace

void bigSet(BigInt& n, std::uint64_t value)
{
    n.size = 0;
    for (; value != 0; value = kLimbBits == 64 ? 0 : value >> (kLimbBits % 64))
        n.limb[n.size++] = static_cast<Limb>(value);
}

void bigFromDigits(BigInt& n, const char* digit, int count)
{
    // The first chunk takes what is left over, every other one a full limb.
    int chunk = (count - 1) % kDigitsPerLimb + 1;
    bigSet(n, digitsValue(digit, chunk));
    for (int i = chunk; i < count; i += kDigitsPerLimb)
        bigMulAdd(n, power(10, kDigitsPerLimb), static_cast<Limb>(digitsValue(digit + i, kDigitsPerLimb)));
}

void bigMulPow5(BigInt& n, int k)
{
    if (k >= kTableStep)
        bigMultiply(n, kPowerTable.power[k / kTableStep - 1]);
    for (k %= kTableStep; k >= kFivesPerLimb; k -= kFivesPerLimb)
        bigMulAdd(n, power(5, kFivesPerLimb), 0);
    bigMulAdd(n, power(5, k), 0);
}

void bigShiftLeft(BigInt& n, int bits)
{
    if (n.size == 0 || bits == 0)
        return;
    const int limbs = bits / kLimbBits;
    const int rest = bits % kLimbBits;
    n.limb[n.size + limbs] = 0;
    for (int i = n.size - 1; i >= 0; --i) {
        if (rest != 0)
            n.limb[i + limbs + 1] |= n.limb[i] >> (kLimbBits - rest);
        n.limb[i + limbs] = n.limb[i] << rest;
    }
    for (int i = 0; i < limbs; ++i)
        n.limb[i] = 0;
    n.size += limbs + 1;
    if (n.limb[n.size - 1] == 0)
        --n.size;
}

int bigCompare(const BigInt& a, const BigInt& b)
{
    if (a.size != b.size)
        return a.size < b.size ? -1 : 1;
    for (int i = a.size - 1; i >= 0; --i)
        if (a.limb[i] != b.limb[i])
            return a.limb[i] < b.limb[i] ? -1 : 1;
    return 0;
}

std::uint32_t bigDivideSmall(BigInt& n, std::uint32_t divisor)
{
    // Half a 64-bit limb at a time, so that no step needs more than 64 bits.
    std::uint64_t rest = 0;
    for (int i = n.size - 1; i >= 0; --i) {
        Limb quotient = 0;
        for (int shift = kLimbBits - 32; shift >= 0; shift -= 32) {
            const std::uint64_t t = (rest << 32) | ((n.limb[i] >> shift) & 0xFFFFFFFF);
            quotient |= static_cast<Limb>(t / divisor) << shift;
            rest = t % divisor;
        }
        n.limb[i] = quotient;
    }
    while (n.size > 0 && n.limb[n.size - 1] == 0)
        --n.size;
    return static_cast<std::uint32_t>(rest);
}

} // namespace core
