#include "common/number_format.h"

#include "common/rounding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

namespace tarmac {
namespace {

constexpr int kDoubleDigits = 15;
constexpr int kSingleDigits = 7;

// The digit of the decimal at position k counted from the first digit (0-based), '0' outside.
char DigitAt(const DecimalText& d, long k) {
  return (k >= 0 && k < static_cast<long>(d.digits.size())) ? d.digits[static_cast<std::size_t>(k)]
                                                            : '0';
}

struct Pattern {
  std::string_view prefix;
  std::string_view suffix;
  int min_integer_digits = 0;  // '0's from the first '0' before the point up to the point
  bool grouping = false;
  bool has_point = false;
  int min_decimals = 0;  // places up to the last '0' after the point
  int max_decimals = 0;  // all digit places after the point
};

bool IsPatternChar(char c) { return c == '#' || c == '0' || c == ',' || c == '.'; }

Pattern ParsePattern(std::string_view text) {
  Pattern p;
  const auto first = text.find_first_of("#0,.");
  if (first == std::string_view::npos) {
    p.prefix = text;
    return p;
  }
  auto last = first;
  for (auto i = first; i < text.size(); ++i) {
    if (IsPatternChar(text[i])) last = i;
  }
  p.prefix = text.substr(0, first);
  p.suffix = text.substr(last + 1);
  const std::string_view body = text.substr(first, last + 1 - first);
  const auto dot = body.find('.');
  const std::string_view whole = body.substr(0, dot);
  bool seen_zero = false;
  for (char c : whole) {
    if (c == ',') p.grouping = true;
    if (c == '0') seen_zero = true;
    if (seen_zero && (c == '0' || c == '#')) ++p.min_integer_digits;
  }
  if (dot != std::string_view::npos) {
    p.has_point = true;
    int places = 0;
    for (char c : body.substr(dot + 1)) {
      if (c == '0' || c == '#') ++places;
      if (c == '0') p.min_decimals = places;
    }
    p.max_decimals = places;
  }
  return p;
}

std::string NonFinite(double v) {
  if (std::isnan(v)) return "NaN";
  return v < 0 ? "-Inf" : "Inf";
}

std::string FormatDecimal(DecimalText d, std::string_view pattern_text) {
  const Pattern p = ParsePattern(pattern_text);
  RoundHalfAwayToDecimals(d, p.max_decimals);

  // Integer digits, without leading zeros, then padded to the pattern's required digits.
  std::string whole;
  for (long k = 0; k < d.point; ++k) {
    const char c = DigitAt(d, k);
    if (whole.empty() && c == '0') continue;
    whole.push_back(c);
  }
  if (static_cast<int>(whole.size()) < p.min_integer_digits) {
    whole.insert(0, static_cast<std::size_t>(p.min_integer_digits) - whole.size(), '0');
  }
  std::string fraction;
  for (int k = 0; k < p.max_decimals; ++k) fraction.push_back(DigitAt(d, d.point + k));
  while (static_cast<int>(fraction.size()) > p.min_decimals && fraction.back() == '0') {
    fraction.pop_back();
  }
  const bool all_zero = std::all_of(whole.begin(), whole.end(), [](char c) { return c == '0'; }) &&
                        std::all_of(fraction.begin(), fraction.end(),
                                    [](char c) { return c == '0'; });

  std::string out;
  out.reserve(p.prefix.size() + whole.size() + whole.size() / 3 + fraction.size() + 3 +
              p.suffix.size());
  out.append(p.prefix);
  if (d.negative && !all_zero) out.push_back('-');
  if (p.grouping) {
    const std::size_t n = whole.size();
    for (std::size_t i = 0; i < n; ++i) {
      if (i > 0 && (n - i) % 3 == 0) out.push_back(',');
      out.push_back(whole[i]);
    }
  } else {
    out.append(whole);
  }
  if (p.has_point) {
    out.push_back('.');
    out.append(fraction);
  }
  out.append(p.suffix);
  return out;
}

// The general form: shortest text of at most `significant` digits, no zero before the point,
// exponent form outside 1E-4 <= |v| < 10^significant (judged after rounding).
std::string General(double v, int significant) {
  if (!std::isfinite(v)) return NonFinite(v);
  if (v == 0) return "0";
  char buf[64];
  const auto res =
      std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, significant);
  std::string s(buf, res.ptr);
  const auto e = s.find('e');
  if (e != std::string::npos) {
    // Mantissa as written, then 'E', the sign and at least two exponent digits.
    std::string exponent = s.substr(e + 1);
    const char sign = exponent[0] == '-' ? '-' : '+';
    if (exponent[0] == '-' || exponent[0] == '+') exponent.erase(0, 1);
    if (exponent.size() < 2) exponent.insert(0, 2 - exponent.size(), '0');
    s = s.substr(0, e) + 'E' + sign + exponent;
  } else if (s.starts_with("0.")) {
    s.erase(0, 1);
  } else if (s.starts_with("-0.")) {
    s.erase(1, 1);
  }
  return s;
}

}  // namespace

