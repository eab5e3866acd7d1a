// The window's batch commands hand their settings to worker sessions and sum up at the end.
#include <gtest/gtest.h>

#include "ui/batch_support.h"
#include "ui/ui_support.h"

namespace tarmac::testing {
namespace {

TEST(BatchSupport, AWorkerSessionGetsEverySettingOfTheWindowInEitherUnitSystem) {
  for (const bool metric : {false, true}) {
    ui::KeptPrompts window_prompts, worker_prompts;
    Session window(window_prompts), worker(worker_prompts);
    window.SetMetric(metric);
    // A straightedge of its own on an unspecified surface, or the concrete one of 16 ft.
    if (metric)
      window.SetConcrete(true);
    else
      ASSERT_TRUE(window.SetSetting("StraightedgeLength", "20"));
    // Lengths typed in the window's units: 213.36 m or ft.
    ASSERT_TRUE(window.SetSetting("AveragingDistance", "213.36"));
    ASSERT_TRUE(window.SetSetting("SmoothingDistance", "123.45"));
    ASSERT_TRUE(window.SetSetting("AircraftSpeed", "87.5"));
    ASSERT_TRUE(window.SetSetting("NumberOfModes", "7"));
    ASSERT_TRUE(window.SetSetting("DecimationRule", "fixed"));
    ASSERT_TRUE(window.SetSetting("AircraftType", "B-747"));
    ASSERT_TRUE(window.SetSetting("StraightedgePosition", "Between"));
    window.SetRunway(false);
    window.SetSmoothEnds(true);
    ASSERT_TRUE(window_prompts.Messages().empty());

    ASSERT_TRUE(ui::ApplySettings(worker, window.model().settings));
    EXPECT_TRUE(worker_prompts.Messages().empty());
    const Settings& want = window.model().settings;
    const Settings& got = worker.model().settings;
    EXPECT_EQ(got, want) << "metric " << metric;
    EXPECT_NEAR(got.AveragingDistance, metric ? 700.0 : 213.36, 1e-9);
    EXPECT_EQ(got.StraightedgeLength, metric ? 16.0 : 20.0);
    EXPECT_EQ(worker.model().units.Metric, metric);
  }
}

TEST(BatchSupport, TheClosingMessageListsEachProfileWithoutAReport) {
  Session::BatchOutcome all{2, 2, {}, false};
  EXPECT_EQ(ui::BatchClosingMessage(all, 12.4), "All Processed. ET = 12 s");
  Session::BatchOutcome some{4, 2, {{"RW09.dat", "wrong extension", 2}, {"b.pro", "not found", 4}},
                             false};
  EXPECT_EQ(ui::BatchClosingMessage(some, 3.6),
            "2 of 4 processed; failed: RW09.dat (wrong extension), b.pro (not found). ET = 4 s"
            "\r\n\r\nProfiles without a report:\r\n2. RW09.dat: wrong extension\r\n4. b.pro: not "
            "found");
  Session::BatchOutcome stopped{3, 1, {}, true};
  EXPECT_EQ(ui::BatchClosingMessage(stopped, 0.2), "1 of 3 processed; interrupted. ET = 0 s");
}

}  // namespace
}  // namespace tarmac::testing
