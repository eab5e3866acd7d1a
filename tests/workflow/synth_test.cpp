#include "workflow/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <vector>

#include "workflow/profile_io.h"

namespace tarmac {
namespace {

namespace fs = std::filesystem;

// Centred moving average over `window` samples (odd), shorter at the ends.
std::vector<double> MovingAverage(const std::vector<double>& z, std::size_t window) {
  const std::size_t half = window / 2;
  std::vector<double> prefix(z.size() + 1, 0.0);
  for (std::size_t i = 0; i < z.size(); ++i) prefix[i + 1] = prefix[i] + z[i];
  std::vector<double> out(z.size());
  for (std::size_t i = 0; i < z.size(); ++i) {
    const std::size_t lo = i > half ? i - half : 0;
    const std::size_t hi = std::min(z.size(), i + half + 1);
    out[i] = (prefix[hi] - prefix[lo]) / static_cast<double>(hi - lo);
  }
  return out;
}

double Rms(const std::vector<double>& a, const std::vector<double>& b, std::size_t skip) {
  double sum = 0.0;
  std::size_t n = 0;
  for (std::size_t i = skip; i + skip < a.size(); ++i, ++n) sum += (a[i] - b[i]) * (a[i] - b[i]);
  return std::sqrt(sum / static_cast<double>(n));
}

TEST(Synth, SameSeedSameBytesOtherSeedOtherProfile) {
  EXPECT_EQ(SynthSampleCount(3000.0, 0.25), 12001u);
  EXPECT_EQ(SynthSampleCount(10000.0, 0.08202099737532809), 121921u);
  const std::vector<float> a = SynthesizeProfile(3000.0, 0.25, 42);
  const std::vector<float> b = SynthesizeProfile(3000.0, 0.25, 42);
  const std::vector<float> c = SynthesizeProfile(3000.0, 0.25, 43);
  ASSERT_EQ(a.size(), 12001u);
  EXPECT_EQ(EncodeProFile(a, 0.25), EncodeProFile(b, 0.25));
  EXPECT_NE(EncodeProFile(a, 0.25), EncodeProFile(c, 0.25));
  EXPECT_EQ(SynthesizeSpeed(500, 0.25, 42), SynthesizeSpeed(500, 0.25, 42));
  EXPECT_NE(SynthesizeSpeed(500, 0.25, 42), SynthesizeSpeed(500, 0.25, 43));
  EXPECT_THROW(SynthesizeProfile(100.0, 0.0, 1), std::invalid_argument);
  EXPECT_THROW(SynthesizeProfile(0.1, 0.25, 1), std::invalid_argument);
}

TEST(Synth, RoughnessGrowsWithWavelengthWithinRunwayBands) {
  for (const std::uint64_t seed : {1ull, 2ull, 99ull, 123456789ull}) {
    const double spacing = 0.25;
    const SynthProfileParts p = SynthesizeProfileParts(6000.0, spacing, seed);
    const std::vector<double>& r = p.roughness;
    // Short waves: what a 5-ft average removes is hundredths of an inch.
    const double short_rms = Rms(r, MovingAverage(r, 21), 400);
    EXPECT_GT(short_rms, 0.005) << seed;
    EXPECT_LT(short_rms, 0.1) << seed;
    // Long swells: a 50-ft average about its 1000-ft average moves by the order of an inch.
    const std::vector<double> m50 = MovingAverage(r, 201);
    const double long_rms = Rms(m50, MovingAverage(r, 4001), 4000);
    EXPECT_GT(long_rms, 0.3) << seed;
    EXPECT_LT(long_rms, 2.5) << seed;
    EXPECT_GT(long_rms, 8.0 * short_rms) << seed;
  }
}

TEST(Synth, BumpsAreLocalizedAndTheGradeIsTwoLinesJoinedByAParabola) {
  const double spacing = 0.25;
  const SynthProfileParts p = SynthesizeProfileParts(5000.0, spacing, 7);
  // Bumps and dips: 0.2 to 1.5 in each (two may overlap), over a small share of the length.
  double peak = 0.0;
  std::size_t touched = 0;
  for (const double f : p.features) {
    peak = std::max(peak, std::fabs(f));
    if (f != 0.0) ++touched;
  }
  EXPECT_EQ(p.feature_count, 5);
  EXPECT_GE(peak, 0.2 * 0.99);
  EXPECT_LE(peak, 3.0);
  EXPECT_GT(touched, 5u * static_cast<std::size_t>(2.0 / spacing) / 2);
  EXPECT_LT(static_cast<double>(touched) / static_cast<double>(p.features.size()), 0.1);

  // The grade's second difference is zero outside the vertical curve and one constant inside it.
  const std::vector<double>& g = p.grade;
  double inside = std::nan("");
  for (std::size_t i = 1; i + 1 < g.size(); ++i) {
    const double x = static_cast<double>(i) * spacing;
    const double d2 = g[i + 1] - 2.0 * g[i] + g[i - 1];
    if (x < p.curve_start_ft - spacing || x > p.curve_end_ft + spacing) {
      EXPECT_NEAR(d2, 0.0, 1e-9) << x;
    } else if (x > p.curve_start_ft + spacing && x < p.curve_end_ft - spacing) {
      if (std::isnan(inside)) inside = d2;
      EXPECT_NEAR(d2, inside, 1e-9) << x;
    }
  }
  EXPECT_GT(std::fabs(inside), 0.0);
  // Grades stay within what a runway allows (here up to about 2 per cent with the trend).
  const double first = (g[1] - g[0]) / spacing;
  const double last = (g.back() - g[g.size() - 2]) / spacing;
  EXPECT_LT(std::fabs(first), 0.02 * 12.0);
  EXPECT_LT(std::fabs(last), 0.02 * 12.0);
  // The curve length is the difference of the end grades over the constant second difference.
  EXPECT_NEAR((last - first) / (inside / (spacing * spacing)), p.curve_end_ft - p.curve_start_ft, 1e-3);

  // The profile is the sum of the parts in single precision.
  const std::vector<float> z = SynthesizeProfile(5000.0, spacing, 7);
  for (std::size_t i = 0; i < z.size(); i += 997) {
    EXPECT_EQ(z[i], static_cast<float>(p.grade[i] + p.roughness[i] + p.features[i]));
  }
}

TEST(Synth, SpeedIsAPlausibleSlowlyVaryingSurveySpeed) {
  const std::vector<std::int16_t> v = SynthesizeSpeed(40000, 0.25, 5);
  ASSERT_EQ(v.size(), 40000u);
  const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
  EXPECT_GE(*lo, 2000);
  EXPECT_LE(*hi, 4500);
  EXPECT_GT(*hi - *lo, 50);  // it does change along 10 000 ft
  for (std::size_t i = 1; i < v.size(); ++i) ASSERT_LE(std::abs(v[i] - v[i - 1]), 10) << i;
}

TEST(Synth, WrittenSamplesReadBackThroughTheReaders) {
  const fs::path dir = fs::temp_directory_path() / ("tarmac_synth_" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  const double spacing = 0.25;
  const std::vector<float> z = SynthesizeProfile(500.0, spacing, 11);
  const std::vector<std::int16_t> v = SynthesizeSpeed(z.size(), spacing, 11);

  WriteSynthPro(dir / "a.pro", z, spacing);
  const ProFileContents pro = ParseProFile(ReadFileBytes(dir / "a.pro"), 1.0);
  EXPECT_EQ(pro.elevations, z);
  EXPECT_EQ(pro.spacing, spacing);

  WriteSpdFile(dir / "a.spd", v);
  const std::vector<float> speed = ParseSpdFile(ReadFileBytes(dir / "a.spd"));
  ASSERT_EQ(speed.size(), v.size());
  for (std::size_t i = 0; i < v.size(); i += 101) {
    EXPECT_EQ(speed[i], static_cast<float>(v[i] / 100.0));
  }

  WriteDatFile(dir / "a.dat", "Profile of TAXIWAY A (synthetic)", z, 0.08202099737532809);
  const std::string text = ReadFileText(dir / "a.dat");
  EXPECT_EQ(text.substr(0, text.find("Distance")),
            "Profile of TAXIWAY A (synthetic)\nData Increment: 0.08202099737532809\nData Points: " +
                std::to_string(z.size()) + "\n");
  const DatFileContents dat = ParseDatFile(text, 1.0);
  EXPECT_EQ(dat.spacing, 0.08202099737532809);
  ASSERT_EQ(dat.elevations.size(), z.size());
  for (std::size_t i = 0; i < z.size(); ++i) {
    // 5 decimals of a foot above a 100-ft datum, read back in single precision.
    ASSERT_NEAR(dat.elevations[i] - 1200.0, z[i], 2e-4) << i;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace tarmac
