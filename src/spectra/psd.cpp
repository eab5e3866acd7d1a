#include "spectra/psd.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "common/rounding.h"
#include "profile/prepared_profile.h"
#include "spectra/fft.h"

namespace tarmac {

namespace {

// Record length: the largest power of two not above n, taken through the logarithm as the
// program does, then checked against n so that rounding in the logarithm can never halve it.
std::int32_t RecordLength(std::int32_t n) {
  const double power = std::pow(2.0, Fix(std::log(static_cast<double>(n)) / std::log(2.0)));
  std::int32_t np = CLng(power);
  while (np > n) np /= 2;
  while (np <= n / 2) np *= 2;
  return np;
}

}  // namespace

PsdResult ComputePsd(std::span<const float> series, double divisor, double dt, int exponent) {
  if (series.size() < 2) {
    throw std::invalid_argument(
        "The series has fewer than two points: there is no spectrum to compute.");
  }
  if (series.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() / 4)) {
    throw std::invalid_argument("The series is too long for a spectrum.");
  }
  if (!(dt > 0.0) || !std::isfinite(dt)) {
    throw std::invalid_argument("The sampling interval of the series must be positive.");
  }
  const auto n = static_cast<std::int32_t>(series.size());
  PsdResult r;
  r.dt = dt;
  r.exponent = exponent;
  r.np = RecordLength(n);
  r.nstart = Fix((n - r.np) * 0.5);
  if (r.nstart < 1) r.nstart = 1;
  r.m = r.np / 2;
  const auto m = static_cast<std::size_t>(r.m);

  // The record, centred in the series, as the real parts of the complex buffer.
  r.transform.assign(2 * static_cast<std::size_t>(r.np), 0.0);
  for (std::int32_t k = 1; k <= r.np; ++k) {
    const float v = series[static_cast<std::size_t>(r.nstart + k - 2)];  // sample nstart+k-1
    r.transform[2 * static_cast<std::size_t>(k - 1)] = static_cast<double>(v) / divisor;
  }
  r.power.assign(m, 0.0);
  r.den = Periodogram(r.power, r.m, 1, r.transform, kSpectrumWindowType);

  // Logarithm raised by n decades. A bin of zero power has no logarithm; it is drawn at the
  // floor: 15 decades below the strongest bin (the round-off of a double-precision transform),
  // or at the weakest bin that has power if that lies lower, so it cannot spoil the average.
  const double decades = std::pow(10.0, exponent);
  r.log_power.assign(m, 0.0);
  double lowest = std::numeric_limits<double>::infinity();
  double highest = -std::numeric_limits<double>::infinity();
  for (std::size_t j = 0; j < m; ++j) {
    if (r.power[j] > 0.0) {
      r.log_power[j] = std::log(decades * r.power[j] / r.den) / std::log(10.0);
      lowest = std::min(lowest, r.log_power[j]);
      highest = std::max(highest, r.log_power[j]);
    } else {
      ++r.zero_power_bins;
    }
  }
  if (r.zero_power_bins == r.m) {
    throw std::invalid_argument(
        "The series carries no power: every value is zero, so there is no spectrum to plot.");
  }
  const double floor_value = std::min(lowest, highest - kZeroPowerDecades);
  for (std::size_t j = 0; j < m; ++j) {
    if (!(r.power[j] > 0.0)) r.log_power[j] = floor_value;
  }

  // Forward running average of ten bins; the divisor stays 10 near the end.
  r.smoothed = r.log_power;
  for (std::size_t j = 0; j < m; ++j) {
    double sum = 0.0;
    for (std::size_t i = j; i < j + 10 && i < m; ++i) sum += r.smoothed[i];
    r.smoothed[j] = sum / 10.0;
  }

  r.frequency.resize(m);
  for (std::size_t j = 0; j < m; ++j) {
    r.frequency[j] = static_cast<double>(j) / (2.0 * r.m) / dt;
  }

  r.ymax = 0.0;
  r.ymin = 100000.0;
  for (double p : r.smoothed) {
    if (p > r.ymax) r.ymax = p;
    if (p < r.ymin) r.ymin = p;
  }
  r.xmax = r.frequency[m - 1];
  r.xmin = r.frequency[0];
  return r;
}

PsdResult ComputeProfilePsd(const PreparedProfile& profile, int exponent) {
  const std::span<const float> samples(profile.data1(), static_cast<std::size_t>(
                                                            profile.n < 0 ? 0 : profile.n));
  return ComputePsd(samples, 12.0, profile.spacing / kProfileSpectrumSpeedFps, exponent);
}

}  // namespace tarmac
