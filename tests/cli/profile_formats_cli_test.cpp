// Every profile format through the command line, and every refusal: exit code, message, and
// nothing written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "workflow/erd.h"
#include "workflow/profile_io.h"
#include "workflow/session.h"
#include "workflow/synth.h"
#include "workflow/test_support.h"

namespace tarmac {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::WriteText;

class ProfileFormatsCli : public ::testing::Test {
 protected:
  void SetUp() override {
    z_ = SynthesizeProfile(500.0, 0.25, 31);  // 2001 samples
    WriteText(path("a.pro"), EncodeProFile(z_, 0.25));
    // The profile as the read command makes it, in this process: the reference of every format.
    Session s(prompts_);
    ASSERT_TRUE(s.SetSetting("CuttingLength", "0"));
    ASSERT_TRUE(s.ReadFile(path("a.pro")));
    reference_ = s.model().profile;
  }
  std::string path(const std::string& name) const { return dir_.file(name); }
  // Runs tarmac with standard error joined to the output; a command that blocks is stopped.
  testing::RunResult Run(const std::string& args) {
    return testing::RunShell("QT_QPA_PLATFORM=offscreen timeout 20 " TARMAC_BINARY_DIR "/src/cli/tarmac " + args +
                             " 2>&1");
  }
  // The JSON that `read --json -` prints after the summary lines (on stderr).
  nlohmann::json ReadJson(const std::string& file, const std::string& options = "") {
    const auto r = testing::RunShell("QT_QPA_PLATFORM=offscreen " TARMAC_BINARY_DIR "/src/cli/tarmac read '" + file +
                                     "' --set CuttingLength=0 --series --json - " + options + " 2>/dev/null");
    EXPECT_EQ(r.rc, 0) << file;
    return r.rc == 0 ? nlohmann::json::parse(r.out) : nlohmann::json{};
  }
  static std::vector<float> Series(const nlohmann::json& j) {
    std::vector<float> v;
    for (const auto& x : j["profile"]["series"]) v.push_back(static_cast<float>(x.get<double>()));
    return v;
  }
  std::vector<float> z_, reference_;
  testing::TempDir dir_;
  testing::RecordingPrompts prompts_;
};

TEST_F(ProfileFormatsCli, EveryFormatReadsAsTheSameProfile) {
  // Files that carry the elevations to the last bit: the same analysis profile.
  WriteText(path("a.dat"), FormatDatProfile("A", z_, 0.25));
  std::string no_increment = FormatDatProfile("A", z_, 0.25);
  no_increment.erase(no_increment.find("Data Increment:"), no_increment.find("Data Points:") - no_increment.find("Data Increment:"));
  WriteText(path("b.dat"), no_increment);
  WriteText(path("a.erd"), FormatErd("A", z_, 0.25));
  WriteText(path("a.csv"), FormatSeriesCsv("Distance (ft)", "Elevation (in)", 0.25, z_, 1.0));
  for (const char* name : {"a.pro", "a.dat", "b.dat", "a.erd", "a.csv"}) {
    SCOPED_TRACE(name);
    const nlohmann::json j = ReadJson(path(name));
    EXPECT_EQ(j["profile"]["sample_spacing_ft"].get<double>(), 0.25);
    EXPECT_EQ(Series(j), reference_);
  }

  // A public-database ERD (fixed fields, three wheel paths in mm, 0.0762 m apart) and a
  // headerless text of three columns in metres and millimetres with decimal commas.
  std::string ltpp = "ERDFILEV2.00\n      3,   2001,     -1,      1,      5,       0.0762,     -1,\n"
                     "TITLE   LTPP Section 1\nUNITSNAMmm      mm      mm\nXUNITS  m\nDATE    11/Apr/1997\n\nEND\n";
  std::string txt;
  char row[96];
  for (std::size_t i = 0; i < z_.size(); ++i) {
    std::snprintf(row, sizeof row, "%9.3f %9.3f %9.3f\n", 0.0, z_[i] * 25.4, 1.0);
    ltpp += row;
    std::snprintf(row, sizeof row, "%.4f;0;%.3f\n", 0.0762 * static_cast<double>(i), z_[i] * 25.4);
    txt += row;
  }
  for (char& c : txt)
    if (c == '.') c = ',';
  WriteText(path("ltpp.erd"), ltpp);
  WriteText(path("b.txt"), txt);
  const std::pair<std::string, std::string> metric[] = {
      {"ltpp.erd", "--channel 2"}, {"b.txt", "--column 3 --distance-unit m --elevation-unit mm"}};
  for (const auto& [name, options] : metric) {
    SCOPED_TRACE(name);
    const nlohmann::json j = ReadJson(path(name), options);
    EXPECT_NEAR(j["profile"]["sample_spacing_ft"].get<double>(), 0.0762 / 0.3048, 1e-9);
    const std::vector<float> v = Series(j);
    ASSERT_EQ(v.size(), reference_.size());
    for (std::size_t i = 0; i < v.size(); ++i) ASSERT_NEAR(v[i], reference_[i], 0.0006 / 25.4 * 2) << i;
  }
}

TEST_F(ProfileFormatsCli, ExportedCsvReadsBackAsTheSameProfile) {
  // Reading the export removes the end-to-end line once more, as reading a saved profile does.
  const std::vector<float> again = PrepareAnalysisProfile(reference_, 0);
  for (const char* units : {"", "--metric"}) {
    SCOPED_TRACE(units);
    const auto r = Run("export " + path("a.pro") + " --set CuttingLength=0 --csv " + path("out.csv") + " " + units);
    ASSERT_EQ(r.rc, 0) << r.out;
    const nlohmann::json j = ReadJson(path("out.csv"), units);
    EXPECT_NEAR(j["profile"]["sample_spacing_ft"].get<double>(), 0.25, 1e-12);
    EXPECT_EQ(Series(j), again);
  }
}

TEST_F(ProfileFormatsCli, RefusedInputsExitThreeNamingTheFaultAndWriteNothing) {
  fs::create_directories(path("bad"));
  const auto bad = [&](const std::string& name) { return path("bad/" + name); };
  // 1000 random bytes named .pro: no profile, however it is read.
  std::mt19937 gen(1000);
  std::string noise(1000, '\0');
  for (char& c : noise) c = static_cast<char>(gen() & 0xFF);
  WriteText(bad("noise.pro"), noise);
  ASSERT_EQ(mkfifo(bad("pipe.pro").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", bad("zero.pro"));
  WriteText(bad("bin.erd"), "ERDFILEV2.00\n1,100,-1,1,4,0.25,-1\nUNITSNAM,in\nXUNITS,ft\nEND\n");
  fs::create_symlink("/dev/zero", bad("bin.bin"));
  WriteText(bad("huge.dat"), "Data Increment: 0.25\nDistance (Feet)\n0, 1\n0.25, 1e38\n");
  WriteText(bad("far.dat"), "Data Increment: 1e30\nDistance (Feet)\n0, 1\n0.25, 2\n");
  WriteText(bad("both.dat"), "Data Increment: 0.25\nDistance (Feet)\n0, 1\n0.5, 2\n1.0, 3\n");
  WriteText(bad("gap.csv"), "Distance (m),Elevation (mm)\n0,1\n0.1,2\n0.3,3\n0.4,4\n");
  WriteText(bad("half.csv"), "Distance (m),Elevation\n0,1\n0.1,2\n");
  WriteText(bad("unit.txt"), "Distance (ft)\tElevation (furlong)\n0\t1\n0.25\t2\n");
  const std::pair<std::string, std::string> cases[] = {
      {"read " + bad("noise.pro"), "at sample"},
      {"analyze " + bad("noise.pro") + " --index iri", "at sample"},
      {"read " + bad("pipe.pro"), "not a regular file"},
      {"read " + bad("zero.pro"), "not a regular file"},
      {"read " + bad("bin.erd"), "not a regular file"},
      {"read " + bad("huge.dat"), "at sample 2"},
      {"read " + bad("far.dat"), "(1e+30 ft) is not a plausible spacing"},
      {"read " + bad("both.dat"), "(0.25 ft) and the spacing of its distance column (0.5 ft)"},
      {"read " + bad("gap.csv"), "Line 4 of the file: the distance 0.3 m"},
      {"read " + bad("half.csv"), "--elevation-unit"},
      {"read " + bad("unit.txt"), "\"furlong\""},
      {"read " + path("a.pro") + " --column 1", "--column"},
  };
  for (const auto& [args, needle] : cases) {
    const auto r = Run(args);
    EXPECT_EQ(r.rc, args.find("--column 1") != std::string::npos ? 2 : 3) << args << "\n" << r.out;
    EXPECT_NE(r.out.find(needle), std::string::npos) << args << "\n" << r.out;
  }
  EXPECT_FALSE(fs::exists(bad("Results.txt")));
}

TEST_F(ProfileFormatsCli, EditSavesTheFormatItsExtensionNamesAndRefusesTheRest) {
  for (const char* ext : {".pro", ".dat", ".erd", ".csv"}) {
    const std::string out = path(std::string("edited") + ext);
    const auto r = Run("edit " + path("a.pro") + " --repair --out " + out);
    ASSERT_EQ(r.rc, 0) << r.out;
    const nlohmann::json j = ReadJson(out);
    EXPECT_EQ(j["profile"]["samples"], 2001) << ext;
    EXPECT_NEAR(j["profile"]["sample_spacing_ft"].get<double>(), 0.25, 1e-12) << ext;
  }
  const std::string original = ReadAll(path("a.pro"));
  const struct {
    std::string args;
    int rc;
    std::string needle, unwritten;
  } refusals[] = {
      {"--repair --out " + path("x.xls"), 2, ".pro, .dat, .erd or .csv", "x.xls"},
      {"--repair --out " + path("a.pro"), 2, "--force", ""},
      {"--new-length 100:600.5 --out " + path("cut.pro"), 4, "which is 500.00 ft long", "cut.pro"},
      {"--vertical-curve 400:520 --out " + path("vc.pro"), 4, "which is 500.00 ft long", "vc.pro"},
  };
  for (const auto& c : refusals) {
    const auto r = Run("edit " + path("a.pro") + " " + c.args);
    EXPECT_EQ(r.rc, c.rc) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find(c.needle), std::string::npos) << r.out;
    if (!c.unwritten.empty()) {
      EXPECT_FALSE(fs::exists(path(c.unwritten))) << c.args;
    }
  }
  EXPECT_EQ(ReadAll(path("a.pro")), original);
  // The last sample lies exactly at the end: a cut to it is no cut past it.
  EXPECT_EQ(Run("edit " + path("a.pro") + " --new-length 100:500 --out " + path("cut.pro")).rc, 0);
  ASSERT_EQ(Run("edit " + path("a.pro") + " --highpass --out " + path("a.pro") + " --force").rc, 0);
  EXPECT_NE(ReadAll(path("a.pro")), original);
}

}  // namespace
}  // namespace tarmac
