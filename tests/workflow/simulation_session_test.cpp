// The simulation commands of a Session over real profile files: what a run publishes, what it
// appends, what a refused run leaves alone, and the batch over a list of measurements.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <sstream>

#include "common/units.h"
#include "test_support.h"
#include "workflow/profile_io.h"
#include "workflow/session.h"

namespace tarmac {
namespace {

using testing::ReadAll;
using testing::ReadLines;
using testing::RecordingPrompts;
using testing::TempDir;

constexpr double kSpacing = 0.25;  // ft
constexpr int kSamples = 12000;    // 3000 ft
constexpr double kBumpAt = 1500;   // ft

// A flat runway, or one with a single 1-cosine bump of `height` inches and `length` feet.
std::vector<float> Runway(double height = 0, double length = 30) {
  std::vector<float> z(kSamples, 0.0f);
  for (int i = 0; i < kSamples; ++i) {
    const double x = i * kSpacing - kBumpAt;
    if (x >= 0 && x <= length)
      z[static_cast<std::size_t>(i)] =
          static_cast<float>(0.5 * height * (1 - std::cos(2 * std::numbers::pi * x / length)));
  }
  return z;
}

void WritePro(const std::string& path, const std::vector<float>& z) {
  WriteFileAtomically(path, EncodeProFile(z, kSpacing));
}

double MaxAbs(const std::vector<float>& v) {
  double m = 0;
  for (float x : v) m = std::max(m, std::fabs(static_cast<double>(x)));
  return m;
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::stringstream ss(s);
  for (std::string item; std::getline(ss, item, sep);) out.push_back(item);
  return out;
}

TEST(SimulationSession, FlatRunwayGivesNoResponseAndTheReportIsAppended) {
  TempDir dir;
  WritePro(dir.file("flat.pro"), Runway());
  RecordingPrompts prompts;
  Session s(prompts);
  ASSERT_TRUE(s.ReadFile(dir.file("flat.pro")));
  ASSERT_TRUE(s.RunSimulation());
  EXPECT_TRUE(prompts.messages.empty());
  const ProfileModel& m = s.model();
  EXPECT_TRUE(m.flags.SimulationDone);

  // Decimated by ten: 1200 samples 2.5 ft apart, parts of just over 1000 ft (the part closes
  // once it is longer than the averaging distance), the 995-ft rest kept.
  const SimulationResult& r = m.simulation;
  ASSERT_EQ(r.SimNPoints, 1200);
  EXPECT_DOUBLE_EQ(r.SimSpacing, 2.5);
  ASSERT_EQ(r.SimPartCount, 3);
  EXPECT_EQ(r.SimPartLength, (decltype(r.SimPartLength){1002.5, 1002.5, 995.0}));

  // A flat runway does not shake the aircraft: accelerations and gear-force deviations vanish.
  for (int level = 1; level <= 4; ++level) {
    const PlotLevel& l = m.levels[static_cast<std::size_t>(level)];
    EXPECT_EQ(l.npoints(), 1200) << level;
    EXPECT_EQ(l.kind, "B-727");
    EXPECT_DOUBLE_EQ(l.step_ft, 2.5);
    EXPECT_LT(MaxAbs(l.data), 1e-3) << level;
  }
  EXPECT_EQ(m.levels[1].title, "B-727 (VUG=100.0 knots ), G cg");
  EXPECT_EQ(m.levels[4].title, "B-727 (VUG=100.0 knots ), Dynamic coefficient of Main Strut Force");
  EXPECT_LT(r.GcgTotalRMS, 1e-3);
  EXPECT_LT(r.MainDynTotalRMS, 1e-3);
  // The static loads carry the aircraft: nose plus mains is the weight, all positive.
  for (float load : r.StaticGearLoad) EXPECT_GT(load, 0.0f);

  // Chart rows 6..9 hold the three parts; row 10 belongs to the B-747 only.
  for (int row = 6; row <= 9; ++row) {
    EXPECT_EQ(m.sections.IndexPartCount[static_cast<std::size_t>(row)], 3) << row;
    EXPECT_TRUE(m.chart_row_enabled[static_cast<std::size_t>(row - 1)]);
  }
  EXPECT_EQ(m.sections.IndexPartCount[10], 0);
  EXPECT_FALSE(m.chart_row_enabled[9]);
  EXPECT_EQ(m.sections.IndexChartTitle[6].rfind("ZProfile  FLAT, RMS(Total Length) = ", 0), 0u);

  // The results file: the read line, then the report block.
  const auto lines = ReadLines(dir.file("Results.txt"));
  ASSERT_GE(lines.size(), 20u);
  EXPECT_EQ(lines[1], "Aircraft type = B-727");
  EXPECT_EQ(lines[2], "Aircraft speed = 168.8(ft/s)100.0 knots");
  EXPECT_EQ(lines[3], "Profile total length = 3,000.0(ft)");
  EXPECT_EQ(lines[4], "Profile start step length = 0.25000(ft)");
  EXPECT_EQ(lines[5], "Profile decimated step length for simulation = 2.5000(ft)");
  // 2.5 ft at 168.78 ft/s is 0.01481 s: six inner steps of 0.00247 s.
  EXPECT_EQ(lines[6], "Simulation step length = 0.01481 seconds");
  EXPECT_EQ(lines[7], "GroundNInner =  6 ");
  EXPECT_EQ(lines[8], "Simulation inner step length = 0.00247 seconds");
  const auto heading = std::find(lines.begin(), lines.end(),
                                 "GRMSpartI length(ft)   GcgRMSpart(g)   GcpRMSpart(g)   "
                                 "NoseDyn-Coeff.  MainDyn-Coeff.  MainRearDyn-Coeff.");
  ASSERT_NE(heading, lines.end());
  EXPECT_EQ(heading[1].substr(0, 17), "   1      1,002.5");
  EXPECT_EQ(heading[3].substr(0, 17), "   3        995.0");
  EXPECT_EQ(heading[4].rfind("CG, Indexbegin = ", 0), 0u);
  EXPECT_EQ(lines.back(), "");
  EXPECT_EQ(lines.size(), 1 + r.reportLines.size());

  // In batch mode a run appends nothing.
  const std::string before = ReadAll(dir.file("Results.txt"));
  s.model().BatchMode = true;
  ASSERT_TRUE(s.RunSimulation());
  EXPECT_EQ(ReadAll(dir.file("Results.txt")), before);
}

// Records the order in which the plot panels are cleared and drawn.
class RecordingPlots final : public PlotSink {
 public:
  void LevelDrawn(const ProfileModel&, int level) override { events.push_back(level); }
  void PanelCleared(int level) override { events.push_back(-level); }
  std::vector<int> events;
};

TEST(SimulationSession, BumpShakesTheAircraftWhereItLies) {
  TempDir dir;
  WritePro(dir.file("bump.pro"), Runway(2.0, 30));
  RecordingPrompts prompts;
  RecordingPlots plots;
  Session s(prompts, &plots);
  s.SetMetric(true);
  ASSERT_TRUE(s.ReadFile(dir.file("bump.pro")));
  s.model().settings.AircraftType = "B-747";
  plots.events.clear();
  ASSERT_TRUE(s.RunSimulation(60 * kKnotsToFps));
  // Panels 1..5 cleared, then the rear main gear drawn beside the accelerations.
  EXPECT_EQ(plots.events, (std::vector<int>{-1, -2, -3, -4, -5, 1, 2, 5, 3, 4}));
  const ProfileModel& m = s.model();
  const SimulationResult& r = m.simulation;

  // The response is large and starts no earlier than the bump: before it the aircraft rolls on
  // a flat runway.
  const auto& gcg = m.levels[1].data;
  EXPECT_GT(r.GcgMax, 0.01);
  EXPECT_LT(r.GcgMin, -0.01);
  const auto bumpSample = static_cast<std::size_t>(kBumpAt / 2.5);
  // The nose gear is ahead of the cg, so the cg feels it a little before the cg reaches it.
  const std::size_t quiet = bumpSample - 40;  // 100 ft
  EXPECT_LT(MaxAbs(std::vector<float>(gcg.begin(), gcg.begin() + quiet)), 1e-3);
  const auto peak = static_cast<std::size_t>(
      std::max_element(gcg.begin(), gcg.end(),
                       [](float a, float b) { return std::fabs(a) < std::fabs(b); }) -
      gcg.begin());
  EXPECT_GT(peak, quiet);
  EXPECT_LT(peak, bumpSample + 80);  // within 200 ft past the bump
  // Gear forces swing both ways around their static value.
  EXPECT_LT(r.NoseDynMin, 0.0f);
  EXPECT_GT(r.NoseDynMax, 0.0f);
  EXPECT_GT(r.RearDynMax, 0.0f);

  // B-747: five levels with the rear main gear, chart row 10, titles as the program writes them.
  EXPECT_EQ(m.levels[5].title, "B-747, Dynamic coefficient of Rear Main Strut Force");
  EXPECT_EQ(m.levels[4].title,
            "B-747 (VUG=60.0 knots ), Dynamic coefficient of Front Main Strut Force");
  EXPECT_EQ(m.levels[5].npoints(), r.SimNPoints);
  EXPECT_EQ(m.sections.IndexPartCount[10], r.SimPartCount);
  // The chart tables hold the part values to four decimals.
  EXPECT_NEAR(m.sections.at(2, 6), r.GcgRMSpart[1], 0.00005 + 1e-7);
  EXPECT_NEAR(m.sections.at(2, 10), r.RearDynRMSpart[1], 0.00005 + 1e-7);
  // The shared stretch values are the rear main gear's, the series computed last.
  EXPECT_NEAR(m.sections.First2000, r.SimStretchValues.back().first, 1e-6);
  EXPECT_NEAR(m.sections.Last2000, r.SimStretchValues.back().last, 1e-6);
  // Weight in kilograms in metric mode; speed line in m/s.
  EXPECT_GT(r.Weight, 0.0);
  const auto lines = ReadLines(dir.file("Results.txt"));
  EXPECT_EQ(lines[2], "Aircraft speed = 30.9(m/s)60.0 knots");
  // A new profile erases the run's part table.
  ASSERT_TRUE(s.ReadFile(dir.file("bump.pro")));
  EXPECT_TRUE(s.model().simulation.SimPartLength.empty());
  EXPECT_FALSE(s.model().flags.SimulationDone);
}

class CancelAfter final : public Progress {
 public:
  explicit CancelAfter(int steps) : left_(steps) {}
  void step(long long, long long) override { --left_; }
  bool cancelled() const override { return left_ <= 0; }

