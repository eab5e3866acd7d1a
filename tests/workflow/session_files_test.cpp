// The read, save and index-summary commands of a Session over real files.
#include <gtest/gtest.h>

#include <cstring>

#include "test_support.h"
#include "workflow/profile_io.h"
#include "workflow/session.h"

namespace tarmac {
namespace {

using testing::ReadLines;
using testing::RecordingPrompts;
using testing::TempDir;

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f << bytes;
}

std::vector<float> Ramp(int n, float slope, float bump_at = -1) {
  std::vector<float> z(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) z[static_cast<std::size_t>(i)] = slope * i + (i == bump_at ? 1.0f : 0.0f);
  return z;
}

TEST(SessionRead, ProWithMarkerSpeedFileAndResultsLine) {
  TempDir dir;
  const std::string pro = dir.file("run1.pro");
  WriteBytes(pro, EncodeProFile(Ramp(101, 0.01f, 50), 0.25));
  // Speeds in hundredths of ft/s: 1000 reads as 10 ft/s.
  std::string spd;
  for (int i = 0; i < 101; ++i) {
    const std::int16_t v = 1000;
    spd.append(reinterpret_cast<const char*>(&v), 2);
  }
  WriteBytes(dir.file("run1.spd"), spd);

  RecordingPrompts prompts;
  Session s(prompts);
  ASSERT_TRUE(s.ReadFile(pro));
  const ProfileModel& m = s.model();
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_DOUBLE_EQ(m.settings.SampleSpacing, 0.25);
  ASSERT_EQ(m.ProfileNPoints(), 101);
  // The straight line through the ends is removed: a ramp becomes zero except its bump.
  EXPECT_FLOAT_EQ(m.ProfileZ.front(), 0.0f);
  EXPECT_NEAR(m.ProfileZ.back(), 0.0f, 1e-6);
  EXPECT_NEAR(m.ProfileZ[50], 1.0f, 1e-5);
  EXPECT_NEAR(m.ProfileZ[20], 0.0f, 1e-5);
  EXPECT_EQ(m.levels[0].data, m.ProfileZ);
  EXPECT_EQ(m.levels[0].title, "ZProfile,RUN1,inch");
  EXPECT_EQ(m.GraphTitle, "ZProfile  RUN1");
  EXPECT_EQ(m.levels[1].kind, "Speed");
  EXPECT_EQ(m.levels[1].title, "Speed  RUN1,ft/s");
  EXPECT_FLOAT_EQ(m.levels[1].data[0], 10.0f);
  EXPECT_EQ(m.Caption, "Profile and Roughness Indexes - " + pro);
  const auto lines = ReadLines(dir.file("Results.txt"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "Data File Name = " + pro + " File Name = run1.pro");
}

TEST(SessionRead, MetricSpeedIsShownInMetresPerSecond) {
  TempDir dir;
  WriteBytes(dir.file("a.pro"), EncodeProFile(Ramp(20, 0.0f), 0.25));
  const std::int16_t v = 1000;
  WriteBytes(dir.file("a.spd"), std::string(reinterpret_cast<const char*>(&v), 2));
  RecordingPrompts prompts;
  Session s(prompts);
  s.SetMetric(true);
  ASSERT_TRUE(s.ReadFile(dir.file("a.pro")));
  s.ShowLevelPlot(1, s.model().levels[1].title, 1, 1, true);
  EXPECT_NEAR(s.model().levels[1].plot_y_min, 3.048f, 1e-5);
  // A constant series is drawn with a range of 0.01 above its value.
  EXPECT_NEAR(s.model().PlottedSpeedMax, 3.058f, 1e-5);
  EXPECT_FLOAT_EQ(s.model().levels[1].data[0], 10.0f);  // stored in ft/s whatever is shown
  // The count differs from the profile's: read, but said.
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, "Speed File");
}

TEST(SessionRead, RefusedFilesLeaveTheProfileInHand) {
  TempDir dir;
  WriteBytes(dir.file("good.pro"), EncodeProFile(Ramp(50, 0.1f, 10), 0.5));
  RecordingPrompts prompts;
  Session s(prompts);
  ASSERT_TRUE(s.ReadFile(dir.file("good.pro")));
  const auto before = s.model().ProfileZ;

  WriteBytes(dir.file("empty.pro"), "");
  WriteBytes(dir.file("bad.dat"), "Data Increment: 0.25\nno distance line here\n");
  WriteBytes(dir.file("profile.txt"), "whatever");
  EXPECT_FALSE(s.ReadFile(dir.file("missing.pro")));
  EXPECT_EQ(prompts.messages.back().title, "File Error Error");
  EXPECT_EQ(prompts.messages.back().text,
            "Trying to read from a nonexistant file, " + dir.file("missing.pro"));
  EXPECT_FALSE(s.ReadFile(dir.file("empty.pro")));
  EXPECT_FALSE(s.ReadFile(dir.file("bad.dat")));
  EXPECT_FALSE(s.ReadFile(dir.file("profile.txt")));
  EXPECT_EQ(prompts.messages.back().title, "Wrong Extension");
  EXPECT_EQ(prompts.messages.back().text, "The file is not a valid type,\n.pro or .spd");
  EXPECT_EQ(s.model().ProfileZ, before);
  EXPECT_EQ(s.model().DataFileName, dir.file("good.pro"));
  EXPECT_DOUBLE_EQ(s.model().settings.SampleSpacing, 0.5);
}

TEST(SessionRead, EndCutAndSectionTableFollowTheSettings) {
  TempDir dir;
  // 2 000 ft at 0.25 ft: 8 001 samples. The table is sized on the count before the cut.
  WriteBytes(dir.file("c.pro"), EncodeProFile(Ramp(8001, 0.001f), 0.25));
  RecordingPrompts prompts;
  Session s(prompts);
  ASSERT_TRUE(s.SetSetting("CuttingLength", "10"));
  ASSERT_TRUE(s.ReadFile(dir.file("c.pro")));
  EXPECT_EQ(s.model().ProfileNPoints(), 8001 - 2 * 40);
  // round(8001*0.25/1000) = 2, round(8001*0.25/500) = 4 -> 4 + 10.
  EXPECT_EQ(s.model().sections.NumSections, 14);
}

TEST(SessionSave, RoundTripTakesTheSpacingInForce) {
  TempDir dir;
  std::vector<float> z(200);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = static_cast<float>(std::sin(0.1 * i));
  WriteBytes(dir.file("p.pro"), EncodeProFile(z, 0.3));
  RecordingPrompts prompts;
  Session s(prompts);
  EXPECT_FALSE(s.SaveProfile(dir.file("nothing.pro")));  // no profile yet
  ASSERT_TRUE(s.ReadFile(dir.file("p.pro")));
  const auto first = s.model().ProfileZ;
  ASSERT_TRUE(s.SaveProfile(dir.file("saved.pro")));
  EXPECT_EQ(s.model().levels[0].kind, "SAVED");
  // Saved without marker: 4 bytes per sample and nothing else.
  EXPECT_EQ(std::filesystem::file_size(dir.file("saved.pro")), first.size() * 4);
  ASSERT_TRUE(s.SetSetting("SampleSpacing", "0.5"));
  ASSERT_TRUE(s.ReadFile(dir.file("saved.pro")));
  EXPECT_DOUBLE_EQ(s.model().settings.SampleSpacing, 0.5);
  // Already detrended, so reading it again changes nothing beyond rounding.
  ASSERT_EQ(s.model().ProfileZ.size(), first.size());
  for (std::size_t i = 0; i < first.size(); ++i) EXPECT_NEAR(s.model().ProfileZ[i], first[i], 1e-6);
}

TEST(SessionSave, IndexSummaryLine) {
  TempDir dir;
  WriteBytes(dir.file("q.pro"), EncodeProFile(Ramp(30, 0.0f), 0.25));
  RecordingPrompts prompts;
  Session s(prompts);
  EXPECT_FALSE(s.SaveIndexes());  // refused while no profile has been read
  ASSERT_TRUE(s.ReadFile(dir.file("q.pro")));
  s.model().TextI = {"0.1234", " ", "12.5", "", "abc", ""};
  ASSERT_TRUE(s.SaveIndexes());
  const auto lines = ReadLines(dir.file("Indexes.txt"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], dir.file("q.pro") + " 0.1234 0.0000 12.5000 0.0000 0.0000");
}

}  // namespace
}  // namespace tarmac
