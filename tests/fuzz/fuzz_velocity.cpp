// Arbitrary bytes through fctext and fcVelocity, compared with glibc's
// strtod on the number the grammar selects and with its "%.2f". The input
// up to its first NUL is the distance, the rest the mass; the first byte
// also picks the kind and the size of the result buffer.
#include "reference.h"
#include "velocity.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

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
        reference::velocityMismatch(kind, distance, mass, resultSize,
                                    reference::velocityText(kind, doub1, doub2, resultSize));
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
