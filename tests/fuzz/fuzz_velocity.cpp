// Arbitrary bytes through fctext and fcVelocity. The readings are compared
// with glibc's strtod on the number the grammar selects; the velocity with
// one worked out from those in binary128 arithmetic (each product exact,
// each quotient and root correctly rounded to a double through 113 bits)
// and printed by the C++ library's exact to_chars. The input up to its
// first NUL is the distance, the rest the mass; the first byte also picks
// the kind and the size of the result buffer.
#include "reference.h"
#include "velocity.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" __float128 sqrtq(__float128);

namespace {

constexpr double kG = 6.672e-11;   // m^3 kg^-1 s^-2, as the calculator's documentation gives it

std::string expectedText(VelocityKind kind, double distance, double mass, std::size_t size)
{
    if (distance == 0.0 || mass == 0.0)
        return "";
    const double factorG = kind == VelocityKind::Escape ? kG + kG : kG;
    const auto product = static_cast<double>(static_cast<__float128>(factorG) * mass);
    const auto quotient = static_cast<double>(static_cast<__float128>(product) / distance);
    const auto v = static_cast<double>(sqrtq(quotient));
    char text[400] = "nan";
    if (!std::isnan(v))
        *std::to_chars(text, text + sizeof text - 1, v, std::chars_format::fixed, 2).ptr = '\0';
    return std::string(text).size() < size ? text : "";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string distance = input.c_str();
    const std::string mass = distance.size() < input.size() ? input.c_str() + distance.size() + 1 : distance;
    const VelocityKind kind = size > 0 && data[0] % 2 == 1 ? VelocityKind::Escape : VelocityKind::Circular;
    const std::size_t resultSize = size > 0 ? data[0] / 2 : 0;   // 0 to 127: too small now and then
    const double doub1 = reference::value(distance);
    const double doub2 = reference::value(mass);
    const std::string problem =
        reference::valueMismatch(distance, doub1) + reference::valueMismatch(mass, doub2) +
        reference::velocityMismatch(kind, distance, mass, resultSize, expectedText(kind, doub1, doub2, resultSize));
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
