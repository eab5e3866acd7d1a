#include "simulation/simulation_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/number_format.h"
#include "common/units.h"
#include "simulation/simulated_profiles.h"
#include "simulation/simulation_failure.h"

namespace tarmac::testing {
namespace {

const auto kLevel = [](double) { return 0.0f; };

TEST(SimulationRun, FlatRunwayStaysAtRest) {
  EXPECT_EQ(InnerStepCount(0.0025), 1);
  EXPECT_EQ(InnerStepCount(0.0025001), 2);
  EXPECT_EQ(InnerStepCount(0.005), 3);  // Int(2) + 1: the inner step stays below 0.0025 s
  for (const char* type : {"B-727", "B-747", "DC-9", "DC-10"}) {
    SCOPED_TRACE(type);
    const SimulationResult r = Simulate(MakeSimProfile(3000, kLevel), SimInput(type, 100));
    // The static loads carry the weight, the nose gear a few per cent of it.
    double sum = 0;
    for (float load : r.static_gear_loads_lb) sum += load;
    EXPECT_NEAR(sum, r.weight_lb, 1e-6 * r.weight_lb);
    EXPECT_NEAR(r.static_gear_loads_lb[0], 0.09 * r.weight_lb, 0.06 * r.weight_lb);
    for (const ResponseLevel& level : r.levels)
      for (int k = 1; k <= r.sample_count; ++k) ASSERT_LT(std::fabs(level.values[static_cast<std::size_t>(k)]), 1e-3) << k;
  }
}

TEST(SimulationRun, PartsTotalsAndShortLastPart) {
  // 3000 samples: parts of 1464 samples (> 1200 ft) leave 72 samples (59.1 ft) at the end.
  const int n = 3000;
  const auto bumpy = MakeSimProfile(n, [](double x) { return CosineBump(300, 60, 2)(x) + CosineBump(2420, 40, 3)(x); });
  for (double step : {50.0, 60.0}) {
    SCOPED_TRACE(step);
    SimulationInput in = SimInput("B-747", 100);
    in.part_length_ft = 1200;
    in.shortest_part_ft = step;
    const SimulationResult r = Simulate(bumpy, in);
    const int parts = step == 50.0 ? 3 : 2, kept = step == 50.0 ? n : 2 * 1464;
    ASSERT_EQ(r.part_count, parts);
    // The total RMS is the RMS over the samples of the kept parts; the extremes see them all.
    const double totals[] = {r.cg_total_rms, r.pilot_total_rms, r.nose_total_rms, r.main_total_rms, r.rear_total_rms};
    for (std::size_t s = 0; s < r.levels.size(); ++s) {
      double sum = 0, lo = 0, hi = 0;
      for (int k = 1; k <= n; ++k) {
        const double x = r.levels[s].values[static_cast<std::size_t>(k)];
        sum += k <= kept ? x * x : 0.0;
        lo = std::min(lo, x);
        hi = std::max(hi, x);
      }
      EXPECT_NEAR(totals[s], std::sqrt(sum / kept), 1e-5 * totals[s]) << "series " << s;
      EXPECT_TRUE(s > 0 || (r.cg_min_g == lo && r.cg_max_g == hi));
    }
  }
  // 40 samples (32 ft) are less than the shortest part kept (50 ft): totals 0, not 0/0.
  const SimulationResult stub = Simulate(MakeSimProfile(40, CosineBump(5, 20, 1)), SimInput("DC-9", 100));
  EXPECT_EQ(stub.part_count, 0);
  EXPECT_EQ(stub.cg_total_rms, 0.0);
  EXPECT_GT(stub.cg_max_g, 0.0);  // the bump was still felt
}

TEST(SimulationRun, StretchValues) {
  // 2000 ft at 1 ft spacing is 2001 samples; entry 0 (before the profile) never enters.
  std::vector<float> ramp(5004);
  for (std::size_t k = 0; k < ramp.size(); ++k) ramp[k] = static_cast<float>(k);
  ramp[0] = 1e6f;
  auto rms = [](double a, double b) {  // RMS of the integers a..b
    double s = 0;
    for (double k = a; k <= b; ++k) s += k * k;
    return std::sqrt(s / (b - a + 1));
  };
  const StretchRMSValues r = StretchRMS(ramp, 5000, 1.0);
  EXPECT_NEAR(r.first, rms(1, 2001), 1e-9);
  EXPECT_NEAR(r.centre, rms(1499, 3499), 1e-9);
  EXPECT_NEAR(r.last, rms(3000, 5000), 1e-9);
  EXPECT_EQ(StretchRMS(ramp, 2000, 1.0).first, 0.0);
  // The last stretch is summed from the last sample backwards, in double: a large last sample
  // swallows the unit squares that follow it (1e16 + 1 stays 1e16). Not rounded to single.
  std::vector<float> spike(2004, 1.0f);
  spike[2001] = 1e8f;
  const StretchRMSValues sp = StretchRMS(spike, 2001, 1.0);
  EXPECT_EQ(sp.last, std::sqrt(1e16 / 2001));
  EXPECT_NE(sp.last, static_cast<double>(static_cast<float>(sp.last)));
}

TEST(SimulationRun, RefusesWhatItCannotRunAndCancels) {
  const auto flat = MakeSimProfile(500, kLevel);
  auto refusal = [&](const PreparedProfile& p, const SimulationInput& in) {
    try {
      Simulate(p, in);
    } catch (const SimulationFailure& f) {
      return f;
    }
    return SimulationFailure{SimulationFailureKind::NotFinite, "ran"};
  };
  const SimulationFailure unknown = refusal(flat, SimInput("A-380", 20));
  EXPECT_EQ(unknown.kind, SimulationFailureKind::UnknownAircraft);
  EXPECT_EQ(unknown.aircraft_type, "A-380");
  EXPECT_EQ(refusal(flat, SimInput("B-727", 0)).kind, SimulationFailureKind::SpeedNotPositive);
  SimulationInput modes = SimInput("B-727", 20);
  modes.mode_count = 11;
  EXPECT_EQ(refusal(flat, modes).kind, SimulationFailureKind::ModesOutOfRange);
  EXPECT_EQ(refusal(PreparedProfile{}, SimInput("B-727", 20)).kind, SimulationFailureKind::EmptyProfile);
  // Margins of 40 ft: the B-747 nose gear (76 ft ahead of the cg) would read past them.
  PreparedProfile narrow = flat;
  narrow.margin = 49;
  narrow.z.assign(static_cast<std::size_t>(narrow.n + 2 * narrow.margin + 3), 0.0f);
  const SimulationFailure f = refusal(narrow, SimInput("B-747", 20));
  EXPECT_EQ(f.kind, SimulationFailureKind::GearBeyondMargins);
  EXPECT_EQ(f.gear, 1);
  EXPECT_EQ(f.aircraft_type, "B-747");
  EXPECT_DOUBLE_EQ(f.margin_ft, 49 * kSimDx);
  EXPECT_GT(f.gear_offset_ft, f.margin_ft);
  struct CancelAfter final : Progress {
    void step(long long done, long long) override { done_ = done; }
    bool cancelled() const override { return done_ >= 500; }
    long long done_ = 0;
  } progress;
  EXPECT_THROW(RunSimulation(MakeSimProfile(2000, kLevel), SimInput("DC-9", 20), progress), Cancelled);
}

}  // namespace
}  // namespace tarmac::testing
