// The spectra window and the cumulative distributions driven through a Session over real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>

#include "spectra/cumulative.h"
#include "test_support.h"
#include "workflow/profile_io.h"
#include "workflow/session.h"
#include "workflow/synth.h"

namespace tarmac {
namespace {

using testing::ReadLines;
using testing::RecordingPrompts;
using testing::TempDir;
using Series = Session::SpectrumSeries;

std::string WritePro(const TempDir& dir, const std::string& name, const std::vector<float>& z,
                     double dx) {
  const std::string path = dir.file(name);
  std::ofstream f(path, std::ios::binary);
  f << EncodeProFile(z, dx);
  return path;
}

// A sine of the given wavelength and amplitude (inches) over a whole number of wavelengths,
// so both ends are 0 and reading leaves it as it is.
std::vector<float> Sine(double length_ft, double dx, double wavelength_ft, double amplitude_in) {
  const auto n = static_cast<std::size_t>(std::lround(length_ft / dx)) + 1;
  std::vector<float> z(n);
  for (std::size_t i = 0; i < n; ++i)
    z[i] = static_cast<float>(amplitude_in *
                              std::sin(2.0 * std::numbers::pi * static_cast<double>(i) * dx /
                                       wavelength_ft));
  z.back() = 0.0f;
  return z;
}

TEST(SpectraSession, ProfileSpectrumPeaksAtTheSineFrequencyOnTheFiftyEightFootTimeScale) {
  TempDir dir;
  // 40-ft waves of 0.5 in; the prepared profile has 2.5-ft spacing and 1601 samples, so the
  // 1024-sample record spans 2560 ft: exactly 64 waves, no leakage.
  const std::string pro = WritePro(dir, "sine.pro", Sine(4000.0, 0.25, 40.0, 0.5), 0.25);
  RecordingPrompts prompts;
  Session s(prompts);
  ASSERT_TRUE(s.ReadFile(pro));
  const auto r = s.RunPsd(Series::Profile, "10");
  ASSERT_TRUE(r.has_value());
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(r->np, 1024);
  EXPECT_EQ(r->nstart, (1601 - 1024) / 2);
  EXPECT_DOUBLE_EQ(r->dt, 2.5 / 58.0);
  EXPECT_EQ(s.model().prepared.n, 1601);  // the run prepared the profile with factor 10
  const auto peak = static_cast<std::size_t>(
      std::max_element(r->log_power.begin(), r->log_power.end()) - r->log_power.begin());
  // A wave of 40 ft passed at 58 ft/s is 1.45 Hz.
  EXPECT_EQ(peak, 64u);
  EXPECT_NEAR(r->frequency[peak], 58.0 / 40.0, 1e-9);
  // All the power of a sine of amplitude A (ft) in one bin: A^2 / 4 (both sides), plus 10 decades.
  const double a_ft = 0.5 / 12.0;
  EXPECT_NEAR(r->log_power[peak], 10.0 + std::log10(a_ft * a_ft / 4.0), 0.01);
  // The plotted values: ten bins summed forward and divided by 10, also where fewer remain.
  double ten = 0;
  for (std::size_t j = 60; j < 70; ++j) ten += r->log_power[j];
  EXPECT_NEAR(r->smoothed[60], ten / 10.0, 1e-9);
  const std::size_t last = r->smoothed.size() - 1;
  EXPECT_NEAR(r->smoothed[last], r->log_power[last] / 10.0, 1e-12);
  EXPECT_EQ(prompts.statuses.back(), "PSD completed");
}

TEST(SpectraSession, RefusalsOfTheSpectraWindow) {
  TempDir dir;
  RecordingPrompts prompts;
  Session s(prompts);
  // Nothing read yet.
  EXPECT_FALSE(s.RunPsd(Series::Profile).has_value());
  EXPECT_FALSE(s.RunPdf(Series::Profile).has_value());
  ASSERT_EQ(prompts.messages.size(), 2u);

  // A flat profile: no power for a spectrum, no spread for a density.
  ASSERT_TRUE(s.ReadFile(WritePro(dir, "flat.pro", std::vector<float>(16001, 0.0f), 0.25)));
  prompts.messages.clear();
  EXPECT_FALSE(s.RunPdf(Series::Profile).has_value());
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, "PDF");
  EXPECT_NE(prompts.messages[0].text.find("constant"), std::string::npos)
      << prompts.messages[0].text;
  EXPECT_FALSE(s.RunPsd(Series::Profile).has_value());
  EXPECT_EQ(prompts.messages.size(), 2u);

  // An exponent box that is not a whole number.
  ASSERT_TRUE(s.ReadFile(WritePro(dir, "sine.pro", Sine(4000.0, 0.25, 40.0, 0.5), 0.25)));
  prompts.messages.clear();
  EXPECT_FALSE(s.RunPsd(Series::Profile, "ten").has_value());
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, std::string(kExponentMessage));

  // A response before any simulation.
  prompts.messages.clear();
  EXPECT_FALSE(s.RunPsd(Series::Gcg).has_value());
  EXPECT_FALSE(s.RunPdf(Series::MainForce).has_value());
  ASSERT_EQ(prompts.messages.size(), 2u);
  EXPECT_EQ(prompts.messages[0].title, "No Simulation");
  EXPECT_EQ(prompts.messages[1].text, "The MainForce series is not available:\r\nrun a simulation first.");
}

