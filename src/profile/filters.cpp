#include "profile/filters.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "common/rounding.h"

namespace tarmac {
namespace {

// A series with odd-reflection extensions of `pad` samples before it and, when asked, after it.
// The program's sample j (1..n) sits at data[pad + j - 1]; E(1 - i) at data[pad - i];
// F(n + i) at data[pad + n + i - 1].
struct Extended {
  std::vector<float> data;
  std::size_t pad = 0;
  std::size_t n = 0;
  std::size_t trailing = 0;

  Extended(std::span<const float> z, std::int32_t p, bool withTrailing)
      : pad(static_cast<std::size_t>(p)), n(z.size()), trailing(withTrailing ? pad : 0) {
    data.resize(pad + n + trailing);
    const double first = z.front();
    const double last = z.back();
    for (std::size_t i = 1; i <= pad; ++i) data[pad - i] = static_cast<float>(2.0 * first - z[i]);
    for (std::size_t j = 0; j < n; ++j) data[pad + j] = z[j];
    for (std::size_t i = 1; i <= trailing; ++i)
      data[pad + n + i - 1] = static_cast<float>(2.0 * last - z[n - 1 - i]);
  }
  void copyBack(std::span<float> z) const {
    for (std::size_t j = 0; j < n; ++j) z[j] = data[pad + j];
  }
};

void RequirePositive(double v, const char* what) {
  if (!(v > 0.0) || !std::isfinite(v)) {
    throw std::invalid_argument(std::string("The filter ") + what + " must be a positive number.");
  }
}

// Runs `filter` over the extended series: forward from the first leading sample, writing its
// output over the data and the trailing extension; then, when there is a trailing extension,
// restarts on the last filtered trailing value and runs backward down to the first data sample,
// writing its output. Outputs over the leading extension (forward) and the trailing extension
// (backward) are only run-in and are discarded.
template <typename Filter>
void RunPasses(Extended& e, Filter& filter, bool bothWays) {
  auto& d = e.data;
  filter.reset();
  for (std::size_t k = 0; k < d.size(); ++k) {
    const double y = filter.process(d[k]);
    if (k >= e.pad) d[k] = static_cast<float>(y);
  }
  if (!bothWays) return;
  filter.reset();
  for (std::size_t k = d.size(); k-- > e.pad;) {
    const double y = filter.process(d[k]);
    if (k < e.pad + e.n) d[k] = static_cast<float>(y);
  }
}

// Second-order section followed by a first-order section; the numerators differ between the
// high-pass and the low-pass form, the denominators are those of the third-order Butterworth.
class ThirdOrderSections {
 public:
  ThirdOrderSections(double w, bool lowPass) : low_(lowPass) {
    a_ = 1.0 + w + w * w;
    c1_ = 2.0 * (1.0 - w * w) / a_;
    c2_ = (1.0 - w + w * w) / a_;
    w2a_ = w * w / a_;
    e0_ = 1.0 + w;
    e1_ = (1.0 - w) / (1.0 + w);
    ew_ = w / (1.0 + w);
  }
  void reset() { started_ = false; }
  double process(double x) {
    if (!started_) {
      x1_ = x2_ = s1_ = s2_ = y1_ = x;
      started_ = true;
    }
    double s;
    double y;
    if (low_) {
      s = w2a_ * (x + 2.0 * x1_ + x2_) + c1_ * s1_ - c2_ * s2_;
      y = ew_ * (s + s1_) + e1_ * y1_;
    } else {
      s = (x - 2.0 * x1_ + x2_) / a_ + c1_ * s1_ - c2_ * s2_;
      y = (s - s1_) / e0_ + e1_ * y1_;
    }
    x2_ = x1_;
    x1_ = x;
    s2_ = s1_;
    s1_ = s;
    y1_ = y;
    return y;
  }

