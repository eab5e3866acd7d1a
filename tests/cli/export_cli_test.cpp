// tarmac export and --channel, end to end through the built program.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "workflow/erd.h"
#include "workflow/session.h"
#include "workflow/test_support.h"

namespace tarmac {
namespace {

using testing::RunTarmac;

class ExportCli : public ::testing::Test {
 protected:
  void SetUp() override {
    // Two wheel paths (mm and m) and a speed in m/s over 600 samples 0.05 m apart.
    std::ostringstream t;
    t << "ERDFILEV2.00\n3,600,-1,1,5,0.05,-1\nTITLE   ,apron\nSHORTNAM,Left,Right,Speed\n"
         "UNITSNAM,mm,m,m/s\nXLABEL  ,Distance\nXUNITS  ,m\nEND\n";
    for (int i = 0; i < 600; ++i)
      t << 3.0 * std::sin(0.03 * i) + 0.01 * i << "," << 0.002 * std::cos(0.05 * i) << ","
        << 12.0 + 0.001 * i << "\n";
    std::ofstream(erd_, std::ios::binary) << t.str();
  }
  std::string path(const std::string& name) const { return dir_.file(name); }
  std::string FirstLine(const std::string& name) const {
    const auto lines = testing::ReadLines(path(name));
    return lines.empty() ? "" : lines[0];
  }
  testing::TempDir dir_;
  std::string erd_ = dir_.file("apron.erd");
};

TEST_F(ExportCli, ErdAndCsvOfTheChosenChannel) {
  const auto r = RunTarmac("export " + erd_ + " --channel 2 --set CuttingLength=1 --erd " +
                           path("out.erd") + " --csv " + path("out.csv") + " --metric");
  ASSERT_EQ(r.rc, 0) << r.out;
  EXPECT_NE(r.out.find("with speed"), std::string::npos) << r.out;

  // The same read in process: the file holds that analysis profile, in inches and feet.
  testing::RecordingPrompts prompts;
  Session s(prompts);
  s.SetMetric(true);
  ASSERT_TRUE(s.SetSetting("CuttingLength", "1"));  // metres in metric mode
  ASSERT_TRUE(s.ReadErdFile(erd_, 2));
  const ErdChannel z = ReadErdFile(path("out.erd"), 1);
  EXPECT_EQ(z.values, s.model().ProfileZ);
  EXPECT_EQ(z.unit, "in");
  EXPECT_DOUBLE_EQ(z.spacing_ft, 0.05 / 0.3048);
  const ErdChannel v = ReadErdFile(path("out.erd"), 2);
  EXPECT_EQ(v.kind, ErdChannelKind::Speed);
  ASSERT_EQ(v.values.size(), z.values.size());
  // 1 m cut at 0.05 m is 20 samples: the first speed kept is sample 21's.
  EXPECT_NEAR(v.values[0], (12.0 + 0.020) / 0.3048, 1e-4);
  EXPECT_EQ(FirstLine("out.csv"), "Distance (m),Elevation (cm)");

  // Index levels run their index first; level 1 is the speed when the file has one.
  const auto iri = RunTarmac("export " + erd_ + " --csv " + path("iri.csv") + " --level 3 --metric --batch");
  ASSERT_EQ(iri.rc, 0) << iri.out;
  EXPECT_EQ(FirstLine("iri.csv"), "Distance (m),IRI (1/4 Car) (m/km)");
  EXPECT_NE(iri.out.find("level 3"), std::string::npos);
  ASSERT_EQ(RunTarmac("export " + erd_ + " --csv " + path("iri.csv") + " --level 1").rc, 0);
  EXPECT_EQ(FirstLine("iri.csv"), "Distance (ft),Speed (ft/s)");
}

TEST_F(ExportCli, RefusalsAndTheirExitCodes) {
  const std::string csv = " --csv " + path("never.csv");
  std::ofstream(path("bad.erd")) << "ERDFILEV2.00\n1,2,-1,1,5,0.25,-1\nUNITSNAM,in\nXUNITS,ft\n1\n2\n";
  const std::pair<std::string, int> cases[] = {
      {"export " + erd_, 2},                       // nothing asked
      {"export " + erd_ + csv + " --level 6", 2},
      {"export " + erd_ + csv + " --channel 0", 2},
      {"export " + erd_ + csv + " --channel 3", 3},  // a speed
      {"export " + erd_ + csv + " --channel 4", 3},
      {"export " + path("bad.erd") + csv, 3},      // no END
      {"analyze " + erd_ + " --channel 3 --index none", 3},
  };
  for (const auto& [args, rc] : cases) EXPECT_EQ(RunTarmac(args).rc, rc) << args;
  EXPECT_FALSE(std::filesystem::exists(path("never.csv")));

  const auto read = RunTarmac("read " + erd_ + " --channel 2");
  EXPECT_EQ(read.rc, 0);
  EXPECT_NE(read.out.find("speed file: 600 values"), std::string::npos) << read.out;
}

}  // namespace
}  // namespace tarmac
