// The command line as a new user meets it: names in any case, slips answered with the nearest
// valid name, the settings listed with the ranges --set refuses with, one-line messages and the
// exit code rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/analysis_json.h"
#include "cli/cli_common.h"
#include "cli/names.h"
#include "common/version.h"
#include "workflow/profile_io.h"
#include "workflow/settings.h"
#include "workflow/synth.h"
#include "workflow/test_support.h"

namespace tarmac {
namespace {

namespace fs = std::filesystem;

class Usage : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    WriteSynthPro(dir_.file("strip.pro"), SynthesizeProfile(2600.0, 0.25, 5), 0.25);
  }
  // Exit code, standard output and standard error of one run.
  struct Run {
    int rc;
    std::string out, err;
  };
  Run Tarmac(const std::string& args) {
    const std::string err = dir_.file("stderr.txt");
    const auto r = testing::RunTarmac(args, "2>'" + err + "'");
    return {r.rc, r.out, testing::ReadAll(err)};
  }
  std::string path(const std::string& name) const { return dir_.file(name); }
  static int Lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  }
  testing::TempDir dir_;
};

TEST_F(Usage, NamesInAnyCaseAndSlipsAnsweredWithTheNearestName) {
  std::vector<int> options;
  ASSERT_TRUE(cli::ParseIndexList("IRI, Straightedge,band-pass,Boeing Bump", options));
  EXPECT_EQ(options, (std::vector<int>{2, 0, 4, 1}));
  EXPECT_TRUE(cli::ParseIndexList("ALL", options));
  EXPECT_EQ(options.size(), 5u);
  EXPECT_FALSE(cli::ParseIndexList("iri,irri", options));

  std::vector<cli::SimulationRequest> sims;
  ASSERT_TRUE(cli::ParseSimulationList("b747@100,DC10@20,B-727@10", sims));
  ASSERT_EQ(sims.size(), 3u);
  EXPECT_EQ(sims[0].aircraft, "B-747");
  EXPECT_EQ(sims[1].aircraft, "DC-10");
  EXPECT_DOUBLE_EQ(sims[1].knots, 20);
  EXPECT_DOUBLE_EQ(sims[2].knots, 10);  // the lowest speed allowed is allowed
  EXPECT_FALSE(cli::ParseSimulationList("B-737@100", sims));
  EXPECT_FALSE(cli::ParseSimulationList("B-747@200.5", sims));
  EXPECT_FALSE(cli::ParseSimulationList("B-747", sims));

  // A swap, a letter left out, a prefix: all slips; a word far from every name is not.
  const std::vector<std::string> commands = {"read", "analyze", "batch", "settings", "edit"};
  EXPECT_EQ(cli::EditDistance("anlayze", "analyze"), 1);
  EXPECT_EQ(cli::Nearest("anlyze", commands), "analyze");
  EXPECT_EQ(cli::Nearest("SETINGS", commands), "settings");
  EXPECT_EQ(cli::Nearest("sett", commands), "settings");
  EXPECT_EQ(cli::Nearest("zzzzzz", commands), "");

  auto r = Tarmac("anlyze " + path("strip.pro"));
  EXPECT_EQ(r.rc, 2);
  EXPECT_NE(r.err.find("unknown command \"anlyze\" (did you mean analyze?)"), std::string::npos)
      << r.err;
  r = Tarmac("analyze " + path("strip.pro") + " --metirc");
  EXPECT_EQ(r.rc, 2);
  EXPECT_NE(r.err.find("unknown option --metirc (did you mean --metric?)"), std::string::npos)
      << r.err;
  EXPECT_EQ(Lines(r.err), 1) << r.err;

  r = Tarmac("--version");
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out, std::string("tarmac ") + kVersion + "\n");

  // Typed as a person would: the aircraft without its hyphen, upper-case index and surface.
  r = Tarmac("analyze " + path("strip.pro") +
             " --batch --index IRI,Bandpass --simulate b727@100 --surface CONCRETE "
             "--elevation-unit IN --json " + path("r.json"));
  ASSERT_EQ(r.rc, 0) << r.err;
  const auto j = nlohmann::json::parse(testing::ReadAll(path("r.json")));
  EXPECT_TRUE(j["indexes"].contains("iri"));
  EXPECT_TRUE(j["indexes"].contains("bandpass"));
  EXPECT_EQ(j["simulations"][0]["aircraft"], "B-727");
  EXPECT_EQ(j["settings"]["SurfaceType"]["value"], "Concrete");
}

