#include "render/axis_ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tarmac {

namespace {

// Number of multiples of step within [lo, hi], with a little slack so that a limit lying on a
// multiple (up to the rounding of the division) counts.
long long FirstMultiple(double lo, double step) { return static_cast<long long>(std::ceil(lo / step - 1e-9)); }
long long LastMultiple(double hi, double step) { return static_cast<long long>(std::floor(hi / step + 1e-9)); }

}  // namespace

AxisTicks ChooseTicks(double lo, double hi) {
  AxisTicks t;
  if (!std::isfinite(lo) || !std::isfinite(hi)) return t;
  if (lo > hi) std::swap(lo, hi);
  double span = hi - lo;
  // A span lost in the rounding of its own limits has no scale: give it one of half the size of
  // the value's leading digit on either side (a unit around zero).
  const double magnitude = std::max(std::fabs(lo), std::fabs(hi));
  if (!(span > magnitude * 1e-12) || span == 0.0) {
    const double half = magnitude > 0.0 ? 0.5 * std::pow(10.0, std::floor(std::log10(magnitude))) : 0.5;
    lo -= half;
    hi += half;
    span = hi - lo;
  }
  // The candidate steps grow by at most a factor two, so the first that leaves ten ticks or fewer
  // leaves at least five: the one before it had eleven or more, a range of ten steps or more.
  static const double kMantissas[] = {1.0, 2.0, 2.5, 5.0};
  const int top = static_cast<int>(std::floor(std::log10(span)));
  for (int power = top - 2; power <= top + 1; ++power) {
    for (double m : kMantissas) {
      const double step = m * std::pow(10.0, power);
      const long long first = FirstMultiple(lo, step);
      const long long last = LastMultiple(hi, step);
      if (last - first + 1 > 10) continue;
      t.step = step;
      for (long long k = first; k <= last; ++k) t.values.push_back(static_cast<double>(k) * step);
      // 2.5 x 10^p needs one decimal more than 10^p.
      t.decimals = std::max(0, -power + (m == 2.5 ? 1 : 0));
      return t;
    }
  }
  return t;
}

std::string TickLabel(double value, int decimals) {
  decimals = std::clamp(decimals, 0, 15);
  // Zero written with the decimals it would show; anything that rounds to it is that zero.
  if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0.0;
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::vector<int> DecadeTicks(double lo, double hi) {
  std::vector<int> out;
  if (!(lo > 0.0) || !(hi > 0.0) || !std::isfinite(lo) || !std::isfinite(hi)) return out;
  if (lo > hi) std::swap(lo, hi);
  int first = static_cast<int>(std::ceil(std::log10(lo) - 1e-9));
  int last = static_cast<int>(std::floor(std::log10(hi) + 1e-9));
  if (last <= first) {
    first = static_cast<int>(std::floor(std::log10(lo) + 1e-9));
    last = static_cast<int>(std::ceil(std::log10(hi) - 1e-9));
    if (last == first) ++last;
  }
  for (int e = first; e <= last; ++e) out.push_back(e);
  return out;
}

std::string DecadeLabel(int exponent) {
  if (exponent >= 0 && exponent <= 3) return std::string(static_cast<std::size_t>(exponent), '0').insert(0, "1");
  if (exponent < 0 && exponent >= -3) return "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + "1";
  static const char* const kSuperscripts[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
  std::string label = "10";
  if (exponent < 0) label += "⁻";
  const std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
  for (char d : digits) label += kSuperscripts[d - '0'];
  return label;
}

}  // namespace tarmac
