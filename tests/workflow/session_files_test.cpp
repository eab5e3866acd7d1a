// The read, save and index-summary commands of a Session over real files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <filesystem>

#include "test_support.h"
#include "workflow/session.h"
#include "workflow/session_access.h"

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
  ASSERT_EQ(m.SampleCount(), 101);
  // The straight line through the ends is removed: a ramp becomes zero except its bump.
  EXPECT_NEAR(m.profile[50], 1.0f, 1e-5);
  EXPECT_NEAR(m.profile[20], 0.0f, 1e-5);
  EXPECT_EQ(m.levels[0].title, "ZProfile,RUN1,inch");
  EXPECT_EQ(m.levels[1].title, "Speed  RUN1,ft/s");
  EXPECT_FLOAT_EQ(m.levels[1].data[0], 10.0f);
  EXPECT_EQ(m.caption, "Profile and Roughness Indexes - " + pro);
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
  EXPECT_NEAR(s.model().plotted_speed_max, 3.058f, 1e-5);  // a constant series: 0.01 above its value
  ASSERT_EQ(prompts.messages.size(), 1u);                // the count differs from the profile's
  EXPECT_EQ(prompts.messages[0].title, "Speed File");
}

TEST_F(SessionFiles, RefusedFilesLeaveTheProfileInHand) {
  WriteText(dir.file("good.pro"), EncodeProFile(Ramp(50, 0.1f, 10), 0.5));
  ASSERT_TRUE(s.ReadFile(dir.file("good.pro")));
  const auto before = s.model().profile;
  WriteText(dir.file("bad.dat"), "Data Increment: 0.25\nno distance line here\n");
  WriteText(dir.file("profile.doc"), "whatever");
  EXPECT_FALSE(s.ReadFile(dir.file("missing.pro")));
  EXPECT_EQ(prompts.messages.back().title, "File Error Error");
  EXPECT_EQ(prompts.messages.back().text, "Trying to read from a nonexistant file, " + dir.file("missing.pro"));
  EXPECT_FALSE(s.ReadFile(dir.file("bad.dat")));
  EXPECT_FALSE(s.ReadFile(dir.file("profile.doc")));
  EXPECT_EQ(prompts.messages.back().title, "Wrong Extension");
  EXPECT_EQ(prompts.messages.back().text, "The file is not a valid type,\n.pro or .spd");
  EXPECT_EQ(s.model().profile, before);
  EXPECT_EQ(s.model().data_file, dir.file("good.pro"));
}

TEST_F(SessionFiles, HostileFilesAreRefusedBeforeTheModelChanges) {
  WriteText(dir.file("good.pro"), EncodeProFile(Ramp(50, 0.1f, 10), 0.5));
  ASSERT_TRUE(s.ReadFile(dir.file("good.pro")));
  const auto before = s.model().profile;
  const std::size_t results = ReadLines(dir.file("Results.txt")).size();
  // A pipe would block the read for ever and a link to /dev/zero grow without end; an ERD whose
  // binary data are such a link likewise. Values that overflow on conversion, spacings far
  // beyond any profiler's, and a speed file far longer than its profile are refused too.
  ASSERT_EQ(mkfifo(dir.file("pipe.pro").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir.file("zero.pro"));
  WriteText(dir.file("bin.erd"), "ERDFILEV2.00\n1,1000,-1,1,4,0.25,-1\nUNITSNAM,in\nXUNITS,ft\nEND\n");
  std::filesystem::create_symlink("/dev/zero", dir.file("bin.bin"));
  WriteText(dir.file("huge.dat"), "Data Increment: 0.25\nDistance (Feet)\n0, 1\n0.25, 1e38\n");
  WriteText(dir.file("far.dat"), "Data Increment: 1e30\nDistance (Feet)\n0, 1\n0.25, 2\n");
  WriteText(dir.file("far.pro"), EncodeProFile(Ramp(10, 0.1f), 1.0e6));
  WriteText(dir.file("wide.erd"), "ERDFILEV2.00\n1,2,-1,1,5,1e300,-1\nUNITSNAM,in\nXUNITS,ft\nEND\n1\n2\n");
  WriteText(dir.file("long.pro"), EncodeProFile(Ramp(10, 0.1f), 0.25));
  WriteText(dir.file("long.spd"), Speeds(21, 1000));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"pipe.pro", "not a regular file"}, {"zero.pro", "not a regular file"},
      {"bin.erd", "not a regular file"},  {"huge.dat", "at sample 2"},
      {"far.dat", "(1e+30 ft)"},          {"far.pro", "(1000000 ft)"},
      {"wide.erd", "ERD file (1e+300 ft)"},    {"long.spd", "twice the profile's 10 samples"},
  };
  for (const auto& [name, needle] : cases) {
    prompts.messages.clear();
    EXPECT_FALSE(s.ReadFile(dir.file(name == "long.spd" ? "long.pro" : name))) << name;
    ASSERT_EQ(prompts.messages.size(), 1u) << name;
    EXPECT_EQ(prompts.messages[0].title, "File Error") << name;
    EXPECT_NE(prompts.messages[0].text.find(needle), std::string::npos) << name << ": " << prompts.messages[0].text;
  }
  EXPECT_EQ(s.model().profile, before);
  EXPECT_EQ(s.model().data_file, dir.file("good.pro"));
  EXPECT_EQ(ReadLines(dir.file("Results.txt")).size(), results);  // nothing appended
}

