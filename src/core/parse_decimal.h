// The number grammar: where a number starts and ends in a text, which of
// its digits are kept, and its power of ten.
#pragma once

#include <cstdint>

namespace core {

// Significant digits kept of a mantissa. Every halfway point between two
// adjacent doubles has at most 767 significant digits, so the digits beyond
// these can only decide between "exactly here" and "a little above here":
// one sticky flag holds all that is needed of them.
constexpr int kKeptDigits = 800;

// A decimal number as read: value = 0.d1 d2 d3 ... * 10^magnitude, with d1
// the first nonzero digit, and a little more when sticky. The digits are
// kept as their ASCII characters.
struct Decimal {
    char digit[kKeptDigits];
    int count;     // digits kept in digit[]
    bool sticky;   // a nonzero digit beyond the kept ones
    std::int64_t magnitude;
};

// Reads the number out of a text: every byte up to the first ASCII digit is
// skipped; then digits, optionally "." and digits, optionally "e" or "E",
// a sign and at least one digit. The exponent saturates far beyond the
// range of doubles.
void parseDecimal(const char* text, Decimal& number);

} // namespace core
