// Velocity calculation: the portable heart of the calculator.
//
// Reads the distance and the mass out of the texts the user typed and
// computes the first (circular) or second (escape) cosmic velocity.
// Nothing here touches the window system, so it builds and is tested
// natively as well as for Windows.
#pragma once

#include <cstddef>

// The gravitational constant G, m^3 kg^-1 s^-2.
constexpr double kGravitationalConstant = 6.672e-11;

// The value is the factor on G.
enum class VelocityKind { Circular = 1, Escape = 2 };

// Extracts the number from a NUL-terminated Windows-1250 text: skips every
// byte up to the first ASCII digit, then reads the longest decimal number
// found there: digits, optionally '.' and digits, optionally 'e' or 'E',
// a sign and at least one digit ('d' and 'D' do not start an exponent).
// Returns 0.0 for a text without a digit or a number too small for a
// double, +infinity for one too large; otherwise the nearest double, ties
// to even, for texts of any length and whatever the process locale.
double fctext(const char* ch);

// Computes the velocity of the given kind for the distance and mass texts
// and prints it as "%.2f" prints the exact value (ties to even, '.' as the
// separator; "inf" and "nan" when not finite) into result. Returns false,
// leaving result as it was, when either number is zero or when the text
// and its NUL do not fit in resultSize bytes. result may be the very
// buffer that distance points to.
bool fcVelocity(VelocityKind kind, const char* distance, const char* mass,
                char* result, std::size_t resultSize);
