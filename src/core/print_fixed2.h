// The exact "%.2f" text of a double.
#pragma once

#include <cstddef>

namespace core {

// Longest text: DBL_MAX has 309 integer digits, then ".00".
constexpr std::size_t kMaxFixed2 = 309 + 3;

// Writes what "%.2f" prints for a value that is not negative: the exact
// binary value rounded to hundredths, ties to even, '.' as the separator;
// "inf" and "nan" when not finite. out holds kMaxFixed2 + 1 characters;
// returns the length without the NUL.
std::size_t printFixed2(double value, char* out);

} // namespace core
