// Input texts shared by the unit tests, the fuzzer, the window tests and the
// benchmark: long texts built from a repeated piece, and doubles and the
// points halfway between them written out exactly.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace texts {

// `piece` repeated and cut to exactly `length` bytes.
inline std::string repeated(const std::string& piece, std::size_t length)
{
    std::string text;
    text.reserve(length);
    while (text.size() < length)
        text.append(piece, 0, length - text.size());
    return text;
}

// `length` bytes running through 0x80 to 0xFF again and again: no digit,
// no sign, nothing the number grammar reads.
inline std::string highBytes(std::size_t length)
{
    std::string text(length, '\0');
    for (std::size_t i = 0; i < length; ++i)
        text[i] = static_cast<char>(0x80 + i % 0x80);
    return text;
}

// mantissa * 2^exp2 written out in full: every digit, no exponent, and a
// point only where there is a fraction.
inline std::string exactDecimal(std::uint64_t mantissa, int exp2)
{
    constexpr std::uint64_t kBase = 1000000000;   // nine digits a group, least significant first
    std::vector<std::uint64_t> groups{mantissa % kBase, mantissa / kBase % kBase, mantissa / kBase / kBase};
    for (int k = std::abs(exp2); k > 0; k -= 8) {
        std::uint64_t factor = 1, carry = 0;
        for (int i = std::min(k, 8); i > 0; --i)
            factor *= exp2 > 0 ? 2 : 5;
        for (auto& g : groups) {
            carry += g * factor;
            g = carry % kBase;
            carry /= kBase;
        }
        for (; carry != 0; carry /= kBase)
            groups.push_back(carry % kBase);
    }
    std::string digits;
    for (auto g = groups.rbegin(); g != groups.rend(); ++g)
        digits += std::to_string(kBase + *g).substr(1);
    const std::size_t fraction = exp2 < 0 ? static_cast<std::size_t>(-exp2) : 0;
    digits.insert(0, fraction + 1 > digits.size() ? fraction + 1 - digits.size() : 0, '0');
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - fraction - 1));
    return fraction == 0 ? digits : digits.insert(digits.size() - fraction, ".");
}

// A decimal text one unit in its last digit up (+1) or down (-1).
inline std::string nudged(std::string text, int step)
{
    const std::size_t last = text.find_last_not_of(step > 0 ? ".9" : ".0");
    for (std::size_t i = last + 1; i < text.size(); ++i)
        text[i] = text[i] == '.' ? '.' : step > 0 ? '0' : '9';
    text[last] = static_cast<char>(text[last] + step);
    return text;
}

// A decimal text with a point and zeros after its last digit up to
// `length` bytes.
inline std::string padded(std::string text, std::size_t length)
{
    text += text.find('.') == std::string::npos ? "." : "";
    return text + std::string(length > text.size() ? length - text.size() : 0, '0');
}

} // namespace texts