TEST(SpectraSession, ProfileDensityCountsAndAreas) {
  TempDir dir;
  const std::vector<float> z = SynthesizeProfile(4000.0, 0.25, 7);
  RecordingPrompts prompts;
  Session s(prompts);
  ASSERT_TRUE(s.ReadFile(WritePro(dir, "rough.pro", z, 0.25)));
  const auto r = s.RunPdf(Series::Profile);
  ASSERT_TRUE(r.has_value()) << (prompts.messages.empty() ? "" : prompts.messages[0].text);
  // 1601 prepared samples, 1000 ft of them (400) are the neighbour count.
  EXPECT_EQ(r->n, 1601);
  EXPECT_EQ(r->nrp, 400);
  EXPECT_EQ(r->h.size(), 1201u);
  // The mean of the prepared profile in feet, computed here on its own.
  const PreparedProfile& p = s.model().prepared;
  double sum = 0;
  for (std::int32_t i = 1; i <= p.n; ++i) sum += p.at(i) / 12.0;
  EXPECT_NEAR(r->amean, sum / p.n, 1e-9);
  EXPECT_GT(r->area, 0.3);
  EXPECT_LT(r->area, 1.2);
}

// Fraction of the values at or below each bin edge, counted here independently.
std::vector<float> CountCdf(const std::vector<float>& v, double xmax) {
  std::vector<float> c(100);
  for (int j = 1; j <= 100; ++j) {
    const float edge = j == 100 ? static_cast<float>(xmax) : static_cast<float>(xmax / 100 * j);
    const auto k = std::count_if(v.begin(), v.end(), [&](float x) { return x <= edge; });
    c[static_cast<std::size_t>(j - 1)] = static_cast<float>(k) / static_cast<float>(v.size());
  }
  return c;
}

TEST(SpectraSession, StraightedgeDistributionInDisplayUnits) {
  TempDir dir;
  const std::string pro = WritePro(dir, "rough.pro", SynthesizeProfile(2000.0, 0.25, 3), 0.25);
  RecordingPrompts prompts;
  Session us(prompts);
  ASSERT_TRUE(us.ReadFile(pro));
  EXPECT_FALSE(us.RunDistribution(Session::DistributionSeries::Straightedge).has_value());
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text,
            "Straightedge has not been processed\r\nfor the current profile.");
  EXPECT_EQ(prompts.messages[0].title, "Straightedge Not Done Yet");

  ASSERT_TRUE(us.RunIndex(0));
  const std::vector<float> deviations = us.model().straightedge.StraightedgeDeviation;
  const auto usCdf = us.RunDistribution(Session::DistributionSeries::Straightedge);
  ASSERT_TRUE(usCdf.has_value());
  EXPECT_EQ(usCdf->unit_label, "inch");
  EXPECT_EQ(usCdf->title, "Straightedge");
  EXPECT_FLOAT_EQ(static_cast<float>(usCdf->x_max),
                  *std::max_element(deviations.begin(), deviations.end()));
  const std::vector<float> expected = CountCdf(deviations, usCdf->x_max);
  for (std::size_t j = 0; j < 100; ++j) EXPECT_NEAR(usCdf->cdf[j], expected[j], 1e-6) << j;
  EXPECT_EQ(us.model().straightedge.StraightedgeDeviation, deviations);  // left as it was

  Session metric(prompts);
  metric.SetMetric(true);
  ASSERT_TRUE(metric.ReadFile(pro));
  ASSERT_TRUE(metric.RunIndex(0));
  const auto mmCdf = metric.RunDistribution(Session::DistributionSeries::Straightedge);
  ASSERT_TRUE(mmCdf.has_value());
  EXPECT_EQ(mmCdf->unit_label, "mm");
  EXPECT_NEAR(mmCdf->x_max, 25.4 * usCdf->x_max, 1e-5 * mmCdf->x_max);
  // The same deviations in other units: the same fractions in every bin.
  for (std::size_t j = 0; j < 100; ++j) EXPECT_NEAR(mmCdf->cdf[j], usCdf->cdf[j], 2e-3) << j;
  EXPECT_EQ(metric.model().straightedge.StraightedgeDeviation, deviations);
}

TEST(SpectraSession, BumpDistributionAppendsItsLineEachRun) {
  TempDir dir;
  const std::string pro = WritePro(dir, "rough.pro", SynthesizeProfile(2000.0, 0.25, 5), 0.25);
  RecordingPrompts prompts;
  Session s(prompts);
  ASSERT_TRUE(s.ReadFile(pro));
  EXPECT_FALSE(s.RunDistribution(Session::DistributionSeries::BoeingBump).has_value());
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, "Boeing Bump Not Done Yet");
  const std::string file = dir.file("BoeingBumpPDFs.txt");
  EXPECT_TRUE(ReadLines(file).empty());

  ASSERT_TRUE(s.RunIndex(1));  // the index run writes the first line
  const auto d = s.RunDistribution(Session::DistributionSeries::BoeingBump);
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->unit_label, "Index Value");
  const auto lines = ReadLines(file);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], lines[1]);  // the same series gives the same line
  EXPECT_EQ(lines[1].rfind(pro + " ", 0), 0u);
  CumulativeDistribution cd;
  cd.xmax = d->x_max;
  cd.cdf = d->cdf;
  EXPECT_EQ(lines[1], BoeingBumpPdfLine(pro, cd));
  EXPECT_EQ(lines[1].substr(lines[1].size() - 8), " 1.00000");
}

}  // namespace
}  // namespace tarmac