TEST_F(Usage, AnOptionValueThatIsAnOptionIsRefusedAndWritesNothing) {
  const auto r = Tarmac("read " + path("strip.pro") + " --json --batch");
  EXPECT_EQ(r.rc, 2);
  EXPECT_NE(r.err.find("--json needs a value, but the next word is the option --batch"),
            std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(path("--batch")));
  EXPECT_FALSE(fs::exists(path("Results.txt")));  // nothing was read
  // "-" is the standard output, and a negative number is a value.
  EXPECT_EQ(Tarmac("read " + path("strip.pro") + " --json -").rc, 0);
}

TEST_F(Usage, SettingsListedFromTheTableAndSetRefusedWithTheSameRange) {
  auto r = Tarmac("settings --set AircraftSpeed=120 --set decimationrule=FIXED");
  ASSERT_EQ(r.rc, 0) << r.err;
  for (const SettingSpec& spec : SettingTable())
    EXPECT_NE(r.out.find("  " + std::string(spec.name) + " "), std::string::npos) << spec.name;
  const auto row = [&](const std::string& name) {
    const auto at = r.out.find("  " + name + " ");
    return at == std::string::npos ? std::string() : r.out.substr(at, r.out.find('\n', at) - at);
  };
  // Default, range and the value in force, in the units shown.
  EXPECT_NE(row("AircraftSpeed").find("100.0"), std::string::npos) << row("AircraftSpeed");
  EXPECT_NE(row("AircraftSpeed").find("10 to 200 knots"), std::string::npos);
  EXPECT_NE(row("AircraftSpeed").find("120.0"), std::string::npos);
  EXPECT_NE(row("DecimationRule").find("spacing or fixed"), std::string::npos);
  EXPECT_EQ(row("DecimationRule").substr(row("DecimationRule").size() - 5), "fixed");

  r = Tarmac("settings --metric");
  ASSERT_EQ(r.rc, 0);
  EXPECT_NE(row("SampleSpacing").find("0.0003048 to 0.6096 m"), std::string::npos)
      << row("SampleSpacing");
  EXPECT_NE(row("SectionLengthCAPI").find("99.9744 to 199.9488 m"), std::string::npos)
      << row("SectionLengthCAPI");

  // The limits themselves are taken; beyond them --set names the same range, on one line.
  EXPECT_EQ(Tarmac("read " + path("strip.pro") + " --metric --set SectionLengthCAPI=199.9488").rc, 0);
  r = Tarmac("read " + path("strip.pro") + " --metric --set SectionLengthCAPI=200");
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.err, "tarmac: --set SectionLengthCAPI=200 refused: SectionLengthCAPI takes 99.9744 "
                   "to 199.9488 m\n");
  r = Tarmac("read " + path("strip.pro") + " --set SampleSpacing=abc");
  EXPECT_EQ(r.rc, 2);
  EXPECT_NE(r.err.find("\"abc\" is not a number; SampleSpacing takes 0.001 to 2 ft"),
            std::string::npos) << r.err;
  r = Tarmac("read " + path("strip.pro") + " --set SmothingDistance=300");
  EXPECT_EQ(r.rc, 2);
  EXPECT_NE(r.err.find("(did you mean SmoothingDistance?)"), std::string::npos) << r.err;
  r = Tarmac("settings --set aircrafttype=dc9 --set SurfaceType=asphalt");
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_NE(row("AircraftType").find("B-727       B-727, B-747, DC-9 or DC-10, now DC-9"),
            std::string::npos) << row("AircraftType");
  EXPECT_NE(row("SurfaceType").find(", now Asphalt"), std::string::npos) << row("SurfaceType");
  r = Tarmac("settings --set AircraftType=B-737");
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.err, "tarmac: --set AircraftType=B-737 refused: AircraftType takes B-727, B-747, "
                   "DC-9 or DC-10\n");
}

