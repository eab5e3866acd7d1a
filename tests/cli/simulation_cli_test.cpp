// The simulation JSON of tarmac analyze --simulate, the measurement batch with real plot
// pictures, and tarmac process-sim end to end.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "cli/analysis_json.h"
#include "cli/cli_common.h"
#include "workflow/profile_io.h"
#include "workflow/session.h"
#include "workflow/test_support.h"

namespace tarmac {
namespace {

namespace fs = std::filesystem;
using testing::RunTarmac;

class SimulationCli : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // 2500 ft at 0.25 ft with a 1.5-inch, 40-ft swell at 1200 ft.
    std::vector<float> z(10000, 0.0f);
    for (std::size_t i = 4800; i <= 4960; ++i)
      z[i] = static_cast<float>(0.75 * (1 - std::cos(2 * std::numbers::pi * (double(i) * 0.25 - 1200) / 40)));
    WriteFileAtomically(path("swell.pro"), EncodeProFile(z, 0.25));
  }
  std::string path(const std::string& name) const { return dir_.file(name); }
  testing::TempDir dir_;
  testing::RecordingPrompts prompts_;
};

TEST_F(SimulationCli, JsonHoldsEveryResponseWithConsistentTotals) {
  Session s(prompts_);
  ASSERT_TRUE(s.ReadFile(path("swell.pro")));
  std::vector<cli::SimulationRequest> reqs;
  ASSERT_TRUE(cli::ParseSimulationList("B-747@60,B-727@100", reqs));
  nlohmann::json j;
  for (const auto& r : reqs) ASSERT_TRUE(cli::RunSimulationRequest(s, r, true, j));
  ASSERT_EQ(j["simulations"].size(), 2u);

  const auto& a = j["simulations"][0];
  EXPECT_EQ(a["aircraft"], "B-747");
  EXPECT_EQ(a["speed_knots"].get<double>(), 60.0);
  EXPECT_DOUBLE_EQ(a["speed_fps"].get<double>(), 60 * 1.6877921990244562);
  EXPECT_DOUBLE_EQ(a["step_ft"].get<double>(), 2.5);
  EXPECT_DOUBLE_EQ(a["time_step_s"].get<double>(), 2.5 / (60 * 1.6877921990244562));
  // 0.0247 s per sample: ten inner steps of at most 0.0025 s.
  EXPECT_EQ(a["ground_n_inner"].get<int>(), 10);
  EXPECT_EQ(a["static_gear_loads_lb"].size(), 5u);
  const auto n = a["input"].size();
  EXPECT_EQ(n, 1000u);
  const auto& lengths = a["part_lengths_ft"];
  ASSERT_EQ(lengths.size(), 3u);  // 1002.5, 1002.5, 495
  for (const char* key : {"gcg", "gcp", "nose", "main", "rear_main"}) {
    SCOPED_TRACE(key);
    ASSERT_TRUE(a["responses"].contains(key));
    const auto& r = a["responses"][key];
    for (const char* field : {"first2000", "center2000", "last2000"}) EXPECT_TRUE(r[field].is_number()) << field;
    ASSERT_EQ(r["series"].size(), n);
    ASSERT_EQ(r["parts"].size(), lengths.size());
    // The total is the length-weighted RMS of the parts.
    double sum = 0, len = 0;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
      const double p = r["parts"][i].get<double>(), l = lengths[i].get<double>();
      sum += p * p * l;
      len += l;
    }
    EXPECT_NEAR(r["total_rms"].get<double>(), std::sqrt(sum / len),
                1e-6 * r["total_rms"].get<double>() + 1e-9);
    // The extremes bound the series; the swell moves every response away from zero.
    double lo = 1e9, hi = -1e9;
    for (const auto& v : r["series"])
      lo = std::min(lo, v.get<double>()), hi = std::max(hi, v.get<double>());
    EXPECT_NEAR(r["min"].get<double>(),
                std::min(lo, std::string(key) == "gcg" || std::string(key) == "gcp" ? 0.0 : 1.0),
                1e-6);
    EXPECT_NEAR(r["max"].get<double>(), std::max(hi, 0.0), 1e-6);
    EXPECT_GT(r["max"].get<double>(), 0.0);
  }
  const auto& b = j["simulations"][1];
  EXPECT_EQ(b["aircraft"], "B-727");
  EXPECT_FALSE(b["responses"].contains("rear_main"));
  EXPECT_EQ(b["static_gear_loads_lb"].size(), 3u);
  EXPECT_EQ(s.model().settings.AircraftType, "B-727");
  // An aircraft the program does not know is refused before anything runs.
  EXPECT_FALSE(cli::ParseSimulationList("A-380@100", reqs));
}

TEST_F(SimulationCli, MeasurementReportCarriesThePlotPictures) {
  std::ofstream(path("ProDatFiles.txt")) << "swell.Pro\n";
  RenderPlotSink plots;
  Session s(prompts_, &plots);
  ASSERT_TRUE(s.ProcessSimList(path("ProDatFiles.txt")));
  const std::string doc = testing::ReadAll(path("swell.docx"));
  // Profile, then two runs of cg and cockpit acceleration: five pictures (no speed file).
  std::size_t pictures = 0;
  for (int k = 1; k <= 8; ++k)
    if (doc.find("word/media/image" + std::to_string(k) + ".png") != std::string::npos) ++pictures;
  EXPECT_EQ(pictures, 5u);
  EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(SimulationCli, ProcessSimCommandEndToEnd) {
  EXPECT_EQ(RunTarmac("process-sim " + path("no-list.txt")).rc, 3);
  std::ofstream(path("list.txt")) << "swell.Pro\nabsent.Pro\n";
  const auto r = RunTarmac("process-sim --set AircraftType=DC-9 " + path("list.txt"));
  EXPECT_EQ(r.rc, 0) << r.out;
  EXPECT_TRUE(fs::exists(path("swell.docx")));
  const auto log = testing::ReadLines(path("ProDatFiles.log"));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], path("absent") + " not processed because the .Pro file does not exist.");

  const auto a =
      RunTarmac("analyze " + path("swell.pro") + " --index none --simulate DC-10@80 --batch --json -");
  ASSERT_EQ(a.rc, 0);
  const auto j = nlohmann::json::parse(a.out.substr(a.out.find('{')));
  EXPECT_EQ(j["simulations"][0]["aircraft"], "DC-10");
  EXPECT_FALSE(j["simulations"][0]["responses"]["gcg"].contains("series"));
}

}  // namespace
}  // namespace tarmac
