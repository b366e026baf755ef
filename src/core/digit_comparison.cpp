// The exact path of the conversion (see digit_comparison.h): both sides as
// big integers, each power of five and of two moved to the side where it
// is positive. Multiplications and shifts only.
#include "digit_comparison.h"

#include "bigint.h"

namespace core {

int compareWithHalfway(const Decimal& number, int exp10, std::uint64_t mantissa, int exp2)
{
    BigInt digits;
    BigInt halfway;
    bigFromDigits(digits, number.digit, number.count);
    bigSet(halfway, 2 * mantissa + 1);
    // digits * 5^exp10 * 2^exp10 against halfway * 2^(exp2 - 1)
    if (exp10 >= 0)
        bigMulPow5(digits, exp10);
    else
        bigMulPow5(halfway, -exp10);
    const int shift = exp10 - (exp2 - 1);
    if (shift >= 0)
        bigShiftLeft(digits, shift);
    else
        bigShiftLeft(halfway, -shift);
    return bigCompare(digits, halfway);
}

} // namespace core
