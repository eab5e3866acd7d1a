#pragma once
// Power spectral density of one series: a single-record periodogram of the largest power-of-two
// stretch centred in the series, no taper, a base-10 logarithm raised by a chosen number of
// decades, and a ten-bin running average before plotting.
#include <cstdint>
#include <span>
#include <vector>

namespace tarmac {

struct PreparedProfile;

// Travel speed the profile spectrum assumes to turn distance into time, ft/s.
inline constexpr double kProfileSpectrumSpeedFps = 58.0;
// Window type every spectrum run asks for (rectangular).
inline constexpr int kSpectrumWindowType = 2;

// Decades below the strongest bin at which bins of zero power are drawn.
inline constexpr double kZeroPowerDecades = 15.0;

struct PsdResult {
  std::int32_t np = 0;      // record length, the largest power of two not above N
  std::int32_t nstart = 0;  // first sample of the record, counted from 1 (1 <= nstart)
  std::int32_t m = 0;       // number of frequency bins, np / 2
  double dt = 0.0;          // sampling interval, s
  int exponent = 0;         // n of 10^n added to the power before the logarithm
  // The transform of the record as FourierTransform leaves it: 2*np doubles, (real, imaginary) pairs.
  std::vector<double> transform;
  // Mean-square power sums of bins 1..m before normalising (bin 1 counted twice); [j-1] = bin j.
  std::vector<double> power;
  double den = 0.0;         // normalising denominator, 2*np^2 for the rectangular window
  // log10(10^n * power / den) per bin. A bin of zero power has no logarithm: it is drawn
  // kZeroPowerDecades below the strongest bin, or at the weakest bin with power if that is
  // lower, and is counted in zero_power_bins.
  std::vector<double> log_power;
  std::int32_t zero_power_bins = 0;
  // The plotted values: the forward running sum of ten bins divided by 10 (also the last nine).
  std::vector<double> smoothed;
  std::vector<double> frequency;  // Hz, (j-1)/(2m)/dt; frequency[0] = 0
  // Plot limits: ymax starts at 0 and ymin at 100000 before the bins are scanned.
  double ymax = 0.0, ymin = 0.0, xmax = 0.0, xmin = 0.0;
};

// The spectrum run over series values v(i) = series[i-1] / divisor (divisor 12.0 turns the
// prepared profile's inches into feet; 1.0 keeps a response level as stored), sampled every dt
// seconds. Throws std::invalid_argument for fewer than two points, a dt that is not positive,
// or a series with no power at all (every value zero).
PsdResult ComputePsd(std::span<const float> series, double divisor, double dt, int exponent);

// The profile spectrum: the prepared profile (decimated by 10) in feet at an assumed 58.0 ft/s.
PsdResult ComputeProfilePsd(const PreparedProfile& profile, int exponent);

}  // namespace tarmac
