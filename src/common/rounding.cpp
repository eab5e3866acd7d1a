#include "common/rounding.h"

#include <algorithm>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace tarmac {
namespace {

double NearestEven(double x) {
  // std::nearbyint follows the current rounding mode; the default mode rounds halves to even.
  // Do not rely on whoever called us leaving it alone.
  const int saved = std::fegetround();
  if (saved != FE_TONEAREST) std::fesetround(FE_TONEAREST);
  const double r = std::nearbyint(x);
  if (saved != FE_TONEAREST) std::fesetround(saved);
  return r;
}

template <typename T>
T Checked(double r, double x) {
  if (!std::isfinite(r) || r < static_cast<double>(std::numeric_limits<T>::min()) ||
      r > static_cast<double>(std::numeric_limits<T>::max())) {
    throw std::range_error("Overflow: " + std::to_string(x) + " does not fit an integer");
  }
  return static_cast<T>(r);
}

}  // namespace

std::int32_t RoundHalfEven(double x) { return Checked<std::int32_t>(NearestEven(x), x); }
std::int16_t RoundHalfEven16(double x) { return Checked<std::int16_t>(NearestEven(x), x); }
std::int32_t Fix(double x) { return Checked<std::int32_t>(std::trunc(x), x); }
std::int32_t Int(double x) { return Checked<std::int32_t>(std::floor(x), x); }

double RoundDecimalHalfAway(double x, int digits) {
  if (!std::isfinite(x)) return x;
  // Work on the 15-digit decimal text of the value, as a person reads it, so that 1.005 (held
  // as 1.00499999999999989...) rounds to 1.01 the way it is written.
  DecimalText d = ToDecimalText(x, 15);
  RoundHalfAwayToDecimals(d, digits);
  std::string text = d.negative ? "-0." : "0.";
  text += d.digits;
  text += 'e';
  text += std::to_string(d.point);
  double r = 0.0;
  std::from_chars(text.data(), text.data() + text.size(), r);
  return r;
}

DecimalText ToDecimalText(double x, int significant) {
  DecimalText d;
  d.negative = std::signbit(x);
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(x),
                                 std::chars_format::scientific, std::max(significant, 1) - 1);
  const char* p = buf;
  for (; p != res.ptr && *p != 'e'; ++p) {
    if (*p != '.') d.digits.push_back(*p);
  }
  int exponent = 0;
  if (p != res.ptr) std::from_chars(p + (p[1] == '+' ? 2 : 1), res.ptr, exponent);
  d.point = exponent + 1;
  return d;
}

void RoundHalfAwayToDecimals(DecimalText& d, int decimals) {
  const long keep = static_cast<long>(d.point) + decimals;  // digits that stay
  const long n = static_cast<long>(d.digits.size());
  if (keep >= n) return;
  const bool up = keep >= 0 && d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(std::max(keep, 0L)));
  if (up) {
    long i = keep - 1;
    for (; i >= 0; --i) {
      char& c = d.digits[static_cast<std::size_t>(i)];
      if (c != '9') {
        ++c;
        break;
      }
      c = '0';
    }
    if (i < 0) {  // 9.99 -> 10.0: the carry gives one more digit in front
      d.digits.insert(d.digits.begin(), '1');
      ++d.point;
    }
  }
  if (d.digits.empty()) {
    d.digits = "0";
    d.point = 1;
  }
}

}  // namespace tarmac