TEST_F(Usage, OneLineMessagesAndOneExitCodeRule) {
  // 3: an input file refused, missing or of no profile format; the file named, once.
  auto r = Tarmac("read " + path("missing.pro"));
  EXPECT_EQ(r.rc, 3);
  EXPECT_EQ(r.err, "tarmac: cannot read the profile " + path("missing.pro") + ": no such file\n");
  std::ofstream(path("runway.xyz")) << "0,1\n";
  r = Tarmac("analyze " + path("runway.xyz"));
  EXPECT_EQ(r.rc, 3);
  EXPECT_EQ(Lines(r.err), 1) << r.err;
  for (const char* type : {".pro", ".dat", ".erd", ".csv", ".txt"})
    EXPECT_NE(r.err.find(type), std::string::npos) << r.err;

  std::ofstream(path("bad.csv")) << "Distance,Elevation\n0,1\n0.25,abc\n";
  r = Tarmac("read " + path("bad.csv"));
  EXPECT_EQ(r.rc, 3);
  EXPECT_EQ(r.err, "tarmac: cannot read the profile " + path("bad.csv") +
                       ": Line 3 of the file: the elevation in column 2, \"abc\", is not a number.\n");

  // 4: a computation refused (a cut past the end of the profile).
  EXPECT_EQ(Tarmac("edit " + path("strip.pro") + " --out " + path("e.pro") +
                   " --new-length 0:9000").rc, 4);

  // 5: an output that could not be written, the JSON and the CSV alike.
  const std::string nowhere = path("no/such/folder/");
  r = Tarmac("read " + path("strip.pro") + " --json " + nowhere + "r.json");
  EXPECT_EQ(r.rc, 5) << r.err;
  EXPECT_NE(r.err.find(nowhere + "r.json"), std::string::npos) << r.err;
  r = Tarmac("export " + path("strip.pro") + " --batch --csv " + nowhere + "r.csv");
  EXPECT_EQ(r.rc, 5) << r.err;
  EXPECT_NE(r.err.find(nowhere + "r.csv"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("Error Error"), std::string::npos) << r.err;

  // The rule is written where a person looks for it.
  r = Tarmac("--help");
  for (const char* code : {"2 usage", "3 an input file refused", "4 a computation refused",
                           "5 an output could not be written"})
    EXPECT_NE(r.out.find(code), std::string::npos) << code;
}

// The lines of a summary that start with `first` (after the indent).
std::vector<std::string> RowsStarting(const std::string& text, const std::vector<std::string>& first) {
  std::vector<std::string> rows;
  std::size_t at = 0;
  for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
    const std::string line = text.substr(at, end - at);
    for (const std::string& f : first)
      if (line.starts_with("  " + f + " ")) rows.push_back(line);
  }
  return rows;
}

TEST_F(Usage, ConsoleSummaryInButtonOrderWithUnitsAlignedAndNaForMissingStretches) {
  WriteSynthPro(path("short.pro"), SynthesizeProfile(1500.0, 0.25, 3), 0.25);
  const std::vector<std::string> names = {"index", "Straightedge", "Boeing Bump", "IRI",
                                          "CA Profilograph", "Bandpass"};
  auto r = Tarmac("analyze " + path("short.pro") +
                  " --batch --index bandpass,iri,straightedge --simulate B-727@100");
  ASSERT_EQ(r.rc, 0) << r.err;
  auto rows = RowsStarting(r.out, names);
  ASSERT_EQ(rows.size(), 4u) << r.out;
  EXPECT_TRUE(rows[1].starts_with("  Straightedge ")) << r.out;
  EXPECT_TRUE(rows[2].starts_with("  IRI ")) << r.out;
  EXPECT_TRUE(rows[3].starts_with("  Bandpass ")) << r.out;
  // 1500 ft holds no 2000-ft stretch; the columns end where the heading's do.
  for (std::size_t i = 1; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].size(), rows[0].size()) << rows[i];
    EXPECT_NE(rows[i].find("n/a            n/a            n/a"), std::string::npos) << rows[i];
  }
  EXPECT_NE(rows[2].find(" in/mi "), std::string::npos) << rows[2];
  EXPECT_NE(rows[3].find(" in "), std::string::npos) << rows[3];
  const auto sims = RowsStarting(r.out, {"simulation", "B-727 at 100 knots"});
  ASSERT_EQ(sims.size(), 2u) << r.out;
  EXPECT_NE(sims[0].find("peak"), std::string::npos);
  EXPECT_NE(sims[1].find("cg acceleration"), std::string::npos);
  EXPECT_NE(sims[1].find(" g "), std::string::npos);
  EXPECT_EQ(sims[1].size(), sims[0].size()) << sims[1];
  EXPECT_EQ(sims[1].find(" g "), sims[0].find(" unit")) << sims[1];

  r = Tarmac("analyze " + path("strip.pro") + " --batch --metric --index iri");
  rows = RowsStarting(r.out, names);
  ASSERT_EQ(rows.size(), 2u) << r.out;
  EXPECT_EQ(rows[1].find("n/a"), std::string::npos) << rows[1];
  EXPECT_NE(rows[1].find(" m/km "), std::string::npos) << rows[1];
}

}  // namespace
}  // namespace tarmac
