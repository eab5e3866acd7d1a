#pragma once
// The built-in transport aircraft: a rigid airframe that heaves and pitches, its landing gears
// (tyres on oleo-pneumatic struts) and up to ten flexible airframe modes.
//
// Indexing: gear g = 0..NumGears-1 is the maker's gear number g + 1 (gear 0 is the nose gear,
// the others are main gears); station s = 0..NumStations-1 is station s + 1, so gear g sits at
// station g, the centre of gravity at station NumGears and the pilot at NumStations-1; mode m
// is mode m + 1; orifice table point p is point p + 1. Use the helpers below for the named
// stations rather than writing the offsets by hand.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarmac {

inline constexpr int kMaxGears = 8;
inline constexpr int kMaxStations = 7;
inline constexpr int kMaxModes = 10;
inline constexpr int kMaxOrificePoints = 10;

// Fixed parameters of the aircraft being simulated. Nothing here changes during a run.
struct AircraftModel {
  std::string TypeName;            // "B-727", "B-747", "DC-9" or "DC-10"
  std::int32_t NumGears = 0;       // 3 or 5; gear 0 is the nose gear
  std::int32_t NumStations = 0;    // NumGears + 2
  double Weight = 0.0;             // lb, gross weight
  double PitchInertia = 0.0;       // slug ft^2, about the centre of gravity
  double Wheelbase = 0.0;          // ft, only for placing gears and the first load estimate
  double FrictionCoefficient = 0;  // strut bearing friction coefficient

  // Per gear.
  std::array<std::int16_t, kMaxGears> TyresPerGear{};
  std::array<double, kMaxGears> GearX{};              // ft, forward of the cg
  std::array<double, kMaxGears> GearY{};              // ft, lateral (no computation reads it)
  std::array<double, kMaxGears> GearLength{};         // ft, cg to gear reference point, down
  std::array<double, kMaxGears> TyreStiffness{};      // lb/ft, one tyre
  std::array<double, kMaxGears> TyreDamping{};        // lb s/ft
  std::array<double, kMaxGears> AirPreloadForce{};    // lb, strut fully extended
  std::array<double, kMaxGears> AirColumnLength{};    // ft, equivalent air column
  std::array<double, kMaxGears> SealFriction{};       // lb, constant strut friction
  std::array<double, kMaxGears> StrutRakeSine{};      // scales the load-dependent friction
  std::array<double, kMaxGears> SlidingFrictionRatio{};  // sliding / static friction
  std::array<float, kMaxGears> TyreDampingDeflection{};  // ft, divides the tyre damping

  // Metering-pin orifice tables, per gear.
  std::array<std::int32_t, kMaxGears> OrificePoints{};
  std::array<std::array<double, kMaxOrificePoints>, kMaxGears> OrificeStroke{};  // ft
  std::array<std::array<double, kMaxOrificePoints>, kMaxGears> OrificeCoefficient{};  // lb/(ft/s)^2
  std::array<double, kMaxGears> OrificeCoefficientMin{};

  // Per station.
  std::array<double, kMaxStations> StationX{};  // ft, forward of the cg

  // Per mode. Stiffness and damping are filled for the simulated modes only.
  std::int32_t NumberOfModes = 0;                     // modes simulated, 1..10
  std::array<double, kMaxModes> ModalMass{};          // slug
  std::array<double, kMaxModes> ModalFrequency{};     // rad/s
  std::array<double, kMaxModes> ModalStiffness{};     // 1/s^2, omega^2
  std::array<double, kMaxModes> ModalDamping{};       // 1/s, stiffness-proportional
  std::array<std::array<double, kMaxStations>, kMaxModes> ModeShape{};  // [mode][station]
};

// Station indexes of the centre of gravity and of the pilot.
inline int CgStation(const AircraftModel& a) { return a.NumGears; }
inline int PilotStation(const AircraftModel& a) { return a.NumStations - 1; }

// The aircraft named `typeName` (blanks around it ignored) with `numberOfModes` (1..10) modes
// and the airframe damping ratio of the first mode; std::nullopt for a name that is not one of
// the four built-in aircraft.
std::optional<AircraftModel> LoadAircraft(std::string_view typeName, int numberOfModes,
                                          double dampingFactor);

// One gear's metering-pin data as the maker gives it: areas in in^2, strokes and pin diameters
// in inches.
struct OrificeData {
  double pistonArea = 0.0;
  double orificeArea = 0.0;
  int points = 0;
  std::array<double, kMaxOrificePoints> strokeInches{};
  std::array<double, kMaxOrificePoints> pinDiameter{};
};

// Fills the orifice tables of the model's gears from the named aircraft's metering-pin data.
// Returns false for an unknown name (the tables are then left alone).
bool BuildOrificeTables(std::string_view typeName, AircraftModel& model);

// The quadratic orifice coefficient (lb per (ft/s)^2) of one table point.
double OrificeCoefficientAt(double pistonArea, double orificeArea, double pinDiameter);

// Fills values[0..4] with the tyre damping reference deflections (ft) of the named aircraft;
// another name leaves the array unchanged.
void TyreDampingDeflection(std::string_view typeName, std::array<float, kMaxGears>& values);

}  // namespace tarmac
