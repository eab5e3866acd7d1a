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

std::vector<cd> DirectDft(const std::vector<cd>& x, int sign) {
  const std::size_t n = x.size();
  std::vector<cd> out(n);
  for (std::size_t k = 0; k < n; ++k) {
    cd sum = 0.0;
    for (std::size_t m = 0; m < n; ++m) {
      const double angle = sign * 2.0 * std::numbers::pi * static_cast<double>(k * m % n) /
                           static_cast<double>(n);
      sum += x[m] * cd(std::cos(angle), std::sin(angle));
    }
    out[k] = sum;
  }
  return out;
}

TEST(Four1, MatchesDirectTransformAndParsevalForBothSigns) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int nn : {1, 2, 8, 64, 256}) {
    for (int sign : {+1, -1}) {
      std::vector<cd> x(static_cast<std::size_t>(nn));
      std::vector<double> buf(2 * x.size());
      for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = cd(u(rng), u(rng));
        buf[2 * i] = x[i].real();
        buf[2 * i + 1] = x[i].imag();
      }
      FOUR1(buf, nn, sign);
      const auto ref = DirectDft(x, sign);
      double energy_time = 0.0, energy_freq = 0.0;
      for (std::size_t k = 0; k < x.size(); ++k) {
        EXPECT_NEAR(buf[2 * k], ref[k].real(), 1e-9) << "nn=" << nn << " k=" << k;
        EXPECT_NEAR(buf[2 * k + 1], ref[k].imag(), 1e-9) << "nn=" << nn << " k=" << k;
        energy_time += std::norm(x[k]);
        energy_freq += buf[2 * k] * buf[2 * k] + buf[2 * k + 1] * buf[2 * k + 1];
      }
      EXPECT_NEAR(energy_freq, nn * energy_time, 1e-9 * nn * energy_time);
    }
  }
  std::vector<double> bad(12);
  EXPECT_THROW(FOUR1(bad, 6, 1), std::invalid_argument);
}

// The whole run against an independent periodogram of the centred record.
TEST(Psd, BinsAreTheNormalisedPeriodogramOfTheCentredRecord) {
  std::mt19937 rng(11);
  std::normal_distribution<float> g(0.0f, 3.0f);
  const int n = 300;  // record of 256 starting at sample Fix(44 / 2) = 22
  std::vector<float> v(n);
  for (auto& s : v) s = g(rng);
  const double dt = 0.5 / 58.0;
  const PsdResult r = ComputePsd(v, 12.0, dt, 10);
  ASSERT_EQ(r.np, 256);
  ASSERT_EQ(r.nstart, 22);
  ASSERT_EQ(r.m, 128);

  std::vector<cd> rec(256);
  for (int k = 0; k < 256; ++k) rec[static_cast<std::size_t>(k)] = static_cast<double>(v[static_cast<std::size_t>(21 + k)]) / 12.0;
  const auto x = DirectDft(rec, +1);
  const double den = 2.0 * 256 * 256;
  EXPECT_DOUBLE_EQ(r.den, den);
  for (int j = 1; j <= 128; ++j) {
    double p = (j == 1) ? 2.0 * std::norm(x[0])
                        : std::norm(x[static_cast<std::size_t>(j - 1)]) +
                              std::norm(x[static_cast<std::size_t>(256 - j + 1)]);
    const double expected = std::log10(1e10 * p / den);
    EXPECT_NEAR(r.log_power[static_cast<std::size_t>(j - 1)], expected, 1e-9) << "bin " << j;
  }
  // Forward average of ten bins, always divided by 10, also over the last nine bins.
  for (std::size_t j = 0; j < 128; ++j) {
    double sum = 0.0;
    for (std::size_t i = j; i < std::min<std::size_t>(j + 10, 128); ++i) sum += r.log_power[i];
    EXPECT_NEAR(r.smoothed[j], sum / 10.0, 1e-12);
  }
  EXPECT_NEAR(r.smoothed[127], r.log_power[127] / 10.0, 1e-12);
  // Frequencies from 0 in steps of 1 / (np dt), the last one just below Nyquist.
  EXPECT_EQ(r.frequency[0], 0.0);
  EXPECT_NEAR(r.frequency[1], 1.0 / (256 * dt), 1e-12);
  EXPECT_NEAR(r.xmax, (0.5 - 1.0 / 256) / dt, 1e-9);
  EXPECT_EQ(r.xmin, 0.0);
  double ymax = 0.0, ymin = 100000.0;
  for (double p : r.smoothed) ymax = std::max(ymax, p), ymin = std::min(ymin, p);
  EXPECT_EQ(r.ymax, ymax);
  EXPECT_EQ(r.ymin, ymin);
}

