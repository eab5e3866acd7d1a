// The spectra window and the cumulative distributions driven through a Session over real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "test_support.h"
#include "workflow/session.h"
#include "workflow/spectra_texts.h"
#include "workflow/synth.h"

namespace tarmac {
namespace {

using Series = Session::SpectrumSeries;
using Distribution = Session::DistributionSeries;

class SpectraSession : public ::testing::Test {
 protected:
  std::string Pro(const std::string& name, const std::vector<float>& z) {
    testing::WriteText(dir.file(name), EncodeProFile(z, 0.25));
    return dir.file(name);
  }
  testing::RecordingPrompts::Shown Shown() {  // the one message shown since the last call
    EXPECT_EQ(prompts.messages.size(), 1u);
    auto m = prompts.messages.empty() ? testing::RecordingPrompts::Shown{} : prompts.messages[0];
    prompts.messages.clear();
    return m;
  }
  testing::TempDir dir;
  testing::RecordingPrompts prompts;
  Session s{prompts};
};

// 40-ft waves of 0.5 in over 4000 ft at 0.25 ft, both ends 0 so reading leaves them as they are.
std::vector<float> Sine() {
  std::vector<float> z(16001);
  for (std::size_t i = 0; i < z.size(); ++i)
    z[i] = static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * static_cast<double>(i) * 0.25 / 40.0));
  z.back() = 0.0f;
  return z;
}

TEST_F(SpectraSession, ProfileSpectrumPeaksAtTheSineFrequencyOnTheFiftyEightFootTimeScale) {
  ASSERT_TRUE(s.ReadFile(Pro("sine.pro", Sine())));
  ASSERT_TRUE(s.SetSetting("DecimationRule", "Fixed"));
  const auto r = s.RunPsd(Series::Profile, "10");
  ASSERT_TRUE(r.has_value());
  // Decimated by the fixed ten, the prepared profile has 2.5-ft spacing and 1601 samples, so the 1024-sample record spans
  // 2560 ft: exactly 64 waves, no leakage.
  EXPECT_EQ(r->nstart, (1601 - 1024) / 2);
  EXPECT_DOUBLE_EQ(r->dt, 2.5 / 58.0);
  const auto peak = static_cast<std::size_t>(std::max_element(r->log_power.begin(), r->log_power.end()) -
                                             r->log_power.begin());
  EXPECT_EQ(peak, 64u);
  EXPECT_NEAR(r->frequency[peak], 58.0 / 40.0, 1e-9);  // 40 ft passed at 58 ft/s is 1.45 Hz
  // All the power of a sine of amplitude A (ft) in one bin: A^2 / 4 (both sides), plus 10 decades.
  const double a_ft = 0.5 / 12.0;
  EXPECT_NEAR(r->log_power[peak], 10.0 + std::log10(a_ft * a_ft / 4.0), 0.01);
  // The plotted values: ten bins summed forward and divided by 10, also where fewer remain.
  EXPECT_NEAR(r->smoothed.back(), r->log_power.back() / 10.0, 1e-12);
  EXPECT_EQ(prompts.statuses.back(), "PSD completed");
  EXPECT_FALSE(s.RunPsd(Series::Profile, "ten").has_value());
  EXPECT_EQ(Shown().text, std::string(kExponentMessage));
  EXPECT_FALSE(s.RunPdf(Series::MainForce).has_value());  // a response before any simulation
  EXPECT_EQ(Shown().text, "The MainForce series is not available:\r\nrun a simulation first.");
}

TEST_F(SpectraSession, StraightedgeDistributionInDisplayUnits) {
  const std::string pro = Pro("rough.pro", SynthesizeProfile(2000.0, 0.25, 3));
  ASSERT_TRUE(s.ReadFile(pro));
  EXPECT_FALSE(s.RunDistribution(Distribution::Straightedge).has_value());
  EXPECT_EQ(Shown().text, "Straightedge has not been processed\r\nfor the current profile.");

  ASSERT_TRUE(s.RunIndex(0));
  const std::vector<float> dev = s.model().straightedge.deviation;
  const auto us = s.RunDistribution(Distribution::Straightedge);
  ASSERT_TRUE(us.has_value());
  EXPECT_EQ(us->unit_label, "inch");
  EXPECT_FLOAT_EQ(static_cast<float>(us->x_max), *std::max_element(dev.begin(), dev.end()));
  // The fraction of the deviations at or below each of 100 bin edges, counted here.
  for (int j = 1; j <= 100; ++j) {
    const float edge = j == 100 ? static_cast<float>(us->x_max) : static_cast<float>(us->x_max / 100 * j);
    const auto k = std::count_if(dev.begin(), dev.end(), [&](float x) { return x <= edge; });
    EXPECT_NEAR(us->cdf[static_cast<std::size_t>(j - 1)], static_cast<float>(k) / static_cast<float>(dev.size()), 1e-6) << j;
  }

  Session metric(prompts);
  metric.SetMetric(true);
  ASSERT_TRUE(metric.ReadFile(pro));
  ASSERT_TRUE(metric.RunIndex(0));
  const auto mm = metric.RunDistribution(Distribution::Straightedge);
  ASSERT_TRUE(mm.has_value());
  EXPECT_EQ(mm->unit_label, "mm");
  EXPECT_NEAR(mm->x_max, 25.4 * us->x_max, 1e-5 * mm->x_max);
  for (std::size_t j = 0; j < 100; ++j) EXPECT_NEAR(mm->cdf[j], us->cdf[j], 2e-3) << j;
  EXPECT_EQ(metric.model().straightedge.deviation, dev);
}

}  // namespace
}  // namespace tarmac
