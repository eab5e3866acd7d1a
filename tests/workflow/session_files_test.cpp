// The read, save and index-summary commands of a Session over real files.
#include <gtest/gtest.h>

#include "test_support.h"
#include "workflow/session.h"

namespace tarmac {
namespace {

using testing::ReadLines;
using testing::WriteText;

std::vector<float> Ramp(int n, float slope, int bump_at = -1) {
  std::vector<float> z(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) z[static_cast<std::size_t>(i)] = slope * static_cast<float>(i) + (i == bump_at ? 1.0f : 0.0f);
  return z;
}

std::string Speeds(int n, std::int16_t hundredths) {
  std::string spd;
  for (int i = 0; i < n; ++i) spd.append(reinterpret_cast<const char*>(&hundredths), 2);
  return spd;
}

class SessionFiles : public ::testing::Test {
 protected:
  testing::TempDir dir;
  testing::RecordingPrompts prompts;
  Session s{prompts};
};

TEST_F(SessionFiles, ProWithMarkerSpeedFileAndResultsLine) {
  const std::string pro = dir.file("run1.pro");
  WriteText(pro, EncodeProFile(Ramp(101, 0.01f, 50), 0.25));
  WriteText(dir.file("run1.spd"), Speeds(101, 1000));  // 10 ft/s
  ASSERT_TRUE(s.ReadFile(pro));
  const ProfileModel& m = s.model();
  EXPECT_DOUBLE_EQ(m.settings.SampleSpacing, 0.25);
  ASSERT_EQ(m.ProfileNPoints(), 101);
  // The straight line through the ends is removed: a ramp becomes zero except its bump.
  EXPECT_NEAR(m.ProfileZ[50], 1.0f, 1e-5);
  EXPECT_NEAR(m.ProfileZ[20], 0.0f, 1e-5);
  EXPECT_EQ(m.levels[0].title, "ZProfile,RUN1,inch");
  EXPECT_EQ(m.levels[1].title, "Speed  RUN1,ft/s");
  EXPECT_FLOAT_EQ(m.levels[1].data[0], 10.0f);
  EXPECT_EQ(m.Caption, "Profile and Roughness Indexes - " + pro);
  EXPECT_EQ(ReadLines(dir.file("Results.txt")),
            std::vector<std::string>{"Data File Name = " + pro + " File Name = run1.pro"});
}

TEST_F(SessionFiles, MetricSpeedIsShownInMetresPerSecond) {
  WriteText(dir.file("a.pro"), EncodeProFile(Ramp(20, 0.0f), 0.25));
  WriteText(dir.file("a.spd"), Speeds(1, 1000));
  s.SetMetric(true);
  ASSERT_TRUE(s.ReadFile(dir.file("a.pro")));
  s.ShowLevelPlot(1, s.model().levels[1].title, 1, 1, true);
  EXPECT_NEAR(s.model().levels[1].plot_y_min, 3.048f, 1e-5);
  EXPECT_NEAR(s.model().PlottedSpeedMax, 3.058f, 1e-5);  // a constant series: 0.01 above its value
  ASSERT_EQ(prompts.messages.size(), 1u);                // the count differs from the profile's
  EXPECT_EQ(prompts.messages[0].title, "Speed File");
}

TEST_F(SessionFiles, RefusedFilesLeaveTheProfileInHand) {
  WriteText(dir.file("good.pro"), EncodeProFile(Ramp(50, 0.1f, 10), 0.5));
  ASSERT_TRUE(s.ReadFile(dir.file("good.pro")));
  const auto before = s.model().ProfileZ;
  WriteText(dir.file("bad.dat"), "Data Increment: 0.25\nno distance line here\n");
  WriteText(dir.file("profile.txt"), "whatever");
  EXPECT_FALSE(s.ReadFile(dir.file("missing.pro")));
  EXPECT_EQ(prompts.messages.back().title, "File Error Error");
  EXPECT_EQ(prompts.messages.back().text, "Trying to read from a nonexistant file, " + dir.file("missing.pro"));
  EXPECT_FALSE(s.ReadFile(dir.file("bad.dat")));
  EXPECT_FALSE(s.ReadFile(dir.file("profile.txt")));
  EXPECT_EQ(prompts.messages.back().title, "Wrong Extension");
  EXPECT_EQ(prompts.messages.back().text, "The file is not a valid type,\n.pro or .spd");
  EXPECT_EQ(s.model().ProfileZ, before);
  EXPECT_EQ(s.model().DataFileName, dir.file("good.pro"));
}

TEST_F(SessionFiles, IndexSummaryLine) {
  WriteText(dir.file("q.pro"), EncodeProFile(Ramp(30, 0.0f), 0.25));
  EXPECT_FALSE(s.SaveIndexes());  // refused while no profile has been read
  ASSERT_TRUE(s.ReadFile(dir.file("q.pro")));
  s.model().TextI = {"0.1234", " ", "12.5", "", "abc", ""};
  ASSERT_TRUE(s.SaveIndexes());
  EXPECT_EQ(ReadLines(dir.file("Indexes.txt")),
            std::vector<std::string>{dir.file("q.pro") + " 0.1234 0.0000 12.5000 0.0000 0.0000"});
}

}  // namespace
}  // namespace tarmac