 private:
  int left_;
};

TEST(SimulationSession, RefusedFailedOrCancelledRunLeavesTheModelAsItWas) {
  TempDir dir;
  WritePro(dir.file("bump.pro"), Runway(1.0, 20));
  RecordingPrompts prompts;
  Session s(prompts);
  // Without a profile: refused with a message, nothing run.
  EXPECT_FALSE(s.RunSimulation());
  EXPECT_EQ(prompts.messages.size(), 1u);
  EXPECT_FALSE(s.model().flags.SimulationDone);

  ASSERT_TRUE(s.ReadFile(dir.file("bump.pro")));
  ASSERT_TRUE(s.RunSimulation());
  const ProfileModel& m = s.model();
  const auto level1 = m.levels[1].data;
  const double gcgMax = m.simulation.GcgMax;
  const float cell = m.sections.at(1, 6);
  const std::string results = ReadAll(dir.file("Results.txt"));
  prompts.messages.clear();

  // A speed of zero cannot move the aircraft.
  EXPECT_FALSE(s.RunSimulation(0.0));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_NE(prompts.messages[0].text.find("speed"), std::string::npos);
  // Ten airframe modes at most.
  s.model().settings.NumberOfModes = 11;
  EXPECT_FALSE(s.RunSimulation());
  EXPECT_EQ(prompts.messages.size(), 2u);
  s.model().settings.NumberOfModes = 10;
  // Stopped by the person half-way.
  CancelAfter cancel(20);
  s.SetProgress(&cancel);
  s.model().settings.AircraftSpeed = 40;
  EXPECT_FALSE(s.RunSimulation());
  EXPECT_EQ(prompts.messages.size(), 2u);  // a cancel is no failure to be told about
  s.SetProgress(nullptr);

  EXPECT_EQ(m.levels[1].data, level1);
  EXPECT_EQ(m.simulation.GcgMax, gcgMax);
  EXPECT_EQ(m.sections.at(1, 6), cell);
  EXPECT_TRUE(m.flags.SimulationDone);
  EXPECT_EQ(ReadAll(dir.file("Results.txt")), results);
}

TEST(SimulationSession, BatchListLogsTheMissingAndReportsTheRest) {
  TempDir dir;
  WritePro(dir.file("m1.pro"), Runway(1.5, 25));
  WritePro(dir.file("m3.Pro"), Runway());
  // Relative names are found beside the list; a Windows line end is no part of a name.
  const std::string list = dir.file("ProDatFiles.txt");
  WriteFileAtomically(list, "m1.Pro\r\nm2.Pro\n\n" + dir.file("m3.Pro") + "\n");
  RecordingPrompts prompts;
  Session s(prompts);
  ASSERT_TRUE(s.ProcessSimList(list));

  const auto log = ReadLines(dir.file("ProDatFiles.log"));
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], dir.file("m2") + " not processed because the .Pro file does not exist.");
  EXPECT_FALSE(std::filesystem::exists(dir.file("m2.Log")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("m2.docx")));

