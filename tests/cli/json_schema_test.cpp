// The JSON of the bundled sample runway, in both unit systems, against the schema under docs/,
// and the units it names against the values it holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "workflow/test_support.h"

namespace tarmac {
namespace {

namespace fs = std::filesystem;

const std::string kSchema = TARMAC_SOURCE_DIR "/docs/tarmac-results.schema.json";
const std::string kValidator = "/usr/bin/python3 " TARMAC_SOURCE_DIR "/tests/cli/validate_json.py";

testing::RunResult Validate(const std::string& json) {
  return testing::RunShell(kValidator + " " + kSchema + " '" + json + "' 2>&1");
}

TEST(JsonSchema, SampleRunwayConformsInBothUnitSystemsAndItsUnitsMatchItsValues) {
  testing::TempDir dir;
  for (const char* name : {"runway.pro", "runway.spd"})
    fs::copy_file(fs::path(TARMAC_SOURCE_DIR) / "data" / name, dir.path() / name);
  nlohmann::json j[2];
  for (int metric = 0; metric < 2; ++metric) {
    const std::string json = dir.file(metric ? "metric.json" : "us.json");
    const auto r = testing::RunTarmac("analyze " + dir.file("runway.pro") +
                                      " --batch --simulate b747@100 --json " + json +
                                      (metric ? " --metric" : ""));
    ASSERT_EQ(r.rc, 0);
    const auto v = Validate(json);
    EXPECT_EQ(v.rc, 0) << v.out;
    j[metric] = nlohmann::json::parse(testing::ReadAll(json));
  }
  const auto& us = j[0];
  const auto& si = j[1];
  EXPECT_EQ(us["tarmac"]["command_line"][1], "analyze");
  EXPECT_EQ(si["tarmac"]["command_line"].back(), "--metric");
  EXPECT_EQ(us["profile"]["source"]["format"], "pro");
  EXPECT_EQ(us["profile"]["source"]["speed"], true);

  // What each units object names is what the numbers beside it are in.
  const auto ratio = [&](const nlohmann::json& a, const nlohmann::json& b) {
    return b.get<double>() / a.get<double>();
  };
  EXPECT_NEAR(ratio(us["profile"]["length"], si["profile"]["length"]), 0.3048, 1e-9);
  EXPECT_EQ(si["profile"]["units"]["length"], "m");
  EXPECT_NEAR(ratio(us["settings"]["SmoothingDistance"]["value"],
                    si["settings"]["SmoothingDistance"]["value"]), 0.3048, 1e-9);
  EXPECT_EQ(si["settings"]["SmoothingDistance"]["unit"], "m");
  struct Expect { const char* key; const char* us_unit; const char* si_unit; double factor; };
  for (const Expect& e : {Expect{"straightedge", "in", "mm", 25.4},
                          Expect{"iri", "in/mi", "m/km", 25.4 / 1609.344},
                          Expect{"bandpass", "in", "mm", 25.4}, Expect{"bump", "-", "-", 1.0}}) {
    const auto& a = us["indexes"][e.key];
    const auto& b = si["indexes"][e.key];
    EXPECT_EQ(a["units"]["value"], e.us_unit) << e.key;
    EXPECT_EQ(b["units"]["value"], e.si_unit) << e.key;
    EXPECT_EQ(b["units"]["section_lengths"], "m") << e.key;
    EXPECT_NEAR(ratio(a["value"], b["value"]), e.factor, 0.01 * e.factor) << e.key;
    EXPECT_NEAR(ratio(a["first2000"], b["first2000"]), e.factor, 0.01 * e.factor) << e.key;
    EXPECT_NEAR(ratio(a["section_lengths"][0], b["section_lengths"][0]), 0.3048, 0.001) << e.key;
  }
  const auto& gcg = us["simulations"][0]["responses"]["gcg"];
  EXPECT_DOUBLE_EQ(gcg["peak"].get<double>(), std::max(std::abs(gcg["min"].get<double>()),
                                                       std::abs(gcg["max"].get<double>())));
  EXPECT_EQ(us["simulations"][0]["units"]["weight"], "lb");
  EXPECT_EQ(si["simulations"][0]["units"]["weight"], "kg");
  EXPECT_NEAR(ratio(us["simulations"][0]["weight"], si["simulations"][0]["weight"]), 0.4536,
              0.001);

  // The checker itself catches a document that lacks a unit or names a wrong one.
  auto broken = us;
  broken["indexes"]["iri"]["units"].erase("value");
  broken["simulations"][0]["units"]["responses"]["gcg"] = "m/s2";
  testing::WriteText(dir.file("broken.json"), broken.dump());
  const auto v = Validate(dir.file("broken.json"));
  EXPECT_EQ(v.rc, 1);
  EXPECT_NE(v.out.find("$.indexes.iri.units: value is missing"), std::string::npos) << v.out;
  EXPECT_NE(v.out.find("$.simulations[0].units.responses.gcg"), std::string::npos) << v.out;
}

}  // namespace
}  // namespace tarmac