TEST_F(SessionFiles, SavedProfileReadsBackAtItsOwnSpacingInEveryFormat) {
  // An edited 0.25-ft taxiway, read back while the default 25-mm spacing is in force.
  std::vector<float> z = Ramp(801, 0.003f, 400);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] += 0.2f * std::sin(0.07f * static_cast<float>(i));
  WriteText(dir.file("taxi.pro"), EncodeProFile(z, 0.25));
  ASSERT_TRUE(s.ReadFile(dir.file("taxi.pro")));
  ASSERT_TRUE(s.SetSetting("CuttingLength", "0"));
  // Reading the saved file applies the end-to-end line removal once more (the ends it leaves are
  // zero only to single precision).
  const std::vector<float> saved = PrepareAnalysisProfile(s.model().profile, 0);
  for (const bool metric : {false, true}) {
    s.SetMetric(metric);
    for (const char* ext : {".pro", ".dat", ".erd", ".csv"}) {
      const std::string out = dir.file(std::string(metric ? "m" : "us") + "_saved" + ext);
      ASSERT_TRUE(s.SaveProfile(out)) << out;
      testing::RecordingPrompts p2;
      Session fresh(p2);
      ASSERT_TRUE(fresh.SetSetting("CuttingLength", "0"));
      ASSERT_TRUE(fresh.ReadFile(out)) << out << ": " << (p2.messages.empty() ? "" : p2.messages[0].text);
      EXPECT_DOUBLE_EQ(fresh.model().settings.SampleSpacing, 0.25) << out;
      EXPECT_EQ(fresh.model().profile, saved) << out;
    }
  }
  prompts.messages.clear();
  EXPECT_FALSE(s.SaveProfile(dir.file("taxi.xls")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("taxi.xls")));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_NE(prompts.messages[0].text.find(".pro, .dat, .erd or .csv"), std::string::npos);
}

TEST_F(SessionFiles, IndexSummaryLine) {
  WriteText(dir.file("q.pro"), EncodeProFile(Ramp(30, 0.0f), 0.25));
  EXPECT_FALSE(s.SaveIndexes());  // refused while no profile has been read
  ASSERT_TRUE(s.ReadFile(dir.file("q.pro")));
  SessionTestAccess::Model(s).index_text = {"0.1234", " ", "12.5", "", "abc", ""};
  ASSERT_TRUE(s.SaveIndexes());
  EXPECT_EQ(ReadLines(dir.file("Indexes.txt")),
            std::vector<std::string>{dir.file("q.pro") + " 0.1234 0.0000 12.5000 0.0000 0.0000"});
}

}  // namespace
}  // namespace tarmac
