#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <stdexcept>
#include <vector>

#include "spectra/fft.h"
#include "spectra/psd.h"

namespace tarmac {
namespace {

using cd = std::complex<double>;

std::vector<cd> DirectDft(const std::vector<cd>& x) {
  const std::size_t n = x.size();
  std::vector<cd> out(n);
  for (std::size_t k = 0; k < n; ++k) {
    for (std::size_t m = 0; m < n; ++m) out[k] += x[m] * std::polar(1.0, 2 * std::numbers::pi * double(k * m % n) / double(n));
  }
  return out;
}

// The whole run against an independent periodogram of the centred record.
TEST(Psd, BinsAreTheNormalisedPeriodogramOfTheCentredRecord) {
  std::mt19937 rng(11);
  std::normal_distribution<float> g(0.0f, 3.0f);
  std::vector<float> v(300);  // record of 256 starting at sample Fix(44 / 2) = 22
  for (auto& s : v) s = g(rng);
  const double dt = 0.5 / 58.0;
  const PsdResult r = ComputePsd(v, 12.0, dt, 10);
  ASSERT_EQ(r.m, 128);
  std::vector<cd> rec(256);
  for (std::size_t k = 0; k < 256; ++k) rec[k] = static_cast<double>(v[21 + k]) / 12.0;
  const auto x = DirectDft(rec);
  for (std::size_t j = 1; j <= 128; ++j) {
    const double p = j == 1 ? 2.0 * std::norm(x[0]) : std::norm(x[j - 1]) + std::norm(x[257 - j]);
    EXPECT_NEAR(r.log_power[j - 1], std::log10(1e10 * p / (2.0 * 256 * 256)), 1e-9) << j;
  }
  // Forward average of ten bins, always divided by 10, also over the last nine bins.
  for (std::size_t j = 0; j < 128; ++j) {
    double sum = 0.0;
    for (std::size_t i = j; i < std::min<std::size_t>(j + 10, 128); ++i) sum += r.log_power[i];
    EXPECT_NEAR(r.smoothed[j], sum / 10.0, 1e-12);
  }
  // Frequencies from 0 in steps of 1 / (np dt), the last one just below Nyquist.
  EXPECT_EQ(r.frequency[0], 0.0);
  EXPECT_NEAR(r.frequency[1], 1.0 / (256 * dt), 1e-12);
  EXPECT_NEAR(r.xmax, (0.5 - 1.0 / 256) / dt, 1e-9);
}

// A ramp: the zero-frequency bin tells which samples formed the record.
TEST(Psd, RecordIsTheLargestCentredPowerOfTwo) {
  struct Case { int n, np, nstart; };
  for (const Case c : {Case{2, 2, 1}, Case{3, 2, 1}, Case{1027, 1024, 1}, Case{12, 8, 2},
                       Case{2047, 1024, 511}}) {
    std::vector<float> v(static_cast<std::size_t>(c.n));
    for (int i = 0; i < c.n; ++i) v[static_cast<std::size_t>(i)] = static_cast<float>(i + 1);
    const PsdResult r = ComputePsd(v, 1.0, 0.1, 0);
    EXPECT_EQ(r.np, c.np) << c.n;
    EXPECT_EQ(r.nstart, c.nstart) << c.n;
    const double sum = c.np * (c.nstart + (c.np - 1) / 2.0);
    EXPECT_NEAR(r.power[0], 2.0 * sum * sum, 1e-9 * sum * sum) << c.n;
  }
  EXPECT_THROW(ComputePsd(std::vector<float>{1.0f}, 1.0, 0.1, 10), std::invalid_argument);
  EXPECT_THROW(ComputePsd(std::vector<float>{1.0f, 2.0f}, 1.0, 0.0, 10), std::invalid_argument);
  std::vector<double> six_points(12);
  EXPECT_THROW(FourierTransform(six_points, 6, 1), std::invalid_argument);
}

TEST(Psd, ZeroPowerBinsOfAConstantSeriesSitFifteenDecadesBelowTheStrongest) {
  const PsdResult r = ComputePsd(std::vector<float>(64, 2.0f), 1.0, 0.1, 10);
  EXPECT_EQ(r.zero_power_bins, r.m - 1);
  const double dc = std::log10(1e10 * 4.0);  // mean squared, raised ten decades
  EXPECT_NEAR(r.log_power[0], dc, 1e-12);
  for (std::size_t j = 1; j < 32; ++j) EXPECT_NEAR(r.log_power[j], dc - kZeroPowerDecades, 1e-12);
  EXPECT_THROW(ComputePsd(std::vector<float>(64, 0.0f), 1.0, 0.1, 10), std::invalid_argument);
}

}  // namespace
}  // namespace tarmac
