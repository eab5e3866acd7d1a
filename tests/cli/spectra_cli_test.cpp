// End-to-end runs of tarmac psd, pdf, cdf and edit on generated profiles.
#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>
#include <string>

#include "editing/new_length.h"
#include "workflow/session.h"
#include "workflow/synth.h"
#include "workflow/test_support.h"

namespace tarmac {
namespace {

namespace fs = std::filesystem;

class SpectraCli : public ::testing::Test {
 protected:
  void SetUp() override { WriteSynthPro(profile_, SynthesizeProfile(3000.0, 0.25, 11), 0.25); }
  int Tarmac(const std::string& args) { return testing::RunTarmac(args, "2>&1").rc; }
  nlohmann::json Json(const std::string& name) { return nlohmann::json::parse(testing::ReadAll(file(name))); }
  std::string file(const std::string& name) const { return dir_.file(name); }
  testing::TempDir dir_;
  std::string profile_ = dir_.file("strip.pro");
};

TEST_F(SpectraCli, EditNewLengthSavesTheCutSamples) {
  testing::RecordingPrompts prompts;
  Session s(prompts);
  ASSERT_TRUE(s.ReadFile(profile_));
  // 100 ft to 600 ft from the start at 0.25 ft: samples 401 to 2401.
  const std::vector<float> expected = CutProfile(s.model().ProfileZ, Selection{401, 2401});
  ASSERT_EQ(Tarmac("edit " + profile_ + " --new-length 100:600 --out " + file("cut.pro")), 0)
      << "edit failed";
  const std::string bytes = testing::ReadAll(file("cut.pro"));
  ASSERT_EQ(bytes.size(), expected.size() * 4);
  std::vector<float> saved(expected.size());
  std::memcpy(saved.data(), bytes.data(), bytes.size());
  EXPECT_EQ(saved, expected);

  // In metres the same stretch is 30.48 m to 182.88 m.
  ASSERT_EQ(Tarmac("edit " + profile_ + " --metric --new-length 30.48:182.88 --out " +
                   file("cut_m.pro")),
            0);
  EXPECT_EQ(testing::ReadAll(file("cut_m.pro")), bytes);

  // Edits run in the order given and a refused one saves nothing.
  EXPECT_EQ(Tarmac("edit " + profile_ + " --new-length 100:150 --out " + file("short.pro")), 4);
  EXPECT_FALSE(fs::exists(file("short.pro")));
  EXPECT_EQ(Tarmac("edit " + profile_ + " --new-length 100 --out " + file("bad.pro")), 2);
  EXPECT_EQ(Tarmac("edit " + profile_ + " --out " + file("none.pro")), 2);
}

TEST_F(SpectraCli, PsdAndPdfJsonOfTheProfile) {
  ASSERT_EQ(Tarmac("psd " + profile_ + " --exponent 8 --json " + file("psd.json") + " --png " +
                   file("psd.png")),
            0);
  const auto psd = Json("psd.json");
  // 3000 ft decimated to 2.5 ft: 1201 samples, a 1024-sample record from sample 88.
  EXPECT_EQ(psd["record_length"], 1024);
  EXPECT_EQ(psd["record_start"], 88);
  EXPECT_DOUBLE_EQ(psd["dt_s"].get<double>(), 2.5 / 58.0);
  EXPECT_EQ(psd["exponent"], 8);
  ASSERT_EQ(psd["frequencies_hz"].size(), 512u);
  ASSERT_EQ(psd["values"].size(), 512u);
  EXPECT_NEAR(psd["frequencies_hz"][511].get<double>(), 511.0 / 1024.0 / (2.5 / 58.0), 1e-9);
  EXPECT_GT(fs::file_size(file("psd.png")), 1000u);

  ASSERT_EQ(Tarmac("pdf " + profile_ + " --json " + file("pdf.json")), 0);
  const auto pdf = Json("pdf.json");
  EXPECT_EQ(pdf["nrp"], 400);
  for (const char* key : {"sigma", "density", "normal"}) EXPECT_EQ(pdf[key].size(), 801u) << key;
  EXPECT_GT(pdf["asdev"].get<double>(), 0.0);

  // A response without a simulation is refused as a computation.
  EXPECT_EQ(Tarmac("psd " + profile_ + " --series gcg"), 4);
  EXPECT_EQ(Tarmac("psd " + profile_ + " --series wing"), 2);
}

TEST_F(SpectraCli, CdfInDisplayUnits) {
  ASSERT_EQ(Tarmac("cdf " + profile_ + " straightedge --json " + file("us.json")), 0);
  ASSERT_EQ(Tarmac("cdf " + profile_ + " straightedge --metric --json " + file("mm.json")), 0);
  const auto us = Json("us.json"), mm = Json("mm.json");
  ASSERT_EQ(us["cdf"].size(), 100u);
  EXPECT_NEAR(mm["xmax"].get<double>(), 25.4 * us["xmax"].get<double>(),
              1e-5 * mm["xmax"].get<double>());
  EXPECT_DOUBLE_EQ(us["cdf"][99].get<double>(), 1.0);

  ASSERT_EQ(Tarmac("cdf " + profile_ + " bump --json " + file("bump.json")), 0);
  // The index run and the distribution run each add a line.
  EXPECT_EQ(testing::ReadLines(file("BoeingBumpPDFs.txt")).size(), 2u);
}

TEST_F(SpectraCli, ResponseSpectrumAfterASimulation) {
  ASSERT_EQ(Tarmac("psd " + profile_ + " --series gcg --simulate B-727@100 --json " +
                   file("gcg.json")),
            0);
  const auto j = Json("gcg.json");
  // The responses are sampled once per 2.5-ft step at 100 knots.
  EXPECT_NEAR(j["dt_s"].get<double>(), 2.5 / (100.0 * kKnotsToFps), 1e-12);
  EXPECT_EQ(j["record_length"], 1024);
  EXPECT_EQ(Tarmac("pdf " + profile_ + " --series rear_main --simulate B-727@100"), 4);
}

}  // namespace
}  // namespace tarmac