 private:
  bool low_;
  double a_ = 0, c1_ = 0, c2_ = 0, w2a_ = 0, e0_ = 0, e1_ = 0, ew_ = 0;
  bool started_ = false;
  double x1_ = 0, x2_ = 0, s1_ = 0, s2_ = 0, y1_ = 0;
};

}  // namespace

ButterworthDesign DesignButterworth(double spacing, double cutoff) {
  constexpr int kOrder = 4;
  constexpr int kSections = kOrder - kOrder / 2;
  const double pi = kLowPassPi;
  const double arg = pi * cutoff * spacing;
  const double wc = std::sin(arg) / std::cos(arg);
  ButterworthDesign d;
  double g = 1.0;
  for (int k = 1; k <= kSections; ++k) {
    const double theta = (k - 1) * pi / kOrder + pi / (2 * kOrder);
    const double x = wc * std::sin(theta);
    const double y = wc * std::cos(theta);
    const double d0 = (1.0 + y) * (1.0 + y) + x * x;
    const double d1 = -2.0 * (1.0 - y * y - x * x) / d0;
    const double d2 = ((1.0 - y) * (1.0 - y) + x * x) / d0;
    d.d1[static_cast<std::size_t>(k - 1)] = d1;
    d.d2[static_cast<std::size_t>(k - 1)] = d2;
    g = g * (1.0 + d1 + d2) / 4.0;
  }
  d.gain = std::pow(g, 1.0 / kSections);
  return d;
}

double ButterworthLowPass::process(double x) {
  if (!started_) {
    x1_ = x2_ = w_ = w1_ = w2_ = r_ = r1_ = r2_ = x;
    started_ = true;
  }
  w_ = d_.gain * (x + 2.0 * x1_ + x2_) - d_.d1[0] * w1_ - d_.d2[0] * w2_;
  r_ = d_.gain * (w_ + 2.0 * w1_ + w2_) - d_.d1[1] * r1_ - d_.d2[1] * r2_;
  x2_ = x1_;
  x1_ = x;
  w2_ = w1_;
  w1_ = w_;
  r2_ = r1_;
  r1_ = r_;
  return r_;
}

double LowPassFilter(double cutoff, double spacing, std::span<float> series, bool bothWays) {
  RequirePositive(cutoff, "cut-off frequency");
  RequirePositive(spacing, "sample spacing");
  const auto n = static_cast<std::int32_t>(series.size());
  // Ten wavelengths of the cut-off asked for, decided before any lowering to the Nyquist limit.
  std::int32_t pad = CLng(10.0 / (cutoff * spacing));
  if (pad < 100) pad = 100;
  if (pad >= n) pad = CLng(n / 2.0);

  const double nyquist = 1.0 / (2.0 * spacing);
  if (cutoff > nyquist) cutoff = nyquist;
  if (n == 0) return cutoff;

  ButterworthLowPass filter(DesignButterworth(spacing, cutoff));
  Extended e(series, pad, bothWays);
  RunPasses(e, filter, bothWays);
  e.copyBack(series);
  return cutoff;
}

void HighPassFilter(std::span<float> series, double spacing) {
  RequirePositive(spacing, "sample spacing");
  const auto n = static_cast<std::int32_t>(series.size());
  if (n == 0) return;
  const double pi = std::numbers::pi;
  const double fc = 1.0 / kHighPassWavelength;
  const double w = std::tan(pi * fc * spacing);
  std::int32_t pad = CLng(4.0 * kHighPassWavelength / spacing);
  if (pad > n - 1) pad = n - 1;

  // Raised-cosine taper of the first and last 2 %: the ends then start and finish near zero,
  // which the 300-ft filter would otherwise turn into a long transient.
  const std::int32_t taper = CLng(0.02 * n);
  for (std::int32_t i = 1; i <= taper; ++i) {
    const double f = (1.0 - std::cos(i * pi / taper)) / 2.0;
    float& head = series[static_cast<std::size_t>(i - 1)];
    float& tail = series[static_cast<std::size_t>(n - i)];
    head = static_cast<float>(head * f);
    tail = static_cast<float>(tail * f);
  }

  ThirdOrderSections filter(w, /*lowPass=*/false);
  Extended e(series, pad, /*withTrailing=*/true);
  RunPasses(e, filter, /*bothWays=*/true);
  e.copyBack(series);
}

bool ThirdOrderLowPass(double cutoff, double spacing, std::span<float> series, bool bothWays) {
  RequirePositive(cutoff, "cut-off frequency");
  RequirePositive(spacing, "sample spacing");
  // At the Nyquist frequency tan(pi fc dx) is infinite and beyond it negative: nothing a
  // sampled series can hold lies above the cut-off, so the series is left as it is.
  if (cutoff >= 1.0 / (2.0 * spacing)) return false;
  const auto n = static_cast<std::int32_t>(series.size());
  if (n == 0) return true;
  const double w = std::tan(std::numbers::pi * cutoff * spacing);
  std::int32_t pad = CLng(4.0 / (cutoff * spacing));
  if (pad > n - 1) pad = n - 1;

  ThirdOrderSections filter(w, /*lowPass=*/true);
  Extended e(series, pad, bothWays);
  RunPasses(e, filter, bothWays);
  e.copyBack(series);
  return true;
}

std::vector<float> HighPassProfile(std::span<const float> profileZ, double dx) {
  std::vector<float> z(profileZ.begin(), profileZ.end());
  HighPassFilter(z, dx);
  return z;
}

}  // namespace tarmac
