#pragma once
// The aircraft rolling over the ground: per-gear ground contact and strut dynamics, the modal
// airframe and the rigid body (heave and pitch at constant ground speed), advanced one profile
// sample at a time by `SimulateStep`.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "profile/prepared_profile.h"
#include "simulation/aircraft.h"

namespace tarmac {

// The ground under the aircraft: the prepared profile (inches) with samples 1..n converted to
// feet; the margins are copied.
MarginSeries GroundInFeet(const PreparedProfile& profile);

// Per-gear memory and work values; index g is gear g + 1.
struct GearState {
  std::array<double, kMaxGears> GroundHeight{};     // ft, profile under the gear; geometry pass
  std::array<double, kMaxGears> GearPenetration{};  // ft, reference point below ground; geometry
  std::array<double, kMaxGears> GearCompression{};  // ft, shared by strut and tyre; geometry
  std::array<double, kMaxGears> AttachVelocity{};   // ft/s, earth-down, attachment; geometry
  std::array<double, kMaxGears> StrutStroke{};      // ft, closure; StrutStep / static solution
  std::array<double, kMaxGears> StrutRate{};        // ft/s, closure rate; StrutStep
  std::array<double, kMaxGears> TyreDeflection{};   // ft, never negative; force pass
  std::array<double, kMaxGears> AirForce{};         // lb, air spring; force pass
  std::array<double, kMaxGears> FrictionLimit{};    // lb, static friction level; force pass
  std::array<double, kMaxGears> FrictionState{};    // lb, level in force (stick/slide); StrutStep
  std::array<double, kMaxGears> OrificeDamping{};   // lb/(ft/s)^2 at the stroke; force pass
  std::array<double, kMaxGears> GearForce{};        // lb, negated tyre force; force pass
  std::array<double, kMaxGears> GearBodyForce{};    // lb, body-z component; force sums
};

// Rigid-body state. Written by IntegrateRigidBody unless noted.
struct BodyState {
  double PositionX = 0.0;      // ft, cg along the profile (sample i at (i-1) x spacing)
  double Altitude = 0.0;       // ft, cg height, up
  double Pitch = 0.0;          // rad, nose up, within +-pi
  double SinPitch = 0.0;       // sine of Pitch, incremental within an outer step
  double CosPitch = 1.0;       // cosine of Pitch, incremental within an outer step
  double PitchStart = 0.0;     // rad, Pitch before the latest inner update (gear geometry)
  double SinPitchStart = 0.0;  // exact sine of PitchStart
  double CosPitchStart = 1.0;  // exact cosine of PitchStart
  double BodyU = 0.0;          // ft/s, along body x (forward)
  double BodyW = 0.0;          // ft/s, along body z (down)
  double PitchRate = 0.0;      // rad/s
  double VerticalAccel = 0.0;  // ft/s^2, dw/dt of the latest inner step
  double PitchAccel = 0.0;     // rad/s^2, dq/dt of the latest inner step
};

// Modal coordinates (index m is mode m + 1) and their sums at the stations (index s is
// station s + 1). Modes are written by IntegrateModes, stations by ModalToStations.
struct ModalState {
  std::array<double, kMaxModes> ModalDisp{};   // modal displacement
  std::array<double, kMaxModes> ModalVel{};    // its rate
  std::array<double, kMaxModes> ModalAccel{};  // its acceleration
  std::array<double, kMaxModes> ModalForce{};  // generalised gear force
  std::array<double, kMaxStations> StationDisp{};   // ft, flexible displacement
  std::array<double, kMaxStations> StationVel{};    // ft/s
  std::array<double, kMaxStations> StationAccel{};  // ft/s^2
};

// How SimulateStep steps: set by the driver and the equilibrium search.
struct StepControl {
  double SimTimeStep = 0.0;         // s, one outer step (0 in the equilibrium search)
  std::int16_t GroundNInner = 1;    // inner steps per outer step
  bool StaticMode = false;          // static strut solution, no motion
  double AircraftSpeedFps = 0.0;    // ft/s, ground speed held during the run
};

// The orifice coefficient of gear g at a stroke (ft), read linearly from its table.
double InterpolateOrifice(const AircraftModel& a, int g, double stroke);
// value limited to [low, high].
inline double ClampValue(double low, double value, double high) {
  return value < low ? low : (value > high ? high : value);
}

class AircraftSimulator {
 public:
  // The simulator shares the aircraft it flies, so that the data set lives as long as any
  // simulator that uses it; an aircraft given by value is copied into a share of its own.
  AircraftSimulator(std::shared_ptr<const AircraftModel> aircraft, MarginSeries ground);
  AircraftSimulator(AircraftModel aircraft, MarginSeries ground);

  // One outer step (GroundNInner inner steps; a single motionless one in static mode).
  // Throws SimulationFailure when a gear would read the ground outside the profile's margins.
  void SimulateStep();
  // Station flexible response from the modal state.
  void ModalToStations();
  // Vertical acceleration (g, positive down) of station s after the latest step.
  double StationAccelG(int s) const;

  const AircraftModel& aircraft() const { return *aircraft_; }
  const MarginSeries& ground() const { return ground_; }

  GearState gear;
  BodyState body;
  ModalState modal;
  StepControl control;

 private:
  double ProfileHeight(int g, double x) const;
  void GearGeometry(int g);
  void DynamicGearForce(int g, double h);
  void StaticGearForce(int g);
  void IntegrateModes(double h);
  void IntegrateRigidBody(double h, int innerIndex);

  std::shared_ptr<const AircraftModel> aircraft_;  // never null
  MarginSeries ground_;
  double sumFz_ = 0.0;  // lb, body-z gear force of the current inner step
  double sumM_ = 0.0;   // lb ft, pitching moment of the current inner step
};

}  // namespace tarmac
