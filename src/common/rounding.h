#pragma once
// Integer conversions with the program's rounding rules. Every conversion of a computed value to
// an integer goes through here: window sizes, section counts and sample counts depend on it.
#include <cstdint>

namespace tarmac {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2), 32-bit range.
// Throws std::range_error when the value does not fit (or is not finite).
std::int32_t RoundHalfEven(double x);
// The same rule in the 16-bit range.
std::int16_t RoundHalfEven16(double x);
// Aliases under the names the formulas use.
inline std::int32_t CLng(double x) { return RoundHalfEven(x); }
inline std::int16_t CInt(double x) { return RoundHalfEven16(x); }

// Truncation toward zero (Fix(-2.7) = -2).
std::int32_t Fix(double x);
// Largest integer not above x (Int(-2.3) = -3).
std::int32_t Int(double x);

// Rounds to the nearest multiple of 10^-digits, halves away from zero, on the decimal value
// the binary double stands for when printed with 15 significant digits (so 1.005 -> 1.01).
double RoundDecimalHalfAway(double x, int digits);

}  // namespace tarmac
