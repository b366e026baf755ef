// Long input texts built from a repeated piece, shared by the unit tests,
// the benchmark and the window tests.
#pragma once

#include <cstddef>
#include <string>

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

} // namespace texts