TEST(Psd, RecordIsTheLargestCentredPowerOfTwo) {
  struct Case { int n, np, nstart; };
  for (const Case c : {Case{2, 2, 1}, Case{3, 2, 1}, Case{1024, 1024, 1}, Case{1025, 1024, 1},
                       Case{1026, 1024, 1}, Case{1027, 1024, 1}, Case{6, 4, 1},
                       Case{12, 8, 2}, Case{3 * 512, 1024, 256}, Case{2047, 1024, 511}}) {
    std::vector<float> v(static_cast<std::size_t>(c.n));
    // A ramp: the zero-frequency bin then tells which samples formed the record.
    for (int i = 0; i < c.n; ++i) v[static_cast<std::size_t>(i)] = static_cast<float>(i + 1);
    const PsdResult r = ComputePsd(v, 1.0, 0.1, 0);
    EXPECT_EQ(r.np, c.np) << c.n;
    EXPECT_EQ(r.nstart, c.nstart) << c.n;
    double sum = 0.0;
    for (int k = 0; k < c.np; ++k) sum += c.nstart + k;
    EXPECT_NEAR(r.power[0], 2.0 * sum * sum, 1e-9 * sum * sum) << c.n;
  }
  EXPECT_THROW(ComputePsd(std::vector<float>{1.0f}, 1.0, 0.1, 10), std::invalid_argument);
  EXPECT_THROW(ComputePsd(std::vector<float>{}, 1.0, 0.1, 10), std::invalid_argument);
  EXPECT_THROW(ComputePsd(std::vector<float>{1.0f, 2.0f}, 1.0, 0.0, 10), std::invalid_argument);
}

TEST(Psd, SinePeaksAtItsFrequencyWithHalfItsMeanSquare) {
  const double dt = 0.01;
  const int n = 4096 + 300;
  const double f0 = 160.0 / (4096 * dt);  // exactly on bin 161
  const double amp = 0.8;
  std::vector<float> v(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    v[static_cast<std::size_t>(i)] =
        static_cast<float>(amp * std::cos(2 * std::numbers::pi * f0 * (i + 1 - 150) * dt));
  }
  const PsdResult r = ComputePsd(v, 1.0, dt, 0);
  const auto peak = std::max_element(r.log_power.begin(), r.log_power.end()) - r.log_power.begin();
  EXPECT_NEAR(r.frequency[static_cast<std::size_t>(peak)], f0, 1e-9);
  // Positive and negative frequency halves together: amp^2 / 4 of mean-square power.
  EXPECT_NEAR(r.log_power[static_cast<std::size_t>(peak)], std::log10(amp * amp / 4), 1e-5);
  // The exponent only shifts every bin by its decades.
  const PsdResult r2 = ComputePsd(v, 1.0, dt, 10);
  for (std::size_t j = 0; j < r.log_power.size(); j += 97) {
    EXPECT_NEAR(r2.log_power[j] - r.log_power[j], 10.0, 1e-9);
  }
}

TEST(Psd, ZeroPowerBinsSitFifteenDecadesBelowTheStrongest) {
  // A constant series has power in the zero-frequency bin only.
  const std::vector<float> v(64, 2.0f);
  const PsdResult r = ComputePsd(v, 1.0, 0.1, 10);
  EXPECT_EQ(r.zero_power_bins, r.m - 1);
  const double dc = std::log10(1e10 * 4.0);  // mean squared, raised ten decades
  EXPECT_NEAR(r.log_power[0], dc, 1e-12);
  for (std::size_t j = 1; j < r.log_power.size(); ++j) {
    EXPECT_NEAR(r.log_power[j], dc - kZeroPowerDecades, 1e-12);
  }
  for (double s : r.smoothed) EXPECT_TRUE(std::isfinite(s));
  EXPECT_THROW(ComputePsd(std::vector<float>(64, 0.0f), 1.0, 0.1, 10), std::invalid_argument);
}

TEST(Psd, ExponentTextAndMarkerReadout) {
  EXPECT_EQ(ParseSpectrumExponent("10"), 10);
  EXPECT_EQ(ParseSpectrumExponent("  -3 "), -3);
  EXPECT_EQ(ParseSpectrumExponent("+4"), 4);
  EXPECT_EQ(ParseSpectrumExponent("2.5"), 2);  // halves to even
  EXPECT_EQ(ParseSpectrumExponent("3.5"), 4);
  for (const char* bad : {"", "   ", "abc", "10x", "1e3", "-100"}) {
    EXPECT_THROW(ParseSpectrumExponent(bad), std::invalid_argument) << bad;
  }

  const PlotFrame f = MapPlotFrame(1000.0, 800.0, 0.0, 50.0, -2.0, 3.0);
  EXPECT_FLOAT_EQ(f.x_origin, 50.0f);
  EXPECT_FLOAT_EQ(f.frame_width, 900.0f);
  EXPECT_DOUBLE_EQ(f.px(50.0), 950.0);
  EXPECT_DOUBLE_EQ(f.py(-2.0), 680.0);
  EXPECT_DOUBLE_EQ(f.py(3.0), 80.0);
  EXPECT_FALSE(MarkerFrequency(50.0f, f.x_origin, f.frame_width, 50.0).has_value());
  EXPECT_FALSE(MarkerFrequency(10.0f, f.x_origin, f.frame_width, 50.0).has_value());
  EXPECT_NEAR(*MarkerFrequency(950.0f, f.x_origin, f.frame_width, 50.0), 50.0, 1e-6);
  EXPECT_NEAR(*MarkerFrequency(275.0f, f.x_origin, f.frame_width, 50.0), 12.5, 1e-6);
  EXPECT_EQ(MarkerLabel(1, 12.5), "F1= 12.500 Hz");
  EXPECT_EQ(MarkerLabel(3, 123.4567), "F3= 123.45 Hz");
  EXPECT_EQ(PsdAxisTitle(10, "Profile"), "  Log10(Power spectrum density)+10 Profile");
}

}  // namespace
}  // namespace tarmac
