// Velocity calculation: the interface (see velocity.h) and the velocity
// itself. The parts live in core/: the number grammar (parse_decimal), the
// conversion to the nearest double (decimal_to_double, with the 128-bit
// powers_of_five and the exact digit_comparison on bigint), and the exact
// "%.2f" printer (print_fixed2).
//
// The C library's own conversions are not used: the Windows runtime's
// atof and printf are neither correctly rounded nor exact, and both follow
// the process locale. Everything gives bit-identical results with any C
// library on any IEEE double machine that rounds each operation to double
// (SSE2; never the x87's extended registers).
#include "velocity.h"

#include "core/decimal_to_double.h"
#include "core/parse_decimal.h"
#include "core/print_fixed2.h"

#include <cmath>
#include <cstring>

double fctext(const char* ch)
{
    core::Decimal number;
    core::parseDecimal(ch, number);
    return core::decimalToDouble(number);
}

bool fcVelocity(VelocityKind kind, const char* distance, const char* mass,
                char* result, std::size_t resultSize)
{
    const double doub1 = fctext(distance);
    const double doub2 = fctext(mass);
    if (doub1 == 0.0 || doub2 == 0.0)
        return false;
    const double factor = static_cast<int>(kind);
    const double velocity = std::sqrt(factor * kGravitationalConstant * doub2 / doub1);
    char text[core::kMaxFixed2 + 1];
    const std::size_t length = core::printFixed2(velocity, text);
    if (length >= resultSize)
        return false;
    std::memcpy(result, text, length + 1);
    return true;
}
