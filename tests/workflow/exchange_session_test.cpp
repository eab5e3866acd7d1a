// ERD profiles through the read command, and the ERD and CSV exports of a Session.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "test_support.h"
#include "workflow/erd.h"
#include "workflow/profile_io.h"
#include "workflow/session.h"

namespace tarmac {
namespace {

using testing::ReadAll;
using testing::ReadLines;
using testing::RecordingPrompts;
using testing::TempDir;

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// Three channels: left wheel path in mm, right in m, survey speed in km/h; distance in metres.
// Left in inches is 0, 1, 3, 2, 4, so with no end cut the line from 0 to 4 comes off.
const char* const kMetricThreeChannels =
    "ERDFILEV2.00\n"
    "3,5,-1,1,5,0.1,-1\n"
    "TITLE   ,Runway 18 survey\n"
    "SHORTNAM,Left,Right,Speed\n"
    "UNITSNAM,mm,m,km/h\n"
    "XLABEL  ,Distance\n"
    "XUNITS  ,m\n"
    "END\n"
    "0,0,36\n"
    "25.4,0.0254,36\n"
    "76.2,0.0508,72\n"
    "50.8,0.0762,36\n"
    "101.6,0.1016,18\n";

// The straight line through the ends removed, in the single precision a profile is kept in.
std::vector<float> WithoutEndLine(const std::vector<float>& w) {
  const std::size_t n = w.size();
  const float slope = (w[n - 1] - w[0]) / static_cast<float>(n - 1);
  std::vector<float> z(n);
  for (std::size_t i = 0; i < n; ++i) z[i] = (w[i] - w[0]) - slope * static_cast<float>(i);
  return z;
}

TEST(ExchangeSession, ErdReadsLikeAProfileWithItsSpeed) {
  TempDir dir;
  const std::string erd = dir.file("rw18.erd");
  WriteText(erd, kMetricThreeChannels);
  RecordingPrompts prompts;
  Session s(prompts);
  ASSERT_TRUE(s.SetSetting("CuttingLength", "0"));
  ASSERT_TRUE(s.ReadFile(erd));
  EXPECT_TRUE(prompts.messages.empty());
  const ProfileModel& m = s.model();
  EXPECT_DOUBLE_EQ(m.settings.SampleSpacing, 0.1 / 0.3048);
  ASSERT_EQ(m.ProfileNPoints(), 5);
  const std::vector<float> expected = WithoutEndLine({0.0f, 1.0f, 3.0f, 2.0f, 4.0f});
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(m.ProfileZ[static_cast<std::size_t>(i)], expected[static_cast<std::size_t>(i)], 1e-6);
  EXPECT_EQ(m.ProfileZ.back(), 0.0f);
  EXPECT_EQ(m.levels[0].title, "ZProfile,RW18,inch");
  EXPECT_EQ(m.ProfileName, "RW18");
  // 36 km/h is 10 m/s; speeds are held in ft/s.
  EXPECT_EQ(m.levels[1].kind, "Speed");
  ASSERT_EQ(m.levels[1].npoints(), 5);
  EXPECT_NEAR(m.levels[1].data[0], 10.0 / 0.3048, 1e-4);
  EXPECT_NEAR(m.levels[1].data[4], 5.0 / 0.3048, 1e-4);
  EXPECT_EQ(m.levels[1].step_ft, m.settings.SampleSpacing);
  const auto lines = ReadLines(dir.file("Results.txt"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "Data File Name = " + erd + " File Name = rw18.erd");
  ASSERT_FALSE(prompts.statuses.empty());
  EXPECT_NE(prompts.statuses.back().find("1 Left, 2 Right, 3 Speed"), std::string::npos);

  // The second channel, in metres, is the same profile; with an end cut of one sample at each
  // end the middle three remain: 1, 2, 3 inches, a straight line, so zero throughout.
  ASSERT_TRUE(s.SetSetting("CuttingLength", "0.328083989501312"));
  ASSERT_TRUE(s.ReadErdFile(erd, 2));
  ASSERT_EQ(s.model().ProfileNPoints(), 3);
  for (float z : s.model().ProfileZ) EXPECT_NEAR(z, 0.0f, 1e-6);
  EXPECT_EQ(s.model().levels[1].npoints(), 5);  // the speed is not cut, as a speed file is not
}

TEST(ExchangeSession, RefusedErdLeavesTheProfileInHand) {
  TempDir dir;
  const std::string good = dir.file("good.erd");
  WriteText(good, kMetricThreeChannels);
  RecordingPrompts prompts;
  Session s(prompts);
  ASSERT_TRUE(s.ReadFile(good));
  const std::vector<float> before = s.model().ProfileZ;
  const std::size_t results_lines = ReadLines(dir.file("Results.txt")).size();

  const std::string head = "ERDFILEV2.00\n1,2,-1,1,5,0.25,-1\n";
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"noend.erd", head + "UNITSNAM,in\nXUNITS,ft\n1\n2\n"},
      {"count.erd", head + "UNITSNAM,in\nXUNITS,ft\nEND\n1\n"},
      {"unit.erd", head + "UNITSNAM,furlong\nXUNITS,ft\nEND\n1\n2\n"},
      {"xunit.erd", head + "UNITSNAM,in\nXUNITS,yd\nEND\n1\n2\n"},
      {"channels.erd", "ERDFILEV2.00\n2,2,-1,1,5,0.25,-1\nUNITSNAM,in\nXUNITS,ft\nEND\n1 1\n2 2\n"},
      {"nobin.erd", "ERDFILEV2.00\n1,2,-1,1,4,0.25,-1\nUNITSNAM,in\nXUNITS,ft\nEND\n"},
  };
  for (const auto& [name, text] : bad) {
    WriteText(dir.file(name), text);
    prompts.messages.clear();
    EXPECT_FALSE(s.ReadFile(dir.file(name))) << name;
    ASSERT_EQ(prompts.messages.size(), 1u) << name;
    EXPECT_EQ(prompts.messages[0].title, "File Error") << name;
    EXPECT_EQ(s.model().ProfileZ, before) << name;
    EXPECT_EQ(s.model().DataFileName, good) << name;
  }
  EXPECT_NE(prompts.messages[0].text.find("nobin.bin"), std::string::npos);

