// The locations beyond limits on the bundled sample: the stretches the JSON lists agree with a
// plain loop over the JSON's own series, and the CSV file, the JSON and the batch report's table
// agree with each other.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "workflow/batch_support.h"
#include "workflow/test_support.h"

namespace tarmac {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

struct Stretch {
  double start, end, peak;
};

// Runs of |v| (or v) beyond the limit, merged when the next run starts less than `merge` ft after
// the last sample of the one before; distances from the first sample, a stretch ending one step
// past its last sample.
std::vector<Stretch> PlainLoop(const std::vector<double>& v, double step, double limit,
                               bool bothSigns, double merge) {
  std::vector<Stretch> out;
  long lastBeyond = -1000000;
  double peakBeyond = 0;
  for (long i = 0; i < static_cast<long>(v.size()); ++i) {
    const double x = bothSigns ? std::fabs(v[i]) : v[i];
    if (!(x > limit)) continue;
    if (!out.empty() && (i == lastBeyond + 1 || (i - lastBeyond) * step < merge)) {
      out.back().end = (i + 1) * step;
      if (x > peakBeyond) peakBeyond = x, out.back().peak = v[i];
    } else {
      out.push_back({i * step, (i + 1) * step, v[i]});
      peakBeyond = x;
    }
    lastBeyond = i;
  }
  return out;
}

std::vector<Stretch> FromJson(const json& list) {
  std::vector<Stretch> out;
  for (const json& s : list)
    out.push_back({s["start"].get<double>(), s["end"].get<double>(), s["peak"].get<double>()});
  return out;
}

void ExpectSame(const std::vector<Stretch>& want, const std::vector<Stretch>& got, double step,
                const std::string& what) {
  SCOPED_TRACE(what);
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(got[i].start, want[i].start, 1e-6 * step) << i;
    EXPECT_NEAR(got[i].end, want[i].end, 1e-6 * step) << i;
    EXPECT_NEAR(got[i].peak, want[i].peak, 1e-6 * std::fabs(want[i].peak)) << i;
  }
}

std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> cells;
    std::string cell;
    bool quoted = false;
    for (char c : line) {
      if (c == '"') quoted = !quoted;
      else if (c == ',' && !quoted) cells.push_back(cell), cell.clear();
      else cell += c;
    }
    cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

class ExceedancesCli : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    for (const char* f : {"runway.pro", "runway.spd"})
      fs::copy_file(fs::path(TARMAC_SOURCE_DIR) / "data" / f, dir_.path() / f);
  }
  testing::TempDir dir_;
};

