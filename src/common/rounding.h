#pragma once
// Integer conversions with the program's rounding rules. Every conversion of a computed value to
// an integer goes through here: window sizes, section counts and sample counts depend on it.
#include <cstdint>
#include <string>

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

// A finite value as decimal digits: value = (negative ? -1 : 1) x 0.d1 d2 ... dn x 10^point.
struct DecimalText {
  std::string digits;  // '0'..'9', the first not '0' unless the value is zero
  int point = 0;       // digits before the decimal point; negative or beyond n when needed
  bool negative = false;
};
// The value's decimal text with `significant` digits (rounded to nearest by the conversion),
// independent of the C locale.
DecimalText ToDecimalText(double x, int significant);
// Rounds the text half away from zero so that it keeps at most `decimals` digits after the
// point (fewer digits are kept as they are). A text that rounds away entirely becomes "0".
void RoundHalfAwayToDecimals(DecimalText& d, int decimals);

}  // namespace tarmac
