// ERD profiles through the read command, and the ERD and CSV exports of a Session.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "test_support.h"
#include "workflow/erd.h"
#include "workflow/session.h"

namespace tarmac {
namespace {

using testing::ReadAll;
using testing::ReadLines;
using testing::WriteText;

// Left wheel path in mm, right in m, survey speed in km/h; distance in metres. Left in inches
// is 0, 1, 3, 2, 4, so with no end cut the line from 0 to 4 comes off: 0, 0, 1, -1, 0.
const char* const kMetricThreeChannels =
    "ERDFILEV2.00\n3,5,-1,1,5,0.1,-1\nTITLE   ,Runway 18 survey\nSHORTNAM,Left,Right,Speed\n"
    "UNITSNAM,mm,m,km/h\nXLABEL  ,Distance\nXUNITS  ,m\nEND\n"
    "0,0,36\n25.4,0.0254,36\n76.2,0.0508,72\n50.8,0.0762,36\n101.6,0.1016,18\n";

class ExchangeSession : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(erd, kMetricThreeChannels);
    ASSERT_TRUE(s.SetSetting("CuttingLength", "0"));
  }
  testing::TempDir dir;
  const std::string erd = dir.file("rw18.erd");
  testing::RecordingPrompts prompts;
  Session s{prompts};
};

TEST_F(ExchangeSession, ErdReadsLikeAProfileWithItsSpeed) {
  ASSERT_TRUE(s.ReadFile(erd));
  const ProfileModel& m = s.model();
  EXPECT_DOUBLE_EQ(m.settings.SampleSpacing, 0.1 / 0.3048);
  ASSERT_EQ(m.SampleCount(), 5);
  const std::vector<float> expected = {0, 0, 1, -1, 0};
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(m.profile[static_cast<std::size_t>(i)], expected[static_cast<std::size_t>(i)], 1e-6);
  // 36 km/h is 10 m/s; speeds are held in ft/s.
  EXPECT_NEAR(m.levels[1].data[0], 10.0 / 0.3048, 1e-4);
  EXPECT_NEAR(m.levels[1].data[4], 5.0 / 0.3048, 1e-4);
  EXPECT_EQ(ReadLines(dir.file("Results.txt")),
            std::vector<std::string>{"Data File Name = " + erd + " File Name = rw18.erd"});
  EXPECT_NE(prompts.statuses.back().find("1 Left, 2 Right, 3 Speed"), std::string::npos);

  // The second channel, in metres, with one sample cut at each end: 1, 2, 3 inches, a line.
  ASSERT_TRUE(s.SetSetting("CuttingLength", "0.328083989501312"));
  ASSERT_TRUE(s.ReadErdFile(erd, 2));
  ASSERT_EQ(s.model().SampleCount(), 3);
  for (float z : s.model().profile) EXPECT_NEAR(z, 0.0f, 1e-6);
  EXPECT_EQ(s.model().levels[1].npoints(), 5);  // the speed is not cut, as a speed file is not

  // Refused files leave the profile in hand.
  const std::vector<float> before = s.model().profile;
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"channels.erd", "ERDFILEV2.00\n2,2,-1,1,5,0.25,-1\nUNITSNAM,in\nXUNITS,ft\nEND\n1 1\n2 2\n"},
      {"nobin.erd", "ERDFILEV2.00\n1,2,-1,1,4,0.25,-1\nUNITSNAM,in\nXUNITS,ft\nEND\n"},
  };
  for (const auto& [name, text] : bad) {
    WriteText(dir.file(name), text);
    prompts.messages.clear();
    EXPECT_FALSE(s.ReadFile(dir.file(name))) << name;
    ASSERT_EQ(prompts.messages.size(), 1u) << name;
    EXPECT_EQ(prompts.messages[0].title, "File Error") << name;
  }
  EXPECT_NE(prompts.messages[0].text.find("nobin.bin"), std::string::npos);
  // A speed channel is not a profile; a channel past the last is not there.
  EXPECT_FALSE(s.ReadErdFile(erd, 3));
  EXPECT_NE(prompts.messages.back().text.find("is a speed in km/h"), std::string::npos);
  EXPECT_FALSE(s.ReadErdFile(erd, 4));
  EXPECT_FALSE(s.ReadErdFile(dir.file("missing.erd"), 1));
  EXPECT_EQ(prompts.messages.back().title, "File Error Error");
  EXPECT_EQ(s.model().profile, before);
  EXPECT_EQ(ReadLines(dir.file("Results.txt")).size(), 2u);
}

