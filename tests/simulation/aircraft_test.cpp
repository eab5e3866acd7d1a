#include "simulation/aircraft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "simulation/dynamics.h"
#include "simulation/equilibrium.h"
#include "simulation/simulation_failure.h"

namespace tarmac {
namespace {

TEST(Aircraft, StoredGearValuesAndGeometry) {
  // The values as stored, printed to ten digits in the data sheets: nose gear, first main gear,
  // rear main gear (B-747), and the pilot station.
  struct Gear { double x, length, tyreStiffness, preload, airColumn; };
  struct Sheet { const char* name; Gear nose, main, rear; double pilotX; };
  const Sheet sheets[] = {
      {"B-727", {60.0875, 8.666666667, 51564, 2242, 1.008333333},
       {-3.1625, 9.333333333, 124440, 14307, 1.166666667}, {}, 69.7875},
      {"B-747", {76.2888, 14.16666667, 170004, 8268, 2.096436059},
       {-2.6692, 14.58333333, 170004, 42750, 2.399122807},
       {-12.7532, 14.90415208, 170004, 30875, 2.359649123}, 83.3718},
      {"DC-9", {54.3687795, 8.058333333, 61920, 996.084, 1.274758454},
       {-2.0362205, 8.158333333, 150000, 8626.176, 1.48598251}, {}, 55.7077795},
      {"DC-10", {66.5042094, 12.5, 131040, 3848, 1.430526681},
       {-6.0827906, 12.5, 172800, 24718.68, 2.038569549}, {}, 84.5842094},
  };
  auto near = [](double value, double printed) {
    return std::fabs(value - printed) <= 6e-10 * std::max(1.0, std::fabs(printed));
  };
  for (const Sheet& sheet : sheets) {
    SCOPED_TRACE(sheet.name);
    const auto a = LoadAircraft(sheet.name, 10, 0.025);
    ASSERT_TRUE(a.has_value());
    double mainX = 0;
    for (int g = 0; g < a->NumGears; ++g) {
      const auto i = static_cast<std::size_t>(g);
      const Gear& e = g == 0 ? sheet.nose : (g <= 2 ? sheet.main : sheet.rear);
      EXPECT_TRUE(near(a->GearX[i], e.x)) << g << " " << a->GearX[i];
      EXPECT_TRUE(near(a->GearLength[i], e.length)) << g << " " << a->GearLength[i];
      EXPECT_TRUE(near(a->TyreStiffness[i], e.tyreStiffness)) << g;
      EXPECT_TRUE(near(a->AirPreloadForce[i], e.preload)) << g << " " << a->AirPreloadForce[i];
      EXPECT_TRUE(near(a->AirColumnLength[i], e.airColumn)) << g << " " << a->AirColumnLength[i];
      EXPECT_TRUE(near(a->StrutRakeSine[i], g == 0 ? 0.0 : 0.0871557800)) << g;
      EXPECT_EQ(a->StationX[i], a->GearX[i]);  // gear stations sit at the gears
      if (g > 0) mainX += a->GearX[i] / (a->NumGears - 1);
    }
    // Nose gear and the mean main-gear position are one wheelbase apart; cg station at 0.
    EXPECT_NEAR(a->GearX[0] - mainX, a->Wheelbase, 1e-9);
    EXPECT_EQ(a->StationX[static_cast<std::size_t>(CgStation(*a))], 0.0);
    EXPECT_TRUE(near(a->StationX[static_cast<std::size_t>(PilotStation(*a))], sheet.pilotX));
  }
  EXPECT_TRUE(LoadAircraft("  DC-9 ", 10, 0.025).has_value());
}

TEST(Aircraft, OrificeTablesAndInterpolation) {
  // Independent evaluation of rho / (2 Cd^2) x Ah^3 / An^2 for the B-727 nose gear's first pin.
  const auto b727 = LoadAircraft("B-727", 10, 0.025);
  const double An = 0.95 - std::acos(-1.0) / 4 * 0.976 * 0.976;
  EXPECT_NEAR(b727->OrificeCoefficient[0][0], 1.454 / (2 * 0.81) * std::pow(14.19, 3) / (An * An) / 144, 1e-6);
  EXPECT_DOUBLE_EQ(b727->OrificeStroke[0][5], 12.02 / 12);
  const auto a = LoadAircraft("B-747", 10, 0.025);
  const auto& X = a->OrificeStroke[3];
  const auto& Y = a->OrificeCoefficient[3];
  EXPECT_EQ(InterpolateOrifice(*a, 3, -0.1), Y[0]);
  EXPECT_EQ(InterpolateOrifice(*a, 3, 5.0), Y[7]);
  EXPECT_EQ(InterpolateOrifice(*a, 3, X[7]), Y[7]);  // at the last point: not below it
  for (std::size_t i = 0; i + 1 < 8; ++i) {
    EXPECT_NEAR(InterpolateOrifice(*a, 3, (X[i] + X[i + 1]) / 2), (Y[i] + Y[i + 1]) / 2, 1e-9 * Y[i]);
    EXPECT_NEAR(InterpolateOrifice(*a, 3, X[i + 1] - 1e-12), Y[i + 1], 1e-6 * Y[i + 1]);
  }
}

// Ground in feet: samples 1..n at 1 ft, elevation f(x), zero margins of `margin` samples.
template <typename F>
MarginSeries Ground(int n, int margin, F f) {
  MarginSeries g;
  g.n = n, g.spacing = 1.0, g.margin = margin;
  g.z.assign(static_cast<std::size_t>(n + 2 * margin + 3), 0.0f);
  for (int i = g.first(); i <= g.last(); ++i) g.z[static_cast<std::size_t>(i + margin + 1)] = static_cast<float>(f(i - 1.0));
  return g;
}
const auto kLevel = [](double) { return 0.0; };

AircraftSimulator Standing(const AircraftModel& a, MarginSeries ground, double x, double V) {
  AircraftSimulator sim(a, std::move(ground));
  sim.body.PositionX = x;
  sim.body.BodyU = sim.control.AircraftSpeedFps = V;
  sim.control.SimTimeStep = 0.01, sim.control.GroundNInner = 4;
  return sim;
}

TEST(Equilibrium, FollowsTheGradeAndBalancesTheWeight) {
  const auto a = LoadAircraft("B-747", 10, 0.025);
  NullProgress progress;
  int iterations = 0;
  auto flat = Standing(*a, Ground(400, 100, kLevel), 150, 100);
  FindStaticEquilibrium(flat, progress, iterations);
  EXPECT_EQ(flat.control.SimTimeStep, 0.01);  // the run's step is given back
  // On a 1 % upgrade the aircraft pitches up by the grade and stands as high above the ground.
  auto slope = Standing(*a, Ground(400, 100, [](double x) { return 0.01 * x; }), 150, 100);
  FindStaticEquilibrium(slope, progress, iterations);
  EXPECT_NEAR(slope.body.Pitch - flat.body.Pitch, std::atan(0.01), 2e-5);
  EXPECT_NEAR(slope.body.Altitude - 0.01 * 150, flat.body.Altitude, 0.01);
  // The gears carry the weight (cosine of the grade) without pitching moment.
  double lift = 0, moment = 0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(a->NumGears); ++i) {
    lift += slope.gear.GearBodyForce[i];
    moment += -a->GearX[i] * slope.gear.GearBodyForce[i];
  }
  EXPECT_NEAR(-lift, a->Weight * std::cos(slope.body.Pitch), 0.05);  // 1e-6 ft/s^2 residual
  EXPECT_NEAR(moment / (a->Weight * 84), 0.0, 1e-9);
}

TEST(Equilibrium, FatalFailuresAreReportedNotPassedOver) {
  int iterations = 0;
  auto failure = [&](AircraftSimulator sim) {
    NullProgress progress;
    try {
      FindStaticEquilibrium(sim, progress, iterations);
    } catch (const SimulationFailure& f) {
      return std::optional<SimulationFailureKind>(f.kind);
    }
    return std::optional<SimulationFailureKind>();
  };
  // A 4-ft plateau under the B-747's wing gears lifts its body gears clear of the runway.
  const auto b747 = LoadAircraft("B-747", 10, 0.025);
  EXPECT_EQ(failure(Standing(*b747, Ground(400, 100, [](double x) { return (x > 140 && x < 152) ? 4.0 : 0.0; }), 150, 100)),
            SimulationFailureKind::GearOffGround);
  // Accelerations that are not numbers never converge; that must not pass for convergence.
  auto b727 = *LoadAircraft("B-727", 10, 0.025);
  b727.PitchInertia = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(failure(Standing(b727, Ground(400, 100, kLevel), 150, 100)),
            SimulationFailureKind::NoConvergence);
  EXPECT_EQ(iterations, 251);
  // Leaving the profile: the DC-9 nose gear 164 ft out, where the margins end at 120 ft.
  auto off = Standing(*LoadAircraft("DC-9", 10, 0.025), Ground(100, 20, kLevel), 110, 100);
  try {
    off.SimulateStep();
    ADD_FAILURE() << "the nose gear left the profile unnoticed";
  } catch (const SimulationFailure& f) {
    EXPECT_EQ(f.kind, SimulationFailureKind::GearLeftProfile);
    EXPECT_EQ(f.gear, 1);
    EXPECT_EQ(f.aircraft_type, "DC-9");
  }
}

TEST(Dynamics, FreeFallAndPitchWrap) {
  const auto a = LoadAircraft("B-727", 10, 0.025);
  auto sim = Standing(*a, Ground(400, 100, kLevel), 150, 100);
  sim.body.Altitude = 500;  // every gear hangs clear of the runway
  sim.body.Pitch = 0.1, sim.body.SinPitch = std::sin(0.1), sim.body.CosPitch = std::cos(0.1);
  sim.body.PitchRate = 0.2;
  sim.control.GroundNInner = 1;
  sim.SimulateStep();
  EXPECT_DOUBLE_EQ(sim.body.VerticalAccel, 32.2 * std::cos(0.1) + 0.2 * 100);
  EXPECT_NEAR(sim.body.Pitch, 0.1 + 0.2 * 0.01, 1e-15);
  // Nose over past half a turn: the angle comes back from the other side.
  sim.body.Pitch = 3.14, sim.body.PitchRate = 0.5;
  sim.SimulateStep();
  EXPECT_NEAR(sim.body.Pitch, 3.14 + 0.005 - 6.28318530718, 1e-12);
  EXPECT_NEAR(sim.body.SinPitch, std::sin(sim.body.Pitch), 1e-12);
}

}  // namespace
}  // namespace tarmac
