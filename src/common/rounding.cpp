#include "common/rounding.h"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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
  // Work on the shortest decimal text of the value, as a person reads it, so that 1.005 (held
  // as 1.00499999999999989...) rounds to 1.01 the way it is written.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", x);
  const double shown = std::strtod(buf, nullptr);
  const double scale = std::pow(10.0, digits);
  double scaled = std::fabs(shown) * scale;
  std::snprintf(buf, sizeof buf, "%.15g", scaled);
  scaled = std::strtod(buf, nullptr);
  const double r = std::floor(scaled + 0.5) / scale;
  return std::signbit(shown) ? -r : r;
}

}  // namespace tarmac
