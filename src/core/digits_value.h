// The value of a run of ASCII digits, worked out eight digits at a time:
// the head of a mantissa for the conversion, the limbs of a big integer.
#pragma once

#include <cstdint>

namespace core {

// The value of count ASCII digits, count at most 19.
std::uint64_t digitsValue(const char* digit, int count);

} // namespace core
