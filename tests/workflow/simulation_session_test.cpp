// The simulation commands of a Session over real profile files: what a run publishes, what it
// appends, what a refused run leaves alone, and the batch over a list of measurements.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "common/units.h"
#include "test_support.h"
#include "workflow/session.h"
#include "workflow/session_access.h"

namespace tarmac {
namespace {

using testing::ReadAll;
using testing::ReadLines;

constexpr double kSpacing = 0.25;  // ft
constexpr double kBumpAt = 1500;   // ft

// A flat 3000-ft runway, or one with a single 1-cosine bump of `height` inches and `length` feet.
void WriteRunway(const std::string& path, double height = 0, double length = 30) {
  std::vector<float> z(12000, 0.0f);
  for (std::size_t i = 0; i < z.size(); ++i) {
    const double x = static_cast<double>(i) * kSpacing - kBumpAt;
    if (x >= 0 && x <= length) z[i] = static_cast<float>(0.5 * height * (1 - std::cos(2 * std::numbers::pi * x / length)));
  }
  WriteFileAtomically(path, EncodeProFile(z, kSpacing));
}

double MaxAbs(std::span<const float> v) {
  double m = 0;
  for (float x : v) m = std::max(m, std::fabs(static_cast<double>(x)));
  return m;
}

class SimulationSession : public ::testing::Test {
 protected:
  testing::TempDir dir;
  testing::RecordingPrompts prompts;
};

TEST_F(SimulationSession, FlatRunwayGivesNoResponseAndTheReportIsAppended) {
  WriteRunway(dir.file("flat.pro"));
  Session s(prompts);
  ASSERT_TRUE(s.ReadFile(dir.file("flat.pro")));
  ASSERT_TRUE(s.SetSetting("DecimationRule", "fixed"));
  ASSERT_TRUE(s.RunSimulation());
  const ProfileModel& m = s.model();
  // Decimated by the fixed ten: 1200 samples 2.5 ft apart, parts of just over 1000 ft (the part closes
  // once it is longer than the averaging distance), the 995-ft rest kept.
  const SimulationResult& r = m.simulation;
  EXPECT_EQ(r.part_lengths_ft, (decltype(r.part_lengths_ft){1002.5, 1002.5, 995.0}));
  for (int level = 1; level <= 4; ++level)  // a flat runway does not shake the aircraft
    EXPECT_LT(MaxAbs(m.levels[static_cast<std::size_t>(level)].data), 1e-3) << level;
  EXPECT_EQ(m.levels[1].title, "B-727 (VUG=100.0 knots ), G cg");
  EXPECT_FALSE(m.chart_row_enabled[9]);  // row 10 belongs to the B-747 only

  const auto lines = ReadLines(dir.file("Results.txt"));  // the read line, then the report block
  ASSERT_GE(lines.size(), 9u);
  const std::vector<std::string> head = {
      "Aircraft type = B-727", "Aircraft speed = 168.8(ft/s)100.0 knots", "Profile total length = 3,000.0(ft)",
      "Profile start step length = 0.25000(ft)", "Profile decimated step length for simulation = 2.5000(ft)",
      // 2.5 ft at 168.78 ft/s is 0.01481 s: six inner steps of 0.00247 s.
      "Simulation step length = 0.01481 seconds", "GroundNInner =  6 ",
      "Simulation inner step length = 0.00247 seconds"};
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 9), head);
  const auto heading = std::find(lines.begin(), lines.end(),
                                 "GRMSpartI length(ft)   GcgRMSpart(g)   GcpRMSpart(g)   "
                                 "NoseDyn-Coeff.  MainDyn-Coeff.  MainRearDyn-Coeff.");
  ASSERT_NE(heading, lines.end());
  EXPECT_EQ(heading[1].substr(0, 17), "   1      1,002.5");
  EXPECT_EQ(heading[3].substr(0, 17), "   3        995.0");

  // In batch mode a run appends nothing.
  const std::string before = ReadAll(dir.file("Results.txt"));
  s.SetBatchMode(true);
  ASSERT_TRUE(s.RunSimulation());
  EXPECT_EQ(ReadAll(dir.file("Results.txt")), before);
}

class CancelAfter final : public Progress {
 public:
  explicit CancelAfter(int steps) : left_(steps) {}
  void step(long long, long long) override { --left_; }
  bool cancelled() const override { return left_ <= 0; }

 private:
  int left_;
};

