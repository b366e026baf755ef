// The conversion of a decimal number as read to the nearest double.
#pragma once

#include "parse_decimal.h"

namespace core {

// The nearest double to the number, ties to even: 0.0 below the smallest
// subnormal's half, infinity from the largest double's rounding limit on.
double decimalToDouble(Decimal& number);

} // namespace core