TEST_F(ExceedancesCli, StretchesAgreeWithAPlainLoopAndCsvJsonAndReportAgree) {
  const std::string pro = dir_.file("runway.pro");
  // Tight limits, so that every kind has stretches on the sample to compare.
  const std::string limits =
      " --set StraightedgeLimit=0.05 --set BumpIndexLimit=0.2 --set ShortIriLimit=60"
      " --set ScallopLimit=0.05 --set AccelerationLimit=0.05 --set DynamicLoadLimit=0.05";
  const auto r = testing::RunTarmac("analyze '" + pro + "' --batch --series --exceedances"
                                    " --simulate B-727@100 --json '" + dir_.file("out.json") +
                                    "'" + limits);
  ASSERT_EQ(r.rc, 0) << r.out;
  const json j = json::parse(testing::ReadAll(dir_.file("out.json")));

  // The straightedge, the bump index and the cg acceleration: the plain loop over the series.
  const json& se = j["indexes"]["straightedge"];
  const double seStep = se["step_ft"];
  ExpectSame(PlainLoop(se["series"], seStep, 0.05, false,
                       j["settings"]["StraightedgeLength"]["value"]),
             FromJson(se["exceedances"]), seStep, "straightedge");
  EXPECT_EQ(se["pass"], se["exceedances"].empty());
  const json& bump = j["indexes"]["bump"];
  ExpectSame(PlainLoop(bump["series"], bump["step_ft"], 0.2, false, 18 / 0.3048),
             FromJson(bump["exceedances"]), bump["step_ft"], "bump");
  const json& sim = j["simulations"][0];
  for (const char* key : {"gcg", "nose"})
    ExpectSame(PlainLoop(sim["responses"][key]["series"], sim["step_ft"], 0.05, true,
                         sim["speed_fps"].get<double>()),
               FromJson(sim["responses"][key]["exceedances"]), sim["step_ft"], key);
  // The IRI over 25 ft: a centred sliding mean of the rectified slope, unknown near the ends.
  const json& iri = j["indexes"]["iri"];
  const double iriStep = iri["step_ft"];
  const std::vector<double> slope = iri["series"];
  const long w = std::lround(25.0 / iriStep);
  std::vector<double> shortIri(slope.size(), 0.0);
  for (long s = 0; s + w <= static_cast<long>(slope.size()); ++s) {
    double sum = 0;
    for (long k = s; k < s + w; ++k) sum += slope[static_cast<std::size_t>(k)];
    shortIri[static_cast<std::size_t>(s + (w - 1) / 2)] = sum / w;
  }
  const auto wantIri = PlainLoop(shortIri, iriStep, 60, false, 25);
  const auto gotIri = FromJson(iri["exceedances"]);
  ASSERT_EQ(gotIri.size(), wantIri.size());
  for (std::size_t i = 0; i < wantIri.size(); ++i) {
    EXPECT_NEAR(gotIri[i].start, wantIri[i].start, 1e-6);
    EXPECT_NEAR(gotIri[i].peak, wantIri[i].peak, 1e-3);  // float running sum against double
  }
  for (const char* key : {"straightedge", "bump", "iri", "profilograph"})
    EXPECT_FALSE(j["indexes"][key]["exceedances"].empty()) << key << ": limits too loose to test";

  // The CSV: one row per stretch, the kinds in the order judged, the numbers of the JSON.
  const auto csv = CsvRows(testing::ReadAll(dir_.file("Exceedances.csv")));
  ASSERT_FALSE(csv.empty());
  EXPECT_EQ(csv[0], (std::vector<std::string>{"profile", "kind", "start", "end", "length", "peak",
                                              "peak location", "limit", "units"}));
  std::vector<const json*> lists;
  for (const char* key : {"straightedge", "bump", "iri", "profilograph"})
    lists.push_back(&j["indexes"][key]["exceedances"]);
  for (const char* key : {"gcg", "gcp", "nose", "main"})
    lists.push_back(&sim["responses"][key]["exceedances"]);
  std::size_t row = 1;
  for (const json* list : lists)
    for (const json& s : *list) {
      ASSERT_LT(row, csv.size());
      const auto& c = csv[row++];
      ASSERT_EQ(c.size(), 9u);
      EXPECT_EQ(c[0], "runway.pro");
      EXPECT_NEAR(std::stod(c[2]), s["start"].get<double>(), 5e-4);
      EXPECT_NEAR(std::stod(c[3]), s["end"].get<double>(), 5e-4);
      EXPECT_NEAR(std::stod(c[4]), s["length"].get<double>(), 5e-4);
      EXPECT_NEAR(std::stod(c[5]), s["peak"].get<double>(), 5e-5);
      EXPECT_NEAR(std::stod(c[6]), s["peak_location"].get<double>(), 5e-4);
    }
  EXPECT_EQ(row, csv.size());
  EXPECT_EQ(csv[1][8], "ft / in");

  // The batch report's table of the same profile with the same limits: the index kinds' rows.
  const std::string python = testing::PythonWithDocx();
  if (python.empty()) GTEST_SKIP() << "python3 with the docx package is not available";
  ASSERT_EQ(testing::RunTarmac("batch '" + pro + "' --taxiway" + limits).rc, 0);
  const testing::DocFacts d = testing::ReadDoc(python, dir_.file("WordFile/runway.docx"));
  ASSERT_GE(d.tables.size(), 2u);
  EXPECT_EQ(d.Text(2, 1, 1), "Kind");
  int r2 = 2;
  for (std::size_t k = 0; k < 4; ++k)
    for (const json& s : *lists[k]) {
      EXPECT_NEAR(d.Number(2, r2, 2), s["start"].get<double>(), 0.051);
      EXPECT_NEAR(d.Number(2, r2, 3), s["end"].get<double>(), 0.051);
      EXPECT_NEAR(std::stod(d.Text(2, r2, 5)), s["peak"].get<double>(), 5e-4);
      ++r2;
    }
  EXPECT_EQ(r2, d.tables[1].first + 1);  // every kind failed: no "none" rows
  bool verdict = false;
  for (const auto& p : d.paragraphs)
    verdict = verdict || p.rfind("Fails: Straightedge deviation (" +
                                     std::to_string(lists[0]->size()) + " stretches)",
                                 0) == 0;
  EXPECT_TRUE(verdict);
}

}  // namespace
}  // namespace tarmac
