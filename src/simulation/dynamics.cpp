#include "simulation/dynamics.h"

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "common/rounding.h"
#include "common/units.h"
#include "simulation/simulation_failure.h"

namespace tarmac {
namespace {

constexpr double kPi = 3.14159265359;
constexpr double kTwoPi = 6.28318530718;
// The tyre damping force is limited so that a violent rebound cannot produce absurd forces.
constexpr double kTyreDampingForceLimit = 5000000;

std::size_t At(int i) { return static_cast<std::size_t>(i); }

}  // namespace

MarginSeries GroundInFeet(const PreparedProfile& profile) {
  MarginSeries g = profile;
  // Elevations are held in inches; the aircraft works in feet. The margins are zeros.
  for (std::int32_t i = 1; i <= g.n; ++i) {
    float& v = g.z[static_cast<std::size_t>(i + g.margin + 1)];
    v = v / 12;
  }
  return g;
}

double InterpolateOrifice(const AircraftModel& a, int g, double stroke) {
  const auto& X = a.OrificeStroke[At(g)];
  const auto& Y = a.OrificeCoefficient[At(g)];
  const int n = a.OrificePoints[At(g)];
  int k = 0;
  while (k < n && !(stroke < X[At(k)])) ++k;
  if (k == n) return Y[At(n - 1)];
  if (k == 0) return Y[0];
  const double xa = X[At(k - 1)], xb = X[At(k)], ya = Y[At(k - 1)], yb = Y[At(k)];
  const double slope = (yb - ya) / (xb - xa);
  const double intercept = (ya * xb - yb * xa) / (xb - xa);
  return intercept + slope * stroke;
}

AircraftSimulator::AircraftSimulator(std::shared_ptr<const AircraftModel> aircraft,
                                     MarginSeries ground)
    : aircraft_(std::move(aircraft)), ground_(std::move(ground)) {
  if (!aircraft_) throw std::invalid_argument("A simulator needs an aircraft.");
}

AircraftSimulator::AircraftSimulator(AircraftModel aircraft, MarginSeries ground)
    : AircraftSimulator(std::make_shared<const AircraftModel>(std::move(aircraft)),
                        std::move(ground)) {}

double AircraftSimulator::ProfileHeight(int g, double x) const {
  const double s = ground_.spacing;
  const double cell = std::floor(x / s) + 1;
  // The sample under the gear and the one after it must lie within the prepared profile.
  if (!(cell >= ground_.first() && cell + 1 <= ground_.last())) {
    throw SimulationFailure{SimulationFailureKind::GearLeftProfile, aircraft_->TypeName, g + 1};
  }
  const std::int32_t k = Int(x / s) + 1;
  const double zk = ground_.at(k);
  const double slope = (static_cast<double>(ground_.at(k + 1)) - zk) / s;
  return zk + slope * (x - (k - 1) * s);
}

void AircraftSimulator::GearGeometry(int g) {
  const AircraftModel& a = *aircraft_;
  const auto i = At(g);
  const BodyState& b = body;
  gear.GroundHeight[i] = ProfileHeight(g, b.PositionX + a.GearX[i]);
  gear.GearPenetration[i] = (a.GearLength[i] + modal.StationDisp[i]) * b.CosPitchStart -
                            b.SinPitchStart * a.GearX[i] - b.Altitude + gear.GroundHeight[i];
  gear.GearCompression[i] = a.AirColumnLength[i] + gear.GearPenetration[i];
  const double vx = b.PitchRate * a.GearLength[i] + b.BodyU;
  const double vz = b.BodyW - b.PitchRate * a.GearX[i];
  gear.AttachVelocity[i] = b.CosPitchStart * vz - b.SinPitchStart * vx + modal.StationVel[i];
}

void AircraftSimulator::DynamicGearForce(int g, double h) {
  const AircraftModel& a = *aircraft_;
  const auto i = At(g);
  GearState& s = gear;

  double C = InterpolateOrifice(a, g, s.StrutStroke[i]);
  if (C < a.OrificeCoefficientMin[i]) C = a.OrificeCoefficientMin[i];
  s.OrificeDamping[i] = C;
  s.TyreDeflection[i] = s.GearCompression[i] - s.StrutStroke[i];
  if (s.TyreDeflection[i] < 0) s.TyreDeflection[i] = 0;
  s.AirForce[i] = a.AirPreloadForce[i] / (1 - s.StrutStroke[i] / a.AirColumnLength[i]);
  s.FrictionLimit[i] = a.FrictionCoefficient * s.AirForce[i] * a.StrutRakeSine[i] + a.SealFriction[i];
  // The tyre's damping grows with its deflection: a tyre just touching the ground damps nothing.
  const double c = a.TyreDamping[i] * s.TyreDeflection[i] /
                   static_cast<double>(a.TyreDampingDeflection[i]);
  const double dampingForce =
      ClampValue(-kTyreDampingForceLimit, c * s.AttachVelocity[i], kTyreDampingForceLimit);
  double tyreForce = s.TyreDeflection[i] * a.TyreStiffness[i] * a.TyresPerGear[i] + dampingForce;

  // Strut: the air spring against the tyre, held by Coulomb friction until the difference
  // breaks it loose; then the orifice (C rate^2) and the tyre damping (c rate) take the excess
  // over the sliding friction.
  const double dF = s.AirForce[i] - tyreForce;
  const double held = s.FrictionState[i];
  const auto clampTyre = [&] {
    if (s.TyreDeflection[i] <= 0) {
      tyreForce = 0;
    } else if (tyreForce < 0) {
      tyreForce = 0;
    }
  };
  if (-held <= dF && dF <= held) {
    s.StrutRate[i] = 0;
    s.FrictionState[i] = s.FrictionLimit[i];
  } else if (dF < -held) {
    s.FrictionState[i] = s.FrictionLimit[i] * a.SlidingFrictionRatio[i];
    const double bq = c / C;
    s.StrutRate[i] = (std::sqrt(bq * bq - 4 * (dF + s.FrictionState[i]) / C) - bq) / 2;
    s.StrutStroke[i] += h * s.StrutRate[i];
    tyreForce -= c * s.StrutRate[i];
    clampTyre();
  } else {
    s.FrictionState[i] = s.FrictionLimit[i] * a.SlidingFrictionRatio[i];
    const double bq = c / C;
    s.StrutRate[i] = -(std::sqrt(bq * bq + 4 * (dF - s.FrictionState[i]) / C) - bq) / 2;
    s.StrutStroke[i] += h * s.StrutRate[i];
    if (s.StrutStroke[i] < 0) {
      s.StrutStroke[i] = 0;
      s.StrutRate[i] = 0;
    }
    tyreForce -= c * s.StrutRate[i];
    clampTyre();
  }
  // The strut never closes onto its air column, so the air force stays finite.
  if (s.StrutStroke[i] > 0.99 * a.AirColumnLength[i]) s.StrutStroke[i] = 0.99 * a.AirColumnLength[i];
  s.GearForce[i] = -tyreForce;
}

void AircraftSimulator::StaticGearForce(int g) {
  const AircraftModel& a = *aircraft_;
  const auto i = At(g);
  GearState& s = gear;
  const double n = a.TyresPerGear[i];
  const double k = a.TyreStiffness[i];
  const double T = s.GearCompression[i];
  const double La = a.AirColumnLength[i];
  const double P = a.AirPreloadForce[i];
  // The stroke at which the isothermal air force P / (1 - s/La) equals the tyre force
  // n k (T - s).
  const double sum = T + La;
  const double d = 4 * La * (n * k * T - P) / (n * k);
  double stroke = (sum - std::sqrt(sum * sum - d)) / 2;
  // A load below the preload leaves the strut fully extended, and a tyre clear of the ground
  // carries nothing: it never pulls the aircraft down.
  if (stroke < 0) stroke = 0;
  s.StrutStroke[i] = stroke;
  const double tyreCompression = T - stroke;
  s.GearForce[i] = tyreCompression <= 0 ? 0.0 : -n * k * tyreCompression;
  s.TyreDeflection[i] = -s.GearForce[i] / (n * k);
  // The strut starts stuck, its friction set by the static load it carries (the air-spring
  // force, equal to the tyre load at rest), the same law the rolling strut follows.
  const double load = -s.GearForce[i];
  s.FrictionLimit[i] = a.FrictionCoefficient * load * a.StrutRakeSine[i] + a.SealFriction[i];
  s.FrictionState[i] = s.FrictionLimit[i];
}

void AircraftSimulator::ModalToStations() {
  const AircraftModel& a = *aircraft_;
  for (int st = 0; st < a.NumStations; ++st) {
    double d = 0, v = 0, acc = 0;
    for (int j = 0; j < a.NumberOfModes; ++j) {
      const double phi = a.ModeShape[At(j)][At(st)];
      d += phi * modal.ModalDisp[At(j)];
      v += phi * modal.ModalVel[At(j)];
      acc += phi * modal.ModalAccel[At(j)];
    }
    modal.StationDisp[At(st)] = d;
    modal.StationVel[At(st)] = v;
    modal.StationAccel[At(st)] = acc;
  }
}

void AircraftSimulator::IntegrateModes(double h) {
  const AircraftModel& a = *aircraft_;
  for (int j = 0; j < a.NumberOfModes; ++j) {
    const auto m = At(j);
    double f = 0;
    for (int g = 0; g < a.NumGears; ++g) f += a.ModeShape[m][At(g)] * gear.GearBodyForce[At(g)];
    modal.ModalForce[m] = f;
    if (control.StaticMode) {
      modal.ModalDisp[m] = f / a.ModalMass[m] / a.ModalStiffness[m];
      modal.ModalVel[m] = 0;
      modal.ModalAccel[m] = 0;
    } else {
      modal.ModalAccel[m] = f / a.ModalMass[m] - a.ModalDamping[m] * modal.ModalVel[m] -
                            a.ModalStiffness[m] * modal.ModalDisp[m];
      modal.ModalVel[m] += modal.ModalAccel[m] * h;
      modal.ModalDisp[m] += h * modal.ModalVel[m];
    }
  }
}

void AircraftSimulator::IntegrateRigidBody(double h, int innerIndex) {
  const AircraftModel& a = *aircraft_;
  BodyState& b = body;
  IntegrateModes(h);
  // Semi-implicit Euler: rates first, then positions with the new rates.
  b.VerticalAccel = kGravity * (sumFz_ / a.Weight) + kGravity * b.CosPitch + b.PitchRate * b.BodyU;
  b.BodyW += b.VerticalAccel * h;
  b.BodyU = control.AircraftSpeedFps / b.CosPitch;
  b.PitchAccel = sumM_ / a.PitchInertia;
  b.PitchRate += b.PitchAccel * h;
  const double sinkRate = -b.SinPitch * b.BodyU + b.CosPitch * b.BodyW;
  b.Altitude -= sinkRate * h;
  b.PitchStart = b.Pitch;
  const double dTheta = b.PitchRate * h;
  b.Pitch += dTheta;
  if (b.Pitch > kPi) b.Pitch -= kTwoPi;
  if (b.Pitch < -kPi) b.Pitch += kTwoPi;
  if (innerIndex == 1) {
    // Resynchronise the incremental sine and cosine once per outer step.
    b.SinPitch = std::sin(b.Pitch);
    b.CosPitch = std::cos(b.Pitch);
  } else {
    b.CosPitch -= b.SinPitch * dTheta;
    b.SinPitch += dTheta;
  }
  b.SinPitchStart = std::sin(b.PitchStart);
  b.CosPitchStart = std::cos(b.PitchStart);
  // A motionless step (the equilibrium search) leaves the aircraft where it stands, whatever
  // state the search has tried.
  if (h != 0) {
    const double forwardRate = b.CosPitch * b.BodyU + b.SinPitch * b.BodyW;
    b.PositionX += forwardRate * h;
  }
}

void AircraftSimulator::SimulateStep() {
  const AircraftModel& a = *aircraft_;
  const int N = control.StaticMode ? 1 : control.GroundNInner;
  if (N < 1) return;
  const double h = control.SimTimeStep / N;
  for (int inner = 1; inner <= N; ++inner) {
    ModalToStations();
    // Every gear's geometry comes from the same body state, before any gear's force.
    for (int g = 0; g < a.NumGears; ++g) GearGeometry(g);
    for (int g = 0; g < a.NumGears; ++g) gear.GearForce[At(g)] = 0;
    for (int g = 0; g < a.NumGears; ++g) {
      if (control.StaticMode) {
        StaticGearForce(g);
      } else {
        DynamicGearForce(g, h);
      }
    }
    sumFz_ = 0;
    sumM_ = 0;
    for (int g = 0; g < a.NumGears; ++g) {
      const auto i = At(g);
      gear.GearBodyForce[i] = body.CosPitchStart * gear.GearForce[i];
      sumFz_ += gear.GearBodyForce[i];
      sumM_ += -a.GearX[i] * gear.GearBodyForce[i];
    }
    IntegrateRigidBody(h, inner);
  }
}

double AircraftSimulator::StationAccelG(int s) const {
  return (body.VerticalAccel - body.PitchAccel * aircraft_->StationX[At(s)] +
          modal.StationAccel[At(s)]) /
         kGravity;
}

}  // namespace tarmac
