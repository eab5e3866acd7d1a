// tarmac export and --channel, end to end through the built program.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include "workflow/erd.h"
#include "workflow/prompts.h"
#include "workflow/session.h"

namespace tarmac {
namespace {

namespace fs = std::filesystem;

class QuietPrompts final : public Prompts {
 public:
  void Message(const std::string&, const std::string&) override {}
  std::optional<std::string> Input(const std::string&, const std::string&) override { return {}; }
  void Status(const std::string&) override {}
};

struct CliRun {
  int rc = -1;
  std::string out;
};

CliRun Tarmac(const std::string& args) {
  const std::string cmd = "QT_QPA_PLATFORM=offscreen " TARMAC_BINARY_DIR "/src/cli/tarmac " + args + " 2>/dev/null";
  CliRun r;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
  const int status = pclose(p);
  r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

class ExportCli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tarmac-export-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
    // Two wheel paths (mm and m) and a speed in m/s over 600 samples 0.05 m apart.
    std::ostringstream t;
    t << "ERDFILEV2.00\n3,600,-1,1,5,0.05,-1\nTITLE   ,apron\nSHORTNAM,Left,Right,Speed\n"
         "UNITSNAM,mm,m,m/s\nXLABEL  ,Distance\nXUNITS  ,m\nEND\n";
    for (int i = 0; i < 600; ++i) {
      const double left = 3.0 * std::sin(0.03 * i) + 0.01 * i;
      const double right = 0.002 * std::cos(0.05 * i);
      t << left << "," << right << "," << 12.0 + 0.001 * i << "\n";
    }
    std::ofstream(path("apron.erd"), std::ios::binary) << t.str();
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

std::string FirstLine(const std::string& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

TEST_F(ExportCli, ErdAndCsvOfTheChosenChannel) {
  const CliRun r = Tarmac("export " + path("apron.erd") + " --channel 2 --set CuttingLength=1 --erd " +
                       path("out.erd") + " --csv " + path("out.csv") + " --metric");
  ASSERT_EQ(r.rc, 0) << r.out;
  EXPECT_NE(r.out.find("with speed"), std::string::npos) << r.out;

  // The same read in process: the file holds that analysis profile, in inches and feet.
  QuietPrompts prompts;
  Session s(prompts);
  s.SetMetric(true);
  ASSERT_TRUE(s.SetSetting("CuttingLength", "1"));  // metres in metric mode
  ASSERT_TRUE(s.ReadErdFile(path("apron.erd"), 2));
  const ErdChannel z = ReadErdFile(path("out.erd"), 1);
  EXPECT_EQ(z.values, s.model().ProfileZ);
  EXPECT_EQ(z.unit, "in");
  EXPECT_DOUBLE_EQ(z.spacing_ft, 0.05 / 0.3048);
  const ErdChannel v = ReadErdFile(path("out.erd"), 2);
  EXPECT_EQ(v.kind, ErdChannelKind::Speed);
  ASSERT_EQ(v.values.size(), z.values.size());
  // 1 m cut at 0.05 m is 20 samples: the first speed kept is sample 21's.
  EXPECT_NEAR(v.values[0], (12.0 + 0.020) / 0.3048, 1e-4);

  EXPECT_EQ(FirstLine(path("out.csv")), "Distance (m),Elevation (cm)");
}

TEST_F(ExportCli, IndexLevelsRunTheirIndexFirst) {
  const std::string csv = path("iri.csv");
  const CliRun r = Tarmac("export " + path("apron.erd") + " --csv " + csv + " --level 3 --metric --batch");
  ASSERT_EQ(r.rc, 0) << r.out;
  EXPECT_EQ(FirstLine(csv), "Distance (m),IRI (1/4 Car) (m/km)");
  EXPECT_NE(r.out.find("level 3"), std::string::npos);

  // Level 1 is the speed when the file has one.
  ASSERT_EQ(Tarmac("export " + path("apron.erd") + " --csv " + csv + " --level 1").rc, 0);
  EXPECT_EQ(FirstLine(csv), "Distance (ft),Speed (ft/s)");
}

TEST_F(ExportCli, RefusalsAndTheirExitCodes) {
  const std::string out = path("never.csv");
  EXPECT_EQ(Tarmac("export " + path("apron.erd")).rc, 2);                              // nothing asked
  EXPECT_EQ(Tarmac("export " + path("apron.erd") + " --csv " + out + " --level 6").rc, 2);
  EXPECT_EQ(Tarmac("export " + path("apron.erd") + " --csv " + out + " --channel 0").rc, 2);
  EXPECT_EQ(Tarmac("export " + path("apron.erd") + " --csv " + out + " --channel 3").rc, 3);  // a speed
  EXPECT_EQ(Tarmac("export " + path("apron.erd") + " --csv " + out + " --channel 4").rc, 3);
  std::ofstream(path("bad.erd")) << "ERDFILEV2.00\n1,2,-1,1,5,0.25,-1\nUNITSNAM,in\nXUNITS,ft\n1\n2\n";
  EXPECT_EQ(Tarmac("export " + path("bad.erd") + " --csv " + out).rc, 3);  // no END
  EXPECT_FALSE(fs::exists(out));

  // read and analyze take --channel too.
  const CliRun read = Tarmac("read " + path("apron.erd") + " --channel 2");
  EXPECT_EQ(read.rc, 0);
  EXPECT_NE(read.out.find("speed file: 600 values"), std::string::npos) << read.out;
  EXPECT_EQ(Tarmac("analyze " + path("apron.erd") + " --channel 3 --index none").rc, 3);
}

}  // namespace
}  // namespace tarmac
