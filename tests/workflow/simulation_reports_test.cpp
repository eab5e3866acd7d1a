#include "workflow/simulation_reports.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/number_format.h"
#include "simulation/simulated_profiles.h"

namespace tarmac::testing {
namespace {

TEST(SimulationReports, ReportAndLogLines) {
  const auto flat = MakeSimProfile(3000, CosineBump(1000, 50, 1));
  const SimulationResult r = Simulate(flat, SimInput("B-727", 20));
  const auto L = SimulationReportLines(r, kSimDx / 10, MakeUnits(false));
  ASSERT_EQ(L.size(), 22u);
  EXPECT_EQ(std::vector<std::string>(L.begin(), L.begin() + 8),
            (std::vector<std::string>{"Aircraft type = B-727", "Aircraft speed = 33.8(ft/s)20.0 knots",
                                      "Profile total length = 2,460.6(ft)", "Profile start step length = 0.08202(ft)",
                                      "Profile decimated step length for simulation = 0.8202(ft)",
                                      "Simulation step length = 0.02430 seconds", "GroundNInner =  10 ",
                                      "Simulation inner step length = 0.00243 seconds"}));
  EXPECT_EQ(L[13], "GRMSpartI length(ft)   GcgRMSpart(g)   GcpRMSpart(g)   NoseDyn-Coeff.  "
                   "MainDyn-Coeff.  MainRearDyn-Coeff.");
  EXPECT_EQ(L[14].substr(0, 17), "   1      1,000.7");
  EXPECT_EQ(L[16].substr(0, 17), "   3        459.3");
  EXPECT_EQ(L[20].rfind("Main, Indexbegin = ", 0), 0u);
  EXPECT_EQ(L[21], "");
  EXPECT_EQ(ResponseLevelTitle(r, 1), "B-727 (VUG=20.0 knots ), G cg");
  EXPECT_EQ(ResponseLevelTitle(r, 4), "B-727 (VUG=20.0 knots ), Dynamic coefficient of Main Strut Force");
  const auto log = SimulationLogLines(r, "RWY09", kSimDx / 10);
  ASSERT_EQ(log.size(), 16u);
  EXPECT_EQ(log[0], "\"Measurement Name = \",\"RWY09\"");
  EXPECT_EQ(log[11], "\"GRMSpartI   length (ft)    GcgRMSpart (in)    GcpRMSpart (in)\"");
  EXPECT_EQ(log[12].rfind("1,1000,", 0), 0u);
  EXPECT_EQ(log[14].rfind("3,459,", 0), 0u);
  // Metric, and the B-747's rear main gears add a column and lines.
  const SimulationResult m = Simulate(flat, SimInput("B-747", 100));
  const auto metric = SimulationReportLines(m, kSimDx / 10, MakeUnits(true));
  EXPECT_EQ(metric[1].substr(0, 23), "Aircraft speed = 51.4(m");
  EXPECT_EQ(metric[2], "Profile total length = 750.0(m)");
  EXPECT_EQ(metric[12].rfind("MainRear Dynamic Coefficient Min = ", 0), 0u);
  EXPECT_EQ(ResponseLevelTitle(m, 4), "B-747 (VUG=100.0 knots ), Dynamic coefficient of Front Main Strut Force");
  EXPECT_EQ(ResponseLevelTitle(m, 5), "B-747, Dynamic coefficient of Rear Main Strut Force");
  EXPECT_EQ(metric[15].size(), 4u + 13 + 5 * 16);
  EXPECT_EQ(metric[22].rfind("MainRear, Indexbegin = ", 0), 0u);
}

// Each value is written by the rule of the precision it is held in.
std::string Double4(double v) { return FormatNumber(v, "0.0000"); }
std::string Single4(float v) { return FormatNumber(v, "0.0000"); }

TEST(SimulationReports, ReportWritesEachValueWithTheDigitsOfItsPrecision) {
  // The accelerations are double, the dynamic coefficients single precision. With these bump
  // heights a single-precision coefficient lies just below a half at the fifth decimal while
  // its seven digits read exactly ...5000: handed to the writer as a double it would be
  // written by the double rule instead of its own.
  for (int i : {366, 437, 646, 1157}) {
    SCOPED_TRACE(i);
    const SimulationResult r = Simulate(MakeSimProfile(3000, CosineBump(1000, 50, 1 + i * 0.002)), SimInput("B-727", 100));
    const auto L = SimulationReportLines(r, kSimDx / 10, MakeUnits(false));
    EXPECT_EQ(L[8], "Gcg min = " + Double4(r.cg_min_g) + "  Gcg max = " + Double4(r.cg_max_g) +
                        "  Gcg TotalRMS = " + Double4(r.cg_total_rms));
    EXPECT_EQ(L[10], "Nose Dynamic Coefficient Min = " + Single4(r.nose_min) + "   Max = " +
                         Single4(r.nose_max) + "   TotalRMS = " + Single4(r.nose_total_rms));
    ASSERT_EQ(r.part_count, 3);
    for (std::size_t s = 0; s < 3; ++s) {
      const std::string& row = L[14 + s];  // 16-wide value columns after 4 + 13 characters
      EXPECT_EQ(row.substr(4 + 13, 16), RightAlign(16, Double4(r.cg_part_rms[s])));
      EXPECT_EQ(row.substr(4 + 13 + 48, 16), RightAlign(16, Single4(r.main_part_rms[s])));
      // The chart rows hold the values as written.
      EXPECT_EQ(r.chart_rows[3].values[s], std::strtod(Single4(r.main_part_rms[s]).c_str(), nullptr));
    }
    EXPECT_EQ(SimulationChartTitle("RWY", 8, r.nose_total_rms),
              "RWY,  RMS(Total Length) = " + Single4(r.nose_total_rms).substr(r.nose_total_rms < 1 ? 1 : 0));
  }
}

TEST(SimulationReports, FailureMessagesNameTheGearTheAircraftAndTheMargins) {
  const SimulationFailure margins{SimulationFailureKind::GearBeyondMargins, "B-747", 1, 76.04, 40.19};
  EXPECT_EQ(SimulationFailureTitle(margins), "Simulation");
  EXPECT_EQ(SimulationFailureText(margins),
            "Gear 1 of the B-747 lies 76.0 ft from the centre of gravity, beyond the margins of "
            "the prepared profile (40.2 ft). The simulation cannot be run.");
  const SimulationFailure unknown{SimulationFailureKind::UnknownAircraft, "A-380"};
  EXPECT_EQ(SimulationFailureText(unknown),
            "Unknown aircraft type \"A-380\": choose B-727, B-747, DC-9 or DC-10.");
  EXPECT_EQ(SimulationFailureTitle(unknown), "Simulation");
  // Failures during the run are fatal.
  const SimulationFailure left{SimulationFailureKind::GearLeftProfile, "DC-9", 3};
  EXPECT_EQ(SimulationFailureTitle(left), "Fatal Error");
  EXPECT_EQ(SimulationFailureText(left),
            "Gear 3 of the DC-9 has left the prepared profile (the aircraft motion is no longer "
            "bounded). Cannot continue.");
  EXPECT_EQ(SimulationFailureText({SimulationFailureKind::GearOffGround, "B-747"}),
            "One or more tires are off the ground in Sub STARTSTRAIGHT. Cannot continue.");
  EXPECT_EQ(SimulationFailureText({SimulationFailureKind::NoConvergence, "B-747"}),
            "No Convergence to steady state after 250iterations in Sub STARTSTRAIGHT.Cannot continue.");
  const SimulationFailure finite{SimulationFailureKind::NotFinite, "DC-10"};
  EXPECT_EQ(SimulationFailureTitle(finite), "Fatal Error");
  EXPECT_EQ(SimulationFailureText(finite).rfind("The response of the DC-10 is not a finite number", 0), 0u);
}

}  // namespace
}  // namespace tarmac::testing
