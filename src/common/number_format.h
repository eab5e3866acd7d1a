#pragma once
// How the program writes numbers: format patterns for every shown or reported number, the bare
// general form of the results file, and the right-aligned columns of the reports.
//
// Everything here is independent of the C locale: a decimal point is always '.', whatever
// locale the windowing toolkit has switched the process to.
#include <concepts>
#include <string>
#include <string_view>

namespace tarmac {

// Writes v with a format pattern such as "0.0000", "#,##0.0", "###.0000", ".0000", "0":
// '0' is a digit always shown, '#' a digit shown only when significant, ',' groups thousands,
// '.' is the decimal point.
// - The value is first taken as its decimal text of 15 significant digits and that text is
//   rounded half away from zero to the digits the pattern shows after the point: 1.005 with
//   "0.00" gives "1.01". A float is widened to double exactly first, so its binary value
//   decides: 0.00125f (0.00124999997...) with "0.0000" gives "0.0012".
// - Integer part: every digit of the value is written, even more than the pattern has; the
//   '0's before the point set the least number of integer digits ("0,000,000" pads to seven).
//   With no '0' before the point a value below 1 gets nothing before the point ("###.0000"
//   writes 0.5 as ".5000", and 0 as ".0000").
// - Fraction: '0's are always written, trailing '#'s drop trailing zeros ("##.########" writes
//   0.25 as ".25"). The decimal point is written whenever the pattern has one, so 3 with
//   "##.##" is "3." — the pattern is followed literally.
// - A negative value gets a leading '-', except when what is written rounds to zero: -0.00004
//   with "0.0000" is "0.0000", never "-0.0000".
// - Characters other than "#0,." before the first or after the last digit place are copied as
//   they stand (a prefix or a unit suffix). An empty pattern gives GeneralNumber(v).
// - Not-a-number writes "NaN", infinities "Inf" and "-Inf", whatever the pattern.
std::string FormatNumber(double v, std::string_view pattern);
std::string FormatNumber(float v, std::string_view pattern);
// Counts and part numbers: written exactly (through the double form).
template <std::integral T>
std::string FormatNumber(T v, std::string_view pattern) {
  return FormatNumber(static_cast<double>(v), pattern);
}

// The bare general form used in result-file lines: a leading blank (or '-'), no zero before the
// point when |v| < 1, at most 15 significant digits (trailing zeros dropped), then one trailing
// blank. " 0 ", " .25 ", "-.5 ", " 1234.5 ".
// Exponent form: when the value, rounded to its significant digits, is 1E15 or more in
// magnitude (1E7 for a float), or below 1E-4 in magnitude (and not zero), it is written as a
// mantissa without trailing zeros, 'E', a sign and at least two exponent digits:
// " 1.5E+16 ", " 1E-05 ", "-2.5E+07 " (float). 0.0001 is still " .0001 ".
// Negative zero is " 0 "; not-a-number " NaN ", infinities " Inf " and "-Inf ".
std::string BareNumber(double v);
// The same for a single-precision value: at most 7 significant digits.
std::string BareNumber(float v);
template <std::integral T>
std::string BareNumber(T v) {
  return BareNumber(static_cast<double>(v));
}
// The general form without blanks, as the simulation log writes numbers ("0.25" -> ".25").
std::string GeneralNumber(double v);
std::string GeneralNumber(float v);
template <std::integral T>
std::string GeneralNumber(T v) {
  return GeneralNumber(static_cast<double>(v));
}

// The text preceded by width - length blanks; a text as long as the width is returned as it is,
// and a longer text gets a single leading blank.
std::string RightAlign(int width, std::string_view text);

// Reads a shown text back as a number the way a text box value is read: leading blanks and tabs
// skipped, then the longest numeric prefix taken: an optional sign, digits, an optional point
// and digits, an optional exponent ("E-05", "e+3", only when digits follow). Thousands commas
// between digits before the point are read as grouping ("1,234.5" is 1234.5), as the program
// writes them. Text that is not a number ("", " ", "abc", "-", ".") reads as 0, and so does a
// number too large for a double.
double ValueOfText(std::string_view text);

}  // namespace tarmac
