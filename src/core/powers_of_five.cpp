// The table of powers of five to 128 bits (see powers_of_five.h), made at
// compile time from exact big powers.
#include "powers_of_five.h"

namespace core {
namespace {

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

} // namespace

constexpr Power5Table kPowersOfFive = makePower5Table();

} // namespace core
