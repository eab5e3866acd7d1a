// A profile whose values overflow the arithmetic gives no result: every index and the simulation
// are refused with a message, and nothing is shown, kept or appended.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>

#include "test_support.h"
#include "workflow/session.h"
#include "workflow/session_access.h"
#include "workflow/synth.h"

namespace tarmac {
namespace {

TEST(FiniteResults, AnIndexOrRunThatOverflowsIsRefusedAndWritesNothing) {
  testing::TempDir dir;
  testing::RecordingPrompts prompts;
  Session s(prompts);
  const std::string pro = dir.file("rough.pro");
  WriteSynthPro(pro, SynthesizeProfile(2500, 0.25, 5), 0.25);
  ASSERT_TRUE(s.ReadFile(pro));
  ASSERT_TRUE(s.RunIndex(2));
  ASSERT_TRUE(s.RunSimulation());
  const ProfileModel& m = s.model();
  const std::string results = testing::ReadAll(m.results_file);
  const std::string bumpLines = testing::ReadAll(dir.file("BoeingBumpPDFs.txt"));
  const auto shown = m.index_text;
  const auto gcg = m.levels[1].data;

  // Values at the edge of the single-precision range: 100-ft swells past the first 1000 ft (the
  // aircraft still finds its footing) whose deviations, slopes and squares leave it, and swings
  // from sample to sample that the band-pass doubles.
  const float top = std::numeric_limits<float>::max();
  std::vector<float> swell(m.profile.size()), swing(m.profile.size());
  for (std::size_t i = 0; i < swell.size(); ++i) {
    const double x = 0.25 * static_cast<double>(i);
    swell[i] = x < 1000 ? 0.0f : static_cast<float>(top * std::sin(2 * std::numbers::pi * x / 100));
    swing[i] = i % 2 ? top : -top;
  }
  const auto refused = [&](const std::function<bool()>& run) {
    prompts.messages.clear();
    return !run() && prompts.messages.size() == 1u &&
           prompts.messages[0].text.find("not a finite number") != std::string::npos;
  };
  SessionTestAccess::Model(s).profile = swell;
  SessionTestAccess::Model(s).flags = ResultFlags{};
  for (int k : {0, 1, 2, 3}) EXPECT_TRUE(refused([&] { return s.RunIndex(k); })) << k;
  EXPECT_EQ(prompts.messages.at(0).title, "Cannot Compute Index");
  // The aircraft leaves the profile before its responses overflow: refused all the same.
  prompts.messages.clear();
  EXPECT_FALSE(s.RunSimulation());
  EXPECT_EQ(prompts.messages.size(), 1u);
  SessionTestAccess::Model(s).profile = swing;
  EXPECT_TRUE(refused([&] { return s.RunIndex(4); }));

  EXPECT_EQ(m.index_text, shown);
  EXPECT_EQ(m.levels[1].data, gcg);
  EXPECT_FALSE(m.flags.straightedge_done || m.flags.bump_done || m.flags.iri_done ||
               m.flags.profilograph_done || m.flags.bandpass_done || m.flags.simulation_done);
  EXPECT_EQ(testing::ReadAll(m.results_file), results);
  EXPECT_EQ(testing::ReadAll(dir.file("BoeingBumpPDFs.txt")), bumpLines);
}

}  // namespace
}  // namespace tarmac
