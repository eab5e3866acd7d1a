#include "simulation/equilibrium.h"

#include <cmath>
#include <string>

#include "common/rounding.h"
#include "simulation/simulation_failure.h"

namespace tarmac {
namespace {

constexpr int kMaxIterations = 250;
constexpr double kTolerance = 0.000001;
// Residual (ft/s^2, pitch term scaled by the gear span) above which Newton steps are damped.
constexpr double kFullStepResidual = 5;

std::size_t At(int i) { return static_cast<std::size_t>(i); }

// Four motionless steps let the gear loads, the static modal deflections and the pitch sine and
// cosine used by the gear geometry settle on one another.
void Evaluate(AircraftSimulator& sim) {
  for (int i = 0; i < 4; ++i) sim.SimulateStep();
}

void AlignVelocity(BodyState& b, double V) {
  b.BodyU = V * std::cos(b.Pitch);
  b.BodyW = V * std::sin(b.Pitch);
}

// Ground elevation (ft) of the sample at or behind x, as the first estimate reads it.
double SampleBelow(const AircraftSimulator& sim, int g, double x) {
  const MarginSeries& z = sim.ground();
  const double cell = std::floor(x / z.spacing);
  if (!(cell >= z.first() && cell <= z.last())) {
    throw SimulationFailure{SimulationFailureKind::GearOutsideProfile, sim.aircraft().TypeName,
                            g + 1};
  }
  return z.at(Int(x / z.spacing));
}

}  // namespace

void FindStaticEquilibrium(AircraftSimulator& sim, Progress& progress, int& iterations) {
  const AircraftModel& a = sim.aircraft();
  BodyState& b = sim.body;
  GearState& gs = sim.gear;
  const int NG = a.NumGears;
  const auto nose = At(0);
  const auto rear = At(NG - 1);

  sim.control.StaticMode = true;
  const double V = b.BodyU;
  b.BodyW = 0;
  b.PitchRate = 0;
  b.Pitch = 0;
  b.SinPitch = std::sin(b.Pitch);
  b.CosPitch = std::cos(b.Pitch);
  AlignVelocity(b, V);

  const double span = a.GearX[nose] - a.GearX[rear];
  const double dh = 0.01;
  const double dTheta = 0.01 / span;

  // First estimate: the weight shared by lever rule between the nose and the main gears, each
  // strut at its isothermal stroke under that load.
  std::array<double, kMaxGears> load{};
  load[nose] = (1 - a.GearX[nose] / a.Wheelbase) * a.Weight;
  for (int g = 1; g < NG; ++g) load[At(g)] = (a.Weight - load[nose]) / (NG - 1);
  for (int g = 0; g < NG; ++g) {
    const auto i = At(g);
    gs.GearForce[i] = load[i];
    gs.StrutStroke[i] = (1 - a.AirPreloadForce[i] / load[i]) * a.AirColumnLength[i];
    gs.TyreDeflection[i] = load[i] / (a.TyresPerGear[i] * a.TyreStiffness[i]);
    gs.GearPenetration[i] = gs.StrutStroke[i] + gs.TyreDeflection[i] - a.AirColumnLength[i];
    gs.GearCompression[i] = a.AirColumnLength[i] + gs.GearPenetration[i];
  }
  const double z1 = SampleBelow(sim, 0, b.PositionX + a.GearX[nose]);
  const double zN = SampleBelow(sim, NG - 1, b.PositionX + a.GearX[rear]);
  b.Pitch = (z1 - zN + a.GearLength[nose] - a.GearLength[rear] - gs.GearPenetration[nose] +
             gs.GearPenetration[rear]) /
            span;
  b.Altitude = zN + a.GearLength[rear] - gs.GearPenetration[rear] - b.Pitch * a.GearX[rear];
  b.SinPitch = std::sin(b.Pitch);
  b.CosPitch = std::cos(b.Pitch);
  const double savedStep = sim.control.SimTimeStep;
  sim.control.SimTimeStep = 0;

  Evaluate(sim);
  b.SinPitch = std::sin(b.Pitch);
  b.CosPitch = std::cos(b.Pitch);
  AlignVelocity(b, V);
  Evaluate(sim);
  sim.SimulateStep();
  sim.SimulateStep();

  double A = b.VerticalAccel;
  double B = b.PitchAccel;
  iterations = 0;
  do {
    const double a0 = A, b0 = B;
    b.Altitude += dh;
    Evaluate(sim);
    double ap = b.VerticalAccel, bp = b.PitchAccel;
    b.Altitude -= 2 * dh;
    Evaluate(sim);
    double am = b.VerticalAccel, bm = b.PitchAccel;
    const double dAdh = (ap - am) / (2 * dh);
    const double dBdh = (bp - bm) / (2 * dh);
    b.Altitude += dh;

    b.Pitch += dTheta;
    AlignVelocity(b, V);
    Evaluate(sim);
    ap = b.VerticalAccel;
    bp = b.PitchAccel;
    b.Pitch -= 2 * dTheta;
    AlignVelocity(b, V);
    Evaluate(sim);
    am = b.VerticalAccel;
    bm = b.PitchAccel;
    const double dAdt = (ap - am) / (2 * dTheta);
    const double dBdt = (bp - bm) / (2 * dTheta);
    b.Pitch += dTheta;

    const double det = dAdh * dBdt - dBdh * dAdt;
    const double r = std::fabs(am) + std::fabs(bm * span) <= kFullStepResidual ? 1.0 : 0.1;
    b.Altitude -= r * (a0 * dBdt - b0 * dAdt) / det;
    b.Pitch -= r * (dAdh * b0 - dBdh * a0) / det;
    AlignVelocity(b, V);
    Evaluate(sim);
    A = b.VerticalAccel;
    B = b.PitchAccel;
    sim.ModalToStations();
    ++iterations;

    for (int g = 0; g < NG; ++g) {
      if (gs.GearForce[At(g)] == 0)
        throw SimulationFailure{SimulationFailureKind::GearOffGround, a.TypeName};
    }
    if (progress.cancelled()) throw Cancelled{};
    if (iterations > kMaxIterations)
      throw SimulationFailure{SimulationFailureKind::NoConvergence, a.TypeName};
    // A residual that is not a number has not converged either.
  } while (!(std::fabs(A) + std::fabs(B * span) < kTolerance));

  sim.control.SimTimeStep = savedStep;
  sim.control.StaticMode = false;
}

}  // namespace tarmac