  // The measurement's log: a taxi-speed block then a runway-speed block.
  const auto m1 = ReadLines(dir.file("m1.Log"));
  std::size_t at = 0;
  for (double knots : {20.0, 100.0}) {
    ASSERT_LT(at + 12, m1.size());
    EXPECT_EQ(m1[at], "\"Measurement Name = \",\"m1\"");
    // The quoted label holds commas of its own; the numbers follow it.
    const std::string label = "\"Aircraft speed, ft/s, knots = \",";
    ASSERT_EQ(m1[at + 1].rfind(label, 0), 0u);
    const auto speed = Split(m1[at + 1].substr(label.size() - 1), ',');
    ASSERT_EQ(speed.size(), 3u);
    EXPECT_NEAR(std::strtod(speed[1].c_str(), nullptr), knots * 1.6877921990244562, 1e-9);
    EXPECT_NEAR(std::strtod(speed[2].c_str(), nullptr), knots, 1e-9);
    EXPECT_EQ(m1[at + 2], "\"Profile total length, ft = \",3000");
    EXPECT_EQ(m1[at + 3], "\"Profile start step length, ft = \",.25");
    EXPECT_EQ(m1[at + 4], "\"Profile decimated step length for simulation, ft = \",2.5");
    EXPECT_EQ(m1[at + 7].rfind("\"Gcg min = \",-", 0), 0u);  // the bump pulls the cg both ways
    EXPECT_EQ(m1[at + 11], "\"GRMSpartI   length (ft)    GcgRMSpart (in)    GcpRMSpart (in)\"");
    for (int part = 1; part <= 3; ++part) {
      const auto row = Split(m1[at + 11 + static_cast<std::size_t>(part)], ',');
      ASSERT_EQ(row.size(), 4u);
      EXPECT_EQ(row[0], std::to_string(part));
      EXPECT_EQ(row[1], part < 3 ? "1002" : "995");  // whole feet, truncated
      EXPECT_GT(std::strtod(row[2].c_str(), nullptr), 0.0);
    }
    EXPECT_EQ(m1[at + 15], "");
    at += 16;
  }
  EXPECT_EQ(m1.size(), at);

