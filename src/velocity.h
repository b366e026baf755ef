// Velocity calculation: the portable heart of the calculator.
//
// Reads the distance and the mass out of the texts the user typed and
// computes the first (circular) or second (escape) cosmic velocity.
// Nothing here touches the window system, so it builds and is tested
// natively as well as for Windows.
#pragma once

#include <cstddef>

// The value is the factor on G.
enum class VelocityKind { Circular = 1, Escape = 2 };

// Extracts the number from a NUL-terminated Windows-1250 text: skips every
// byte up to the first ASCII digit, then reads the longest decimal number
// (digits, optional '.' and digits, optional exponent) found there.
// Returns 0.0 for a text without a digit, +infinity for a number too large
// for a double; the result is the nearest double, ties to even.
double fctext(const char* ch);

// Computes the velocity of the given kind for the distance and mass texts
// and prints it as "%.2f" into result. Returns false, leaving result as it
// was, when either number is zero or when the text does not fit in
// resultSize bytes. result may be the very buffer that distance points to.
bool fcVelocity(VelocityKind kind, const char* distance, const char* mass,
                char* result, std::size_t resultSize);
