// The exact path of the conversion: the decimal digits against the point
// halfway between two adjacent doubles.
#pragma once

#include "parse_decimal.h"

#include <cstdint>

namespace core {

// Less than, equal to or greater than 0 as the kept digits times 10^exp10
// compare with (2 * mantissa + 1) * 2^(exp2 - 1), the point halfway between
// mantissa * 2^exp2 and the next double up. The sticky flag is left to the
// caller.
int compareWithHalfway(const Decimal& number, int exp10, std::uint64_t mantissa, int exp2);

} // namespace core
