// Arbitrary bytes through fctext and fcVelocity, compared with glibc's
// strtod on the number the grammar selects and with its "%.2f". The input
// up to its first NUL is the distance, the rest the mass; the first byte
// also picks the kind and the size of the result buffer.
#include "reference.h"
#include "velocity.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::uint64_t bitsOf(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

[[noreturn]] void fail(const char* what, const std::string& text, const std::string& got,
                       const std::string& expected)
{
    std::fprintf(stderr, "%s mismatch on %zu bytes \"%.200s\"\n  got      %s\n  expected %s\n",
                 what, text.size(), text.c_str(), got.c_str(), expected.c_str());
    std::abort();
}

std::string described(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.17g (%a)", v, v);
    return text;
}

void checkValue(const std::string& text)
{
    const double got = fctext(text.c_str());
    const double expected = reference::value(text.c_str());
    if (bitsOf(got) != bitsOf(expected))
        fail("fctext", text, described(got), described(expected));
}

void checkVelocity(const std::string& distance, const std::string& mass, unsigned char choice)
{
    const VelocityKind kind = choice & 1 ? VelocityKind::Escape : VelocityKind::Circular;
    const std::size_t resultSize = choice >> 1;   // 0 to 127: too small now and then
    char result[200];
    std::memset(result, '#', sizeof result);
    const bool ok = fcVelocity(kind, distance.c_str(), mass.c_str(), result, resultSize);

    const double doub1 = reference::value(distance.c_str());
    const double doub2 = reference::value(mass.c_str());
    std::string expected = "input error";
    if (doub1 != 0.0 && doub2 != 0.0) {
        const double v = std::sqrt(static_cast<int>(kind) * 6.672e-11 * doub2 / doub1);
        expected = std::isnan(v) ? "nan" : reference::fixed2(v);
        if (expected.size() >= resultSize)
            expected = "input error";
    }
    const std::size_t written = ok ? std::strlen(result) + 1 : 0;
    const std::string got = ok ? std::string(result) : "input error";
    if (got != expected || std::string(result + written, sizeof result - written) !=
                               std::string(sizeof result - written, '#'))
        fail("fcVelocity", distance + " | " + mass, got, expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string distance = input.c_str();
    const std::string mass =
        distance.size() < input.size() ? std::string(input.c_str() + distance.size() + 1) : distance;
    checkValue(distance);
    checkValue(mass);
    checkVelocity(distance, mass, size > 0 ? data[0] : 0);
    return 0;
}