  // A document per measurement processed.
  for (const char* name : {"m1.docx", "m3.docx"}) {
    const std::string doc = ReadAll(dir.file(name));
    ASSERT_GT(doc.size(), 100u) << name;
    EXPECT_EQ(doc.substr(0, 2), "PK") << name;
  }
  EXPECT_EQ(ReadLines(dir.file("m3.Log")).size(), 32u);
  // The runs reported to their logs, not to the results file.
  for (const auto& line : ReadLines(dir.file("Results.txt")))
    EXPECT_EQ(line.find("Aircraft type"), std::string::npos) << line;
  EXPECT_FALSE(s.model().BatchMode);
  EXPECT_TRUE(prompts.messages.empty());

  const std::string firstReport = ReadAll(dir.file("m1.docx"));
  // Stopped by the person during the first run: the batch ends there and says so.
  class CancelAtOnce final : public Progress {
   public:
    void step(long long, long long) override {}
    bool cancelled() const override { return true; }
  } cancel;
  s.SetProgress(&cancel);
  EXPECT_FALSE(s.ProcessSimList(list));
  s.SetProgress(nullptr);
  const auto stopped = ReadLines(dir.file("ProDatFiles.log"));
  ASSERT_EQ(stopped.size(), 2u);
  EXPECT_NE(stopped[0].find("Taxi Speed simulation of the B-727 not made"), std::string::npos);
  EXPECT_EQ(stopped[1], "Cancelled.");
  EXPECT_TRUE(ReadLines(dir.file("m1.Log")).empty());
  EXPECT_EQ(ReadAll(dir.file("m1.docx")), firstReport);

  // A list that cannot be read is refused.
  EXPECT_FALSE(s.ProcessSimList(dir.file("none.txt")));
  EXPECT_EQ(prompts.messages.size(), 1u);
}

}  // namespace
}  // namespace tarmac