TEST_F(SimulationSession, BumpShakesTheAircraftWhereItLies) {
  WriteRunway(dir.file("bump.pro"), 2.0, 30);
  Session s(prompts);
  EXPECT_FALSE(s.RunSimulation());  // without a profile
  prompts.messages.clear();
  s.SetMetric(true);
  ASSERT_TRUE(s.ReadFile(dir.file("bump.pro")));
  ASSERT_TRUE(s.SetSetting("AircraftType", "B-747"));
  ASSERT_TRUE(s.RunSimulation(60 * kKnotsToFps));
  const ProfileModel& m = s.model();
  const SimulationResult& r = m.simulation;
  // Quiet before the bump (the nose gear, ahead of the cg, feels it 100 ft early at most), the
  // largest response within 200 ft past it.
  // The working step is that of a 25-mm profile decimated by ten: 0.25 ft x 3.
  const auto& gcg = m.levels[1].data;
  EXPECT_DOUBLE_EQ(r.spacing_ft, 0.75);
  const auto sample = [&](double ft) { return static_cast<std::size_t>(ft / r.spacing_ft); };
  EXPECT_LT(MaxAbs(std::span(gcg).first(sample(kBumpAt - 100))), 1e-3);
  const auto peak = static_cast<std::size_t>(
      std::max_element(gcg.begin(), gcg.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); }) -
      gcg.begin());
  EXPECT_GT(peak, sample(kBumpAt - 100));
  EXPECT_LT(peak, sample(kBumpAt + 200));

  EXPECT_EQ(m.sections.part_count[10], r.part_count);
  // The chart tables hold the part values to four decimals.
  EXPECT_NEAR(m.sections.at(2, 10), r.rear_part_rms[1], 0.00005 + 1e-7);
  EXPECT_EQ(ReadLines(dir.file("Results.txt"))[2], "Aircraft speed = 30.9(m/s)60.0 knots");

  // A refused, failed or cancelled run leaves the model and the results as they were.
  const auto level1 = m.levels[1].data;
  const float cell = m.sections.at(1, 6);
  const std::string results = ReadAll(dir.file("Results.txt"));
  EXPECT_FALSE(s.RunSimulation(0.0));  // a speed of zero cannot move the aircraft
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_NE(prompts.messages[0].text.find("speed"), std::string::npos);
  SessionTestAccess::Model(s).settings.NumberOfModes = 11;  // ten airframe modes at most
  EXPECT_FALSE(s.RunSimulation());
  SessionTestAccess::Model(s).settings.NumberOfModes = 10;
  CancelAfter cancel(20);  // stopped by the person half-way
  s.SetProgress(&cancel);
  EXPECT_FALSE(s.RunSimulation(40 * kKnotsToFps));
  s.SetProgress(nullptr);
  EXPECT_EQ(prompts.messages.size(), 2u);  // a cancel is no failure to be told about
  EXPECT_EQ(m.levels[1].data, level1);
  EXPECT_EQ(m.sections.at(1, 6), cell);
  EXPECT_EQ(ReadAll(dir.file("Results.txt")), results);
  // A new profile erases the run's part table.
  ASSERT_TRUE(s.ReadFile(dir.file("bump.pro")));
  EXPECT_TRUE(s.model().simulation.part_lengths_ft.empty());
  EXPECT_FALSE(s.model().flags.simulation_done);
}

TEST_F(SimulationSession, BatchListLogsTheMissingAndReportsTheRest) {
  WriteRunway(dir.file("m1.pro"), 1.5, 25);
  WriteRunway(dir.file("m3.Pro"));
  // Relative names are found beside the list; a Windows line end is no part of a name.
  const std::string list = dir.file("ProDatFiles.txt");
  WriteFileAtomically(list, "m1.Pro\r\nm2.Pro\n\n" + dir.file("m3.Pro") + "\n");
  Session s(prompts);
  ASSERT_TRUE(s.ProcessSimList(list));
  EXPECT_EQ(ReadLines(dir.file("ProDatFiles.log")),
            std::vector<std::string>{dir.file("m2") + " not processed because the .Pro file does not exist."});

  // The measurement's log: a taxi-speed block then a runway-speed block.
  const auto m1 = ReadLines(dir.file("m1.Log"));
  ASSERT_EQ(m1.size(), 32u);
  for (std::size_t at : {0u, 16u}) {
    const double knots = at ? 100.0 : 20.0;
    EXPECT_EQ(m1[at], "\"Measurement Name = \",\"m1\"");
    // The quoted label holds commas of its own; ft/s then knots follow it.
    const std::string label = "\"Aircraft speed, ft/s, knots = \",";
    ASSERT_EQ(m1[at + 1].rfind(label, 0), 0u);
    char* end = nullptr;
    EXPECT_NEAR(std::strtod(m1[at + 1].c_str() + label.size(), &end), knots * 1.6877921990244562, 1e-9);
    EXPECT_NEAR(std::strtod(end + 1, nullptr), knots, 1e-9);
    EXPECT_EQ(m1[at + 3], "\"Profile start step length, ft = \",.25");  // no leading zero
    EXPECT_EQ(m1[at + 7].rfind("\"Gcg min = \",-", 0), 0u);
    EXPECT_EQ(m1[at + 11], "\"GRMSpartI   length (ft)    GcgRMSpart (in)    GcpRMSpart (in)\"");
    // Parts of 0.75-ft steps: 1334 of them pass 1000 ft; whole feet, truncated.
    EXPECT_EQ(m1[at + 12].rfind("1,1000,", 0), 0u);
    EXPECT_EQ(m1[at + 14].rfind("3,999,", 0), 0u);
  }
  EXPECT_TRUE(prompts.messages.empty());

  // Stopped by the person during the first run: the batch ends there and says so.
  CancelAfter cancel(0);
  s.SetProgress(&cancel);
  EXPECT_FALSE(s.ProcessSimList(list));
  s.SetProgress(nullptr);
  EXPECT_EQ(ReadLines(dir.file("ProDatFiles.log")).back(), "Cancelled.");
  EXPECT_FALSE(s.ProcessSimList(dir.file("none.txt")));  // a list that cannot be read
  EXPECT_EQ(prompts.messages.size(), 1u);
}

}  // namespace
}  // namespace tarmac