TEST_F(ExchangeSession, ExportedErdReadsBackWithTheSpeedAlignedToTheCutProfile) {
  EXPECT_FALSE(s.ExportErd(dir.file("x.erd")));  // nothing to export before a profile is read
  prompts.messages.clear();
  const int n = 400;
  std::vector<float> swell(n);
  std::string spd;
  for (int i = 0; i < n; ++i) {
    swell[static_cast<std::size_t>(i)] = 0.002f * i + 0.3f * std::sin(0.05f * i) + (i % 7 == 0 ? 0.01f : 0.0f);
    const auto v = static_cast<std::int16_t>(3000 + i);  // hundredths of ft/s: a marker per sample
    spd.append(reinterpret_cast<const char*>(&v), 2);
  }
  WriteText(dir.file("run.pro"), EncodeProFile(swell, 0.25));
  WriteText(dir.file("run.spd"), spd);
  ASSERT_TRUE(s.SetSetting("CuttingLength", "5"));  // 20 samples off each end
  ASSERT_TRUE(s.ReadFile(dir.file("run.pro")));
  const std::vector<float> z = s.model().profile;
  ASSERT_EQ(z.size(), static_cast<std::size_t>(n - 40));
  const std::string out = dir.file("run_out.erd");
  ASSERT_TRUE(s.ExportErd(out));
  // The analysis profile exactly, and beside each sample the speed measured there.
  EXPECT_EQ(ReadErdFile(out, 1).values, z);
  const ErdChannel speed = ReadErdFile(out, 2);
  ASSERT_EQ(speed.values.size(), z.size());
  EXPECT_FLOAT_EQ(speed.values.front(), 30.20f);
  EXPECT_FLOAT_EQ(speed.values.back(), 33.79f);
  // After the cut setting changes the speed no longer lines up: the profile is written alone.
  ASSERT_TRUE(s.SetSetting("CuttingLength", "2"));
  ASSERT_TRUE(s.ExportErd(out));
  EXPECT_EQ(ParseErdHeader(ReadAll(out)).channels, 1);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_NE(prompts.messages[0].text.find("400 values"), std::string::npos);
}

// The CSV rows as numbers; the heading in `heading`.
std::vector<std::pair<double, double>> CsvRows(const std::string& path, std::string& heading) {
  std::vector<std::pair<double, double>> rows;
  std::istringstream in(ReadAll(path));
  std::getline(in, heading);
  for (std::string line; std::getline(in, line);) {
    const auto comma = line.find(',');
    rows.emplace_back(std::stod(line.substr(0, comma)), std::stod(line.substr(comma + 1)));
  }
  return rows;
}

TEST_F(ExchangeSession, CsvOfALevelIsInDisplayUnits) {
  ASSERT_TRUE(s.ReadFile(erd));
  const std::vector<float> z = s.model().profile;
  std::string heading;
  for (const bool metric : {false, true}) {
    s.SetMetric(metric);
    const std::string csv = dir.file(metric ? "m.csv" : "us.csv");
    ASSERT_TRUE(s.ExportLevelCsv(csv, 0));
    const auto rows = CsvRows(csv, heading);
    EXPECT_EQ(heading, metric ? "Distance (m),Elevation (cm)" : "Distance (ft),Elevation (in)");
    ASSERT_EQ(rows.size(), z.size());
    for (std::size_t k = 0; k < rows.size(); ++k) {  // 0.1 m apart in the file
      EXPECT_NEAR(rows[k].first, static_cast<double>(k) * (metric ? 0.1 : 0.1 / 0.3048), 1e-9);
      EXPECT_NEAR(rows[k].second, z[k] * (metric ? 2.54 : 1.0), 1e-6);
    }
  }
  for (int level : {2, 7}) EXPECT_FALSE(s.ExportLevelCsv(dir.file("x.csv"), level)) << level;  // empty, none
}

}  // namespace
}  // namespace tarmac