std::string FormatNumber(double v, std::string_view pattern) {
  if (!std::isfinite(v)) return NonFinite(v);
  if (pattern.empty()) return GeneralNumber(v);
  return FormatDecimal(ToDecimalText(v, kDoubleDigits), pattern);
}

std::string FormatNumber(float v, std::string_view pattern) {
  if (pattern.empty()) return GeneralNumber(v);
  // A single-precision value is widened to double exactly and written as that double: its
  // binary value decides, so 0.00125f (0.00124999997...) is 0.0012 with "0.0000".
  return FormatNumber(static_cast<double>(v), pattern);
}

std::string GeneralNumber(double v) { return General(v, kDoubleDigits); }
std::string GeneralNumber(float v) { return General(static_cast<double>(v), kSingleDigits); }

std::string BareNumber(double v) {
  std::string s = GeneralNumber(v);
  if (s.front() != '-') s.insert(s.begin(), ' ');
  s.push_back(' ');
  return s;
}

std::string BareNumber(float v) {
  std::string s = GeneralNumber(v);
  if (s.front() != '-') s.insert(s.begin(), ' ');
  s.push_back(' ');
  return s;
}

std::string RightAlign(int width, std::string_view text) {
  const long pad = static_cast<long>(width) - static_cast<long>(text.size());
  std::string out;
  if (pad >= 0) {
    out.reserve(static_cast<std::size_t>(width));
    out.append(static_cast<std::size_t>(pad), ' ');
  } else {
    out.reserve(text.size() + 1);
    out.push_back(' ');
  }
  out.append(text);
  return out;
}

double ValueOfText(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
  auto digit = [&](std::size_t k) { return k < n && text[k] >= '0' && text[k] <= '9'; };

  // Gather the numeric prefix into a plain text without grouping commas.
  std::string number;
  if (i < n && (text[i] == '-' || text[i] == '+')) {
    if (text[i] == '-') number.push_back('-');
    ++i;
  }
  bool any_digit = false;
  while (i < n) {
    if (digit(i)) {
      number.push_back(text[i]);
      any_digit = true;
    } else if (text[i] != ',' || !any_digit || !digit(i + 1)) {
      break;
    }
    ++i;
  }
  if (i < n && text[i] == '.') {
    number.push_back('.');
    ++i;
    while (digit(i)) {
      number.push_back(text[i]);
      any_digit = true;
      ++i;
    }
  }
  if (!any_digit) return 0.0;
  if (i < n && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    std::size_t k = i + 1;
    std::string exponent = "e";
    if (k < n && (text[k] == '-' || text[k] == '+')) exponent.push_back(text[k++]);
    if (digit(k)) {
      while (digit(k)) exponent.push_back(text[k++]);
      number += exponent;
    }
  }
  double value = 0.0;
  const char* first = number.data();
  const char* last = number.data() + number.size();
  if (*first == '+') ++first;
  const auto res = std::from_chars(first, last, value);
  if (res.ec == std::errc::result_out_of_range) {
    // Underflow reads as zero anyway; overflow too, so a wild entry never becomes infinite.
    return 0.0;
  }
  return value;
}

}  // namespace tarmac