  // A speed channel is not a profile; a channel past the last is not there.
  prompts.messages.clear();
  EXPECT_FALSE(s.ReadErdFile(good, 3));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_NE(prompts.messages[0].text.find("is a speed in km/h"), std::string::npos);
  EXPECT_FALSE(s.ReadErdFile(good, 4));
  EXPECT_FALSE(s.ReadErdFile(dir.file("missing.erd"), 1));
  EXPECT_EQ(prompts.messages.back().title, "File Error Error");
  EXPECT_EQ(s.model().ProfileZ, before);
  EXPECT_EQ(ReadLines(dir.file("Results.txt")).size(), results_lines);

  // Other extensions keep their own refusal.
  WriteText(dir.file("x.txt"), "1\n");
  EXPECT_FALSE(s.ReadFile(dir.file("x.txt")));
  EXPECT_EQ(prompts.messages.back().title, "Wrong Extension");
}

TEST(ExchangeSession, BinaryErdTakesProfileAndSpeedFromOneBinFile) {
  TempDir dir;
  WriteText(dir.file("bin.erd"),
            "ERDFILEV2.00\n2,4,-1,1,4,0.5,-1\nSHORTNAM,v,z\nUNITSNAM,ft/s,ft\nXUNITS,ft\nEND\n");
  // Rows interleaved (speed, elevation); the elevations in feet climb 0, 1, 2 then drop to 0.
  const float rows[] = {40.0f, 0.0f, 41.0f, 1.0f, 42.0f, 2.0f, 43.0f, 0.0f};
  std::string bin(reinterpret_cast<const char*>(rows), sizeof rows);  // little-endian host
  WriteText(dir.file("bin.bin"), bin);
  RecordingPrompts prompts;
  Session s(prompts);
  ASSERT_TRUE(s.SetSetting("CuttingLength", "0"));
  ASSERT_TRUE(s.ReadErdFile(dir.file("bin.erd"), 2));
  EXPECT_EQ(s.model().ProfileZ, (std::vector<float>{0.0f, 12.0f, 24.0f, 0.0f}));
  EXPECT_EQ(s.model().levels[1].data, (std::vector<float>{40.0f, 41.0f, 42.0f, 43.0f}));
  EXPECT_EQ(s.model().settings.SampleSpacing, 0.5);

  // A .bin one row short is refused and the profile stays.
  WriteText(dir.file("bin.bin"), bin.substr(0, bin.size() - 8));
  EXPECT_FALSE(s.ReadErdFile(dir.file("bin.erd"), 2));
  EXPECT_NE(prompts.messages.back().text.find("24 bytes"), std::string::npos);
  EXPECT_EQ(s.model().ProfileZ, (std::vector<float>{0.0f, 12.0f, 24.0f, 0.0f}));
}

std::vector<float> Swell(int n) {
  std::vector<float> z(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    z[static_cast<std::size_t>(i)] = 0.002f * i + 0.3f * std::sin(0.05f * i) + (i % 7 == 0 ? 0.01f : 0.0f);
  return z;
}

TEST(ExchangeSession, ExportedErdReadsBackWithTheSpeedAlignedToTheCutProfile) {
  TempDir dir;
  const std::string pro = dir.file("run.pro");
  const int n = 400;
  WriteText(pro, std::string(reinterpret_cast<const char*>(EncodeProFile(Swell(n), 0.25).data()),
                             EncodeProFile(Swell(n), 0.25).size()));
  std::string spd;
  for (int i = 0; i < n; ++i) {
    const auto v = static_cast<std::int16_t>(3000 + i);  // hundredths of ft/s: a marker per sample
    spd.append(reinterpret_cast<const char*>(&v), 2);
  }
  WriteText(dir.file("run.spd"), spd);

  RecordingPrompts prompts;
  Session s(prompts);
  ASSERT_TRUE(s.SetSetting("CuttingLength", "5"));  // 20 samples off each end
  ASSERT_TRUE(s.ReadFile(pro));
  const std::vector<float> z = s.model().ProfileZ;
  ASSERT_EQ(z.size(), static_cast<std::size_t>(n - 40));
  const std::string erd = dir.file("run_out.erd");
  ASSERT_TRUE(s.ExportErd(erd));
  EXPECT_TRUE(prompts.messages.empty());

  // The file holds the analysis profile exactly, and beside each sample the speed measured there.
  const ErdChannel back = ReadErdFile(erd, 1);
  EXPECT_EQ(back.values, z);
  EXPECT_EQ(back.spacing_ft, 0.25);
  const ErdChannel speed = ReadErdFile(erd, 2);
  ASSERT_EQ(speed.values.size(), z.size());
  EXPECT_FLOAT_EQ(speed.values.front(), 30.20f);
  EXPECT_FLOAT_EQ(speed.values.back(), 33.79f);

  // Read back through the session with no further cut: the same profile, the speed in level 1.
  Session again(prompts);
  ASSERT_TRUE(again.SetSetting("CuttingLength", "0"));
  ASSERT_TRUE(again.ReadFile(erd));
  ASSERT_EQ(again.model().ProfileZ.size(), z.size());
  for (std::size_t i = 0; i < z.size(); ++i) EXPECT_NEAR(again.model().ProfileZ[i], z[i], 1e-5);
  EXPECT_EQ(again.model().levels[1].data, speed.values);

  // After the cut setting changes the speed no longer lines up: the profile is written alone.
  ASSERT_TRUE(s.SetSetting("CuttingLength", "2"));
  ASSERT_TRUE(s.ExportErd(erd));
  EXPECT_EQ(ParseErdHeader(ReadAll(erd)).channels, 1);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_NE(prompts.messages[0].text.find("400 values"), std::string::npos);

  // Nothing to export before a profile is read.
  Session empty(prompts);
  EXPECT_FALSE(empty.ExportErd(erd));
}

// The CSV rows as numbers.
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

TEST(ExchangeSession, CsvOfALevelIsInDisplayUnits) {
  TempDir dir;
  const std::string erd = dir.file("rw18.erd");
  WriteText(erd, kMetricThreeChannels);
  RecordingPrompts prompts;
  Session s(prompts);
  ASSERT_TRUE(s.SetSetting("CuttingLength", "0"));
  ASSERT_TRUE(s.ReadFile(erd));
  const std::vector<float> z = s.model().ProfileZ;

  for (const bool metric : {false, true}) {
    s.SetMetric(metric);
    const std::string csv = dir.file(metric ? "m.csv" : "us.csv");
    ASSERT_TRUE(s.ExportLevelCsv(csv, 0));
    std::string heading;
    const auto rows = CsvRows(csv, heading);
    EXPECT_EQ(heading, metric ? "Distance (m),Elevation (cm)" : "Distance (ft),Elevation (in)");
    ASSERT_EQ(rows.size(), z.size());
    // Sample i lies (i - 1) samples from the start; 0.1 m apart in the file.
    const double step = metric ? 0.1 : 0.1 / 0.3048;
    const double per_inch = metric ? 2.54 : 1.0;
    for (std::size_t k = 0; k < rows.size(); ++k) {
      EXPECT_NEAR(rows[k].first, static_cast<double>(k) * step, 1e-9);
      EXPECT_NEAR(rows[k].second, z[k] * per_inch, 1e-6);
    }

    ASSERT_TRUE(s.ExportLevelCsv(csv, 1));
    const auto speed = CsvRows(csv, heading);
    EXPECT_EQ(heading, metric ? "Distance (m),Speed (m/s)" : "Distance (ft),Speed (ft/s)");
    EXPECT_NEAR(speed[2].second, metric ? 20.0 : 20.0 / 0.3048, 1e-5);
  }

  // An index level after its index has run: the band-pass profile in mm.
  s.SetMetric(true);
  ASSERT_TRUE(s.RunIndex(4));
  const std::string band = dir.file("band.csv");
  ASSERT_TRUE(s.ExportLevelCsv(band, 5));
  std::string heading;
  const auto rows = CsvRows(band, heading);
  EXPECT_EQ(heading, "Distance (m),Bandpass Filter (mm)");
  const PlotLevel& l5 = s.model().levels[5];
  ASSERT_EQ(rows.size(), l5.data.size());
  for (std::size_t k = 0; k < rows.size(); ++k) EXPECT_NEAR(rows[k].second, l5.data[k] * 25.4, 1e-4);

  // Levels that hold nothing, or do not exist, are refused.
  prompts.messages.clear();
  EXPECT_FALSE(s.ExportLevelCsv(dir.file("x.csv"), 2));
  EXPECT_FALSE(s.ExportLevelCsv(dir.file("x.csv"), 7));
  EXPECT_FALSE(s.ExportLevelCsv(dir.file("x.csv"), -1));
  EXPECT_EQ(prompts.messages.size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(dir.file("x.csv")));
}

}  // namespace
}  // namespace tarmac
