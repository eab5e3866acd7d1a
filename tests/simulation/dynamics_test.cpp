#include "simulation/dynamics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "simulation/equilibrium.h"
#include "simulation/simulation_failure.h"

namespace tarmac {
namespace {

// Ground in feet: samples 1..n at `spacing`, elevation f(x), zero margins of `margin` samples.
template <typename F>
GroundProfile Ground(int n, double spacing, int margin, F f) {
  GroundProfile g;
  g.n = n;
  g.spacing = spacing;
  g.margin = margin;
  g.z.assign(static_cast<std::size_t>(n + 2 * margin + 3), 0.0f);
  for (int i = g.first(); i <= g.last(); ++i)
    g.z[static_cast<std::size_t>(i + margin + 1)] = static_cast<float>(f((i - 1) * spacing));
  return g;
}

AircraftSimulator Standing(const AircraftModel& a, GroundProfile ground, double x, double V) {
  AircraftSimulator sim(a, std::move(ground));
  sim.body.PositionX = x;
  sim.body.BodyU = V;
  sim.control.AircraftSpeedFps = V;
  sim.control.SimTimeStep = 0.01;
  sim.control.GroundNInner = 4;
  return sim;
}

TEST(Equilibrium, FollowsTheGradeAndBalancesTheWeight) {
  const auto a = LoadAircraft("B-747", 10, 0.025);
  NullProgress progress;
  int iterations = 0;
  auto flat = Standing(*a, Ground(400, 1.0, 100, [](double) { return 0.0; }), 150, 100);
  FindStaticEquilibrium(flat, progress, iterations);
  EXPECT_GE(iterations, 1);
  const double flatPitch = flat.body.Pitch;
  const double flatAltitude = flat.body.Altitude;
  EXPECT_FALSE(flat.control.StaticMode);
  EXPECT_EQ(flat.control.SimTimeStep, 0.01);  // the run's step is given back

  // On a 1 % upgrade the aircraft pitches up by the grade and stands as high above the ground.
  const double grade = 0.01;
  auto slope = Standing(*a, Ground(400, 1.0, 100, [&](double x) { return grade * x; }), 150, 100);
  FindStaticEquilibrium(slope, progress, iterations);
  EXPECT_NEAR(slope.body.Pitch - flatPitch, std::atan(grade), 2e-5);
  EXPECT_NEAR(slope.body.Altitude - grade * 150, flatAltitude, 0.01);
  // The gears carry the weight (cosine of the grade) without pitching moment; the modes hold
  // their static deflections.
  double lift = 0, moment = 0;
  for (int g = 0; g < a->NumGears; ++g) {
    const auto i = static_cast<std::size_t>(g);
    EXPECT_LT(slope.gear.GearForce[i], 0.0);
    EXPECT_GT(slope.gear.StrutStroke[i], 0.0);
    EXPECT_LT(slope.gear.StrutStroke[i], a->AirColumnLength[i]);
    lift += slope.gear.GearBodyForce[i];
    moment += -a->GearX[i] * slope.gear.GearBodyForce[i];
  }
  EXPECT_NEAR(-lift, a->Weight * std::cos(slope.body.Pitch), 0.05);  // 1e-6 ft/s^2 residual
  EXPECT_NEAR(moment / (a->Weight * 84), 0.0, 1e-9);
  for (int j = 0; j < a->NumberOfModes; ++j) {
    const auto m = static_cast<std::size_t>(j);
    EXPECT_NEAR(slope.modal.ModalDisp[m] * a->ModalStiffness[m] * a->ModalMass[m],
                slope.modal.ModalForce[m], 1e-9 * a->Weight);
    EXPECT_EQ(slope.modal.ModalVel[m], 0.0);
  }
}

TEST(Equilibrium, RestsThenRollsWithoutDisturbance) {
  // Standing on a flat runway the first rolling steps keep the accelerations near zero: the
  // static strut friction, strokes and modal deflections agree with the rolling laws. (The
  // equilibrium lets the modes settle over four motionless steps, which leaves a start
  // transient of a few ten-thousandths of a g.)
  const auto a = LoadAircraft("DC-10", 10, 0.025);
  NullProgress progress;
  int iterations = 0;
  auto sim = Standing(*a, Ground(600, 1.0, 100, [](double) { return 0.0; }), 100, 150);
  FindStaticEquilibrium(sim, progress, iterations);
  for (int step = 0; step < 200; ++step) {
    sim.SimulateStep();
    sim.ModalToStations();
    ASSERT_NEAR(sim.StationAccelG(CgStation(*a)), 0.0, 1e-3) << "step " << step;
  }
  // Ground speed V + sin(pitch) w: a few thousandths of a foot over 300 ft at this pitch.
  EXPECT_NEAR(sim.body.PositionX, 100 + 200 * 0.01 * 150, 0.01);
}

TEST(Equilibrium, GearOffTheGroundIsFatal) {
  // A 4-ft plateau under the B-747's wing gears lifts its body gears clear of the runway.
  const auto a = LoadAircraft("B-747", 10, 0.025);
  auto sim = Standing(*a, Ground(400, 1.0, 100, [](double x) {
                        return (x > 140 && x < 152) ? 4.0 : 0.0;
                      }),
                      150, 100);
  NullProgress progress;
  int iterations = 0;
  try {
    FindStaticEquilibrium(sim, progress, iterations);
    FAIL() << "no failure";
  } catch (const SimulationFailure& f) {
    EXPECT_EQ(f.title, "Fatal Error");
    EXPECT_EQ(f.text,
              "One or more tires are off the ground in Sub STARTSTRAIGHT. Cannot continue.");
  }
}

TEST(Equilibrium, GivesUpAfterThe250thIteration) {
  // An aircraft whose accelerations are not numbers never converges; it must not pass for one
  // that did.
  auto a = *LoadAircraft("B-727", 10, 0.025);
  a.PitchInertia = std::numeric_limits<double>::quiet_NaN();
  auto sim = Standing(a, Ground(400, 1.0, 100, [](double) { return 0.0; }), 150, 100);
  NullProgress progress;
  int iterations = 0;
  try {
    FindStaticEquilibrium(sim, progress, iterations);
    FAIL() << "no failure";
  } catch (const SimulationFailure& f) {
    EXPECT_EQ(f.title, "Fatal Error");
    EXPECT_EQ(f.text,
              "No Convergence to steady state after 250iterations in Sub STARTSTRAIGHT."
              "Cannot continue.");
  }
  EXPECT_EQ(iterations, 251);
}

TEST(Dynamics, FreeFallAndPitchWrap) {
  const auto a = LoadAircraft("B-727", 10, 0.025);
  auto sim = Standing(*a, Ground(400, 1.0, 100, [](double) { return 0.0; }), 150, 100);
  sim.body.Altitude = 500;  // every gear hangs clear of the runway
  sim.body.Pitch = 0.1;
  sim.body.SinPitch = std::sin(0.1);
  sim.body.CosPitch = std::cos(0.1);
  sim.body.PitchRate = 0.2;
  sim.control.GroundNInner = 1;
  const double u = sim.body.BodyU;
  sim.SimulateStep();
  EXPECT_DOUBLE_EQ(sim.body.VerticalAccel, 32.2 * std::cos(0.1) + 0.2 * u);
  EXPECT_EQ(sim.body.PitchAccel, 0.0);
  for (int g = 0; g < a->NumGears; ++g) EXPECT_EQ(sim.gear.GearForce[static_cast<std::size_t>(g)], 0.0);
  EXPECT_NEAR(sim.body.Pitch, 0.1 + 0.2 * 0.01, 1e-15);

  // Nose over past half a turn: the angle comes back from the other side.
  sim.body.Pitch = 3.14;
  sim.body.PitchRate = 0.5;
  sim.SimulateStep();
  EXPECT_NEAR(sim.body.Pitch, 3.14 + 0.005 - 6.28318530718, 1e-12);
  EXPECT_NEAR(sim.body.SinPitch, std::sin(sim.body.Pitch), 1e-12);  // first inner step: exact
  sim.body.PitchRate = -1.0;
  sim.SimulateStep();
  EXPECT_NEAR(sim.body.Pitch, 3.14 + 0.005 - 0.01, 1e-12);
}

TEST(Dynamics, LeavingTheProfileIsRefused) {
  const auto a = LoadAircraft("DC-9", 10, 0.025);
  auto sim = Standing(*a, Ground(100, 1.0, 20, [](double) { return 0.0; }), 110, 100);
  EXPECT_THROW(sim.SimulateStep(), SimulationFailure);  // nose gear 164 ft out, margins end at 120
}

}  // namespace
}  // namespace tarmac
