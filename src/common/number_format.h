#pragma once
// How the program writes numbers: format patterns for every shown or reported number, the bare
// general form of the results file, and the right-aligned columns of the reports.
#include <string>
#include <string_view>

namespace tarmac {

// Writes v with a format pattern such as "0.0000", "#,##0.0", "###.0000", ".0000", "0":
// '0' is a digit always shown, '#' a digit shown only when significant, ',' groups thousands,
// '.' is the decimal point. The value is rounded half away from zero to the digits shown.
std::string FormatNumber(double v, std::string_view pattern);

// The bare general form used in result-file lines: a leading blank (or '-'), no zero before the
// point when |v| < 1, at most 15 significant digits, then one trailing blank. " 0 ", " .25 ", "-.5 ".
std::string BareNumber(double v);
// The same for a single-precision value: at most 7 significant digits.
std::string BareNumber(float v);
// The general form without blanks, as the simulation log writes numbers ("0.25" -> ".25").
std::string GeneralNumber(double v);
std::string GeneralNumber(float v);

// The text preceded by width - length blanks; a text as long as the width is returned as it is,
// and a longer text gets a single leading blank.
std::string RightAlign(int width, std::string_view text);

// Reads a shown text back as a number the way a text box value is read: leading blanks skipped,
// the longest numeric prefix taken; text that is not a number reads as 0.
double ValueOfText(std::string_view text);

}  // namespace tarmac
