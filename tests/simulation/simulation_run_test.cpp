#include "simulation/simulation_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "common/number_format.h"
#include "common/rounding.h"
#include "simulation/simulation_failure.h"

namespace tarmac {
namespace {

constexpr double kDecimatedSpacing = 0.820209973753;  // ten times the 25-mm sample spacing

// A prepared profile of n samples (inches) with the 250-ft zero margins.
PreparedProfile MakeProfile(int n, double spacing, const std::function<float(double)>& inches) {
  PreparedProfile p;
  p.n = n;
  p.spacing = spacing;
  p.margin = RoundHalfEven(250 / spacing);
  p.z.assign(static_cast<std::size_t>(n + 2 * p.margin + 3), 0.0f);
  for (int i = 1; i <= n; ++i) p.at(i) = inches((i - 1) * spacing);
  return p;
}

SimulationInput Input(const char* type, double knots) {
  SimulationInput in;
  in.AircraftType = type;
  in.AircraftSpeedFps = knots * kKnotsToFps;
  in.SampleSpacing = kDecimatedSpacing / 10;
  return in;
}

// A 1-cosine bump of the given height (in) and length (ft) starting at x0 (ft).
std::function<float(double)> Bump(double x0, double length, double height) {
  return [=](double x) {
    if (x < x0 || x > x0 + length) return 0.0f;
    return static_cast<float>(height / 2 * (1 - std::cos(2 * std::acos(-1.0) * (x - x0) / length)));
  };
}

TEST(SimulationRun, InnerStepCount) {
  EXPECT_EQ(InnerStepCount(kDecimatedSpacing / (100 * kKnotsToFps)), 2);
  EXPECT_EQ(InnerStepCount(kDecimatedSpacing / (20 * kKnotsToFps)), 10);
  EXPECT_EQ(InnerStepCount(0.0025), 1);
  EXPECT_EQ(InnerStepCount(0.001), 1);
  EXPECT_EQ(InnerStepCount(0.0025001), 2);
  EXPECT_EQ(InnerStepCount(0.005), 3);  // Int(2) + 1: the inner step stays below 0.0025 s
}

TEST(SimulationRun, FlatRunwayStaysAtRest) {
  const auto flat = MakeProfile(3000, kDecimatedSpacing, [](double) { return 0.0f; });
  for (const char* type : {"B-727", "B-747", "DC-9", "DC-10"}) {
    for (double knots : {20.0, 100.0}) {
      SCOPED_TRACE(std::string(type) + " " + std::to_string(knots));
      NullProgress progress;
      const SimulationResult r = RunSimulation(flat, Input(type, knots), progress);
      EXPECT_EQ(r.GroundNInner, knots == 20.0 ? 10 : 2);
      // The static loads carry the weight with no pitching moment.
      const auto a = r.StaticGearLoad;
      double sum = 0;
      for (float load : a) {
        EXPECT_GT(load, 0.0f);
        sum += load;
      }
      EXPECT_NEAR(sum, r.Weight, 1e-6 * r.Weight);
      EXPECT_GT(a[0], 0.03 * r.Weight);  // the nose gear steers: it carries a few per cent
      EXPECT_LT(a[0], 0.15 * r.Weight);
      EXPECT_LT(r.equilibriumIterations, 20);
      for (const ResponseLevel& level : r.levels) {
        ASSERT_EQ(level.values.size(), static_cast<std::size_t>(r.SimNPoints + 3));
        for (int k = 1; k <= r.SimNPoints; ++k)
          ASSERT_LT(std::fabs(level.values[static_cast<std::size_t>(k)]), 1e-3) << "sample " << k;
      }
      EXPECT_EQ(r.levels.size(), std::string(type) == "B-747" ? 5u : 4u);
      EXPECT_LT(r.GcgTotalRMS, 1e-4);
      EXPECT_LT(r.MainDynTotalRMS, 1e-4f);
      EXPECT_LE(r.GcgMin, 0.0);
      EXPECT_GE(r.GcgMax, 0.0);
    }
  }
}

TEST(SimulationRun, BumpExcitesAResponseThatDecays) {
  const int n = 5000;
  const auto bumpy = MakeProfile(n, kDecimatedSpacing, Bump(500, 60, 3));
  NullProgress progress;
  const SimulationResult r = RunSimulation(bumpy, Input("B-727", 100), progress);
  const auto& gcg = r.levels[0].values;
  const auto& nose = r.levels[2].values;
  auto peak = [&](const std::vector<float>& v, double from, double to) {
    float m = 0;
    for (int k = 1; k <= n; ++k) {
      const double x = (k - 1) * kDecimatedSpacing;
      if (x >= from && x <= to) m = std::max(m, std::fabs(v[static_cast<std::size_t>(k)]));
    }
    return m;
  };
  // Before the nose gear reaches the bump nothing moves.
  EXPECT_LT(peak(gcg, 0, 400), 1e-4f);
  const float during = peak(gcg, 400, 700);
  EXPECT_GT(during, 0.02f);
  EXPECT_GT(peak(nose, 400, 700), 0.05f);
  // Long after the bump the airframe has settled.
  EXPECT_LT(peak(gcg, 3500, 4100), 0.05f * during);
  EXPECT_GT(r.GcgMax, 0.0);
  EXPECT_LT(r.GcgMin, 0.0);
  EXPECT_LT(r.NoseDynMin, 0.0f);
}

TEST(SimulationRun, PartsTotalsAndShortLastPart) {
  // 3000 samples: parts of 1464 samples (> 1200 ft) leave 72 samples (59.1 ft) at the end.
  const int n = 3000;
  const auto bumpy = MakeProfile(n, kDecimatedSpacing, [](double x) {
    return Bump(300, 60, 2)(x) + Bump(2420, 40, 3)(x);  // the second bump in the short part
  });
  for (double step : {50.0, 60.0}) {
    SCOPED_TRACE(step);
    SimulationInput in = Input("B-747", 100);
    in.AveragingDistance = 1200;
    in.AveragingStep = step;
    NullProgress progress;
    const SimulationResult r = RunSimulation(bumpy, in, progress);
    const int parts = step == 50.0 ? 3 : 2;
    ASSERT_EQ(r.SimPartCount, parts);
    EXPECT_EQ(r.SimPartLength.size(), static_cast<std::size_t>(parts));
    EXPECT_NEAR(r.SimPartLength[0], 1464 * kDecimatedSpacing, 1e-9);
    // The total RMS is the RMS over the samples of the kept parts.
    const int kept = step == 50.0 ? n : 2 * 1464;
    for (std::size_t s = 0; s < r.levels.size(); ++s) {
      double sum = 0, lo = 0, hi = 0;
      for (int k = 1; k <= n; ++k) {
        const double x = r.levels[s].values[static_cast<std::size_t>(k)];
        if (k <= kept) sum += x * x;
        lo = std::min(lo, x);
        hi = std::max(hi, x);
      }
      const double totals[] = {r.GcgTotalRMS, r.GcpTotalRMS, r.NoseDynTotalRMS, r.MainDynTotalRMS,
                               r.RearDynTotalRMS};
      EXPECT_NEAR(totals[s], std::sqrt(sum / kept), 1e-5 * totals[s]) << "series " << s;
      if (s == 0) {  // the dropped part still counts for the extremes
        EXPECT_EQ(r.GcgMin, lo);
        EXPECT_EQ(r.GcgMax, hi);
      }
    }
    ASSERT_EQ(r.chartRows.size(), 5u);
    EXPECT_EQ(r.chartRows[4].row, 10);
    EXPECT_EQ(r.chartRows[0].values.size(), static_cast<std::size_t>(parts));
    EXPECT_NEAR(r.chartRows[0].values[0], r.GcgRMSpart[0], 0.00005 + 1e-12);
  }
}

TEST(SimulationRun, StretchValues) {
  // 2000 ft at 1 ft spacing is 2001 samples.
  std::vector<float> series(2004, 2.0f);
  series[0] = 1000.0f;  // the steps before the profile must never enter a stretch
  const StretchRMSValues s = StretchRMS(series, 2001, 1.0);
  EXPECT_DOUBLE_EQ(s.first, 2.0);
  EXPECT_DOUBLE_EQ(s.centre, 2.0);
  EXPECT_DOUBLE_EQ(s.last, 2.0);
  const StretchRMSValues none = StretchRMS(series, 2000, 1.0);
  EXPECT_EQ(none.first, 0.0);
  EXPECT_EQ(none.centre, 0.0);
  EXPECT_EQ(none.last, 0.0);
  // A ramp: first, centre and last windows see different samples.
  std::vector<float> ramp(5004);
  for (std::size_t k = 0; k < ramp.size(); ++k) ramp[k] = static_cast<float>(k);
  const StretchRMSValues r = StretchRMS(ramp, 5000, 1.0);
  auto rms = [](double a, double b) {  // RMS of the integers a..b
    double s = 0;
    for (double k = a; k <= b; ++k) s += k * k;
    return std::sqrt(s / (b - a + 1));
  };
  EXPECT_NEAR(r.first, rms(1, 2001), 1e-9);
  EXPECT_NEAR(r.last, rms(3000, 5000), 1e-9);
  EXPECT_NEAR(r.centre, rms(1499, 3499), 1e-9);
  // The last stretch is summed from the last sample backwards, in double: a large last sample
  // swallows the unit squares that follow it (1e16 + 1 stays 1e16), where a forward sum would
  // have gathered 2000 of them first. The values are not rounded to single precision.
  std::vector<float> spike(2004, 1.0f);
  spike[2001] = 1e8f;
  const StretchRMSValues sp = StretchRMS(spike, 2001, 1.0);
  EXPECT_EQ(sp.last, std::sqrt(1e16 / 2001));
  EXPECT_NE(sp.last, std::sqrt((1e16 + 2000) / 2001));
  EXPECT_NE(sp.last, static_cast<double>(static_cast<float>(sp.last)));
}

TEST(SimulationRun, ReportAndLogLines) {
  const auto flat = MakeProfile(3000, kDecimatedSpacing, Bump(1000, 50, 1));
  NullProgress progress;
  const SimulationResult r = RunSimulation(flat, Input("B-727", 20), progress);
  const auto& L = r.reportLines;
  ASSERT_GE(L.size(), 20u);
  EXPECT_EQ(L[0], "Aircraft type = B-727");
  EXPECT_EQ(L[1], "Aircraft speed = 33.8(ft/s)20.0 knots");
  EXPECT_EQ(L[2], "Profile total length = 2,460.6(ft)");
  EXPECT_EQ(L[3], "Profile start step length = 0.08202(ft)");
  EXPECT_EQ(L[4], "Profile decimated step length for simulation = 0.8202(ft)");
  EXPECT_EQ(L[5], "Simulation step length = 0.02430 seconds");
  EXPECT_EQ(L[6], "GroundNInner =  10 ");
  EXPECT_EQ(L[7], "Simulation inner step length = 0.00243 seconds");
  EXPECT_NE(L[9].find("  Gcp TotalRMS = "), std::string::npos);  // lines 8, 10, 11: see below
  EXPECT_EQ(L[12], " ");
  EXPECT_EQ(L[13],
            "GRMSpartI length(ft)   GcgRMSpart(g)   GcpRMSpart(g)   NoseDyn-Coeff.  "
            "MainDyn-Coeff.  MainRearDyn-Coeff.");
  ASSERT_EQ(r.SimPartCount, 3);
  EXPECT_EQ(L[14].substr(0, 17), "   1      1,000.7");
  EXPECT_EQ(L[14].size(), 4u + 13 + 4 * 16);
  EXPECT_EQ(L[16].substr(0, 17), "   3        459.3");
  EXPECT_EQ(L[17].rfind("CG, Indexbegin = ", 0), 0u);
  EXPECT_NE(L[17].find(" , indexcenter = "), std::string::npos);
  EXPECT_EQ(L[20].rfind("Main, Indexbegin = ", 0), 0u);
  EXPECT_EQ(L[21], "");
  EXPECT_EQ(L.size(), 22u);
  EXPECT_EQ(r.levels[0].LevelTitle, "B-727 (VUG=20.0 knots ), G cg");
  EXPECT_EQ(r.levels[3].LevelTitle, "B-727 (VUG=20.0 knots ), Dynamic coefficient of Main Strut Force");

  const auto log = WriteLogDataLines(r, "RWY09", kDecimatedSpacing / 10);
  ASSERT_EQ(log.size(), 12u + 3 + 1);
  EXPECT_EQ(log[0], "\"Measurement Name = \",\"RWY09\"");
  EXPECT_EQ(log[1].rfind("\"Aircraft speed, ft/s, knots = \",33.75584398", 0), 0u);
  EXPECT_EQ(log[11], "\"GRMSpartI   length (ft)    GcgRMSpart (in)    GcpRMSpart (in)\"");
  EXPECT_EQ(log[12].rfind("1,1000,", 0), 0u);
  EXPECT_EQ(log[14].rfind("3,459,", 0), 0u);
  EXPECT_EQ(log[15], "");

  SimulationInput metric = Input("B-747", 100);
  metric.units = MakeUnits(true);
  const SimulationResult m = RunSimulation(flat, metric, progress);
  EXPECT_EQ(m.reportLines[1].substr(0, 23), "Aircraft speed = 51.4(m");
  EXPECT_NEAR(m.Weight, 630000 * 0.454, 1e-6);
  EXPECT_EQ(m.reportLines[12].rfind("MainRear Dynamic Coefficient Min = ", 0), 0u);
  EXPECT_EQ(m.levels[3].LevelTitle,
            "B-747 (VUG=100.0 knots ), Dynamic coefficient of Front Main Strut Force");
  EXPECT_EQ(m.levels[4].LevelTitle, "B-747, Dynamic coefficient of Rear Main Strut Force");
  EXPECT_EQ(m.reportLines[15].size(), 4u + 13 + 5 * 16);
  EXPECT_EQ(m.reportLines.back(), "");
  EXPECT_EQ(m.reportLines[m.reportLines.size() - 2].rfind("MainRear, Indexbegin = ", 0), 0u);
}

// Each value is written by the rule of the precision it is held in.
std::string Double4(double v) { return FormatNumber(v, "0.0000"); }
std::string Single4(float v) { return FormatNumber(v, "0.0000"); }

TEST(SimulationRun, ReportWritesEachValueWithTheDigitsOfItsPrecision) {
  // The accelerations are double, the dynamic coefficients single precision. With these bump
  // heights a single-precision coefficient lies just below a half at the fifth decimal while
  // its seven digits read exactly ...5000 (0.20504996f reads 0.2050500): a coefficient handed
  // to the writer as a double would be written by the double rule instead of its own.
  for (int i : {366, 437, 646, 1157}) {
    const double height = 1 + i * 0.002;
    SCOPED_TRACE(height);
    const auto p = MakeProfile(3000, kDecimatedSpacing, Bump(1000, 50, height));
    NullProgress progress;
    const SimulationResult r = RunSimulation(p, Input("B-727", 100), progress);
    const auto& L = r.reportLines;
    EXPECT_EQ(L[8], "Gcg min = " + Double4(r.GcgMin) + "  Gcg max = " + Double4(r.GcgMax) +
                        "  Gcg TotalRMS = " + Double4(r.GcgTotalRMS));
    EXPECT_EQ(L[10], "Nose Dynamic Coefficient Min = " + Single4(r.NoseDynMin) + "   Max = " +
                         Single4(r.NoseDynMax) + "   TotalRMS = " + Single4(r.NoseDynTotalRMS));
    EXPECT_EQ(L[11], "Main Dynamic Coefficient Min = " + Single4(r.MainDynMin) + "   Max = " +
                         Single4(r.MainDynMax) + "   TotalRMS = " + Single4(r.MainDynTotalRMS));
    ASSERT_EQ(r.SimPartCount, 3);
    auto column = [](const std::string& line, int c) {  // 16-wide value column c = 0..3
      std::string s = line.substr(static_cast<std::size_t>(4 + 13 + 16 * c), 16);
      return s.substr(s.find_first_not_of(' '));
    };
    for (int k = 0; k < 3; ++k) {
      const auto s = static_cast<std::size_t>(k);
      const std::string& row = L[14 + s];
      EXPECT_EQ(column(row, 0), Double4(r.GcgRMSpart[s]));
      EXPECT_EQ(column(row, 2), Single4(r.NoseDynRMSpart[s]));
      EXPECT_EQ(column(row, 3), Single4(r.MainDynRMSpart[s]));
      // The chart rows hold the values as written.
      EXPECT_EQ(r.chartRows[2].values[s], std::strtod(Single4(r.NoseDynRMSpart[s]).c_str(), nullptr));
      EXPECT_EQ(r.chartRows[3].values[s], std::strtod(Single4(r.MainDynRMSpart[s]).c_str(), nullptr));
    }
    EXPECT_EQ(SimulationChartTitle("RWY", 8, r.NoseDynTotalRMS),
              "RWY,  RMS(Total Length) = " + Single4(r.NoseDynTotalRMS).substr(
                                                 r.NoseDynTotalRMS < 1 ? 1 : 0));
  }
}

TEST(SimulationRun, RefusesWhatItCannotRun) {
  const auto flat = MakeProfile(500, kDecimatedSpacing, [](double) { return 0.0f; });
  NullProgress progress;
  auto refusal = [&](const PreparedProfile& p, const SimulationInput& in) {
    try {
      RunSimulation(p, in, progress);
    } catch (const SimulationFailure& f) {
      return f;
    }
    return SimulationFailure{"", "ran"};
  };
  EXPECT_NE(refusal(flat, Input("A-380", 20)).text.find("A-380"), std::string::npos);
  EXPECT_NE(refusal(flat, Input("B-727", 0)).text, "ran");
  SimulationInput modes = Input("B-727", 20);
  modes.NumberOfModes = 11;
  EXPECT_NE(refusal(flat, modes).text, "ran");
  // Margins of 40 ft: the B-747 nose gear (76 ft ahead of the cg) would read past them.
  PreparedProfile narrow = flat;
  narrow.margin = 49;
  narrow.z.assign(static_cast<std::size_t>(narrow.n + 2 * narrow.margin + 3), 0.0f);
  const SimulationFailure f = refusal(narrow, Input("B-747", 20));
  EXPECT_EQ(f.title, "Simulation");
  EXPECT_NE(f.text.find("Gear 1 of the B-747"), std::string::npos);
  EXPECT_EQ(refusal(narrow, Input("B-727", 20)).text.find("Gear 1"), 0u);  // 60 ft ahead
}

TEST(SimulationRun, ProfileShorterThanOnePartHasZeroTotals) {
  // 40 samples (32 ft) are less than the shortest part kept (50 ft): no part, totals 0, not 0/0.
  const auto stub = MakeProfile(40, kDecimatedSpacing, Bump(5, 20, 1));
  NullProgress progress;
  const SimulationResult r = RunSimulation(stub, Input("DC-9", 100), progress);
  EXPECT_EQ(r.SimPartCount, 0);
  EXPECT_EQ(r.GcgTotalRMS, 0.0);
  EXPECT_EQ(r.NoseDynTotalRMS, 0.0f);
  EXPECT_GT(r.GcgMax, 0.0);  // the bump was still felt
  EXPECT_EQ(r.SimStretchValues[0].first, 0.0f);
  EXPECT_TRUE(r.chartRows[0].values.empty());
}

class CancelAfter final : public Progress {
 public:
  explicit CancelAfter(long long n) : limit_(n) {}
  void step(long long done, long long) override { done_ = done; }
  bool cancelled() const override { return done_ >= limit_; }

 private:
  long long limit_, done_ = 0;
};

TEST(SimulationRun, CancelStopsTheRun) {
  const auto flat = MakeProfile(2000, kDecimatedSpacing, [](double) { return 0.0f; });
  CancelAfter progress(500);
  EXPECT_THROW(RunSimulation(flat, Input("DC-9", 20), progress), Cancelled);
}

}  // namespace
}  // namespace tarmac
