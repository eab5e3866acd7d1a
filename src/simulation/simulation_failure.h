#pragma once
// A simulation that cannot go on: the run ends without results. The failure says what went
// wrong and carries the numbers that describe it; the message the person reads is made by the
// workflow layer.
#include <string>

namespace tarmac {

enum class SimulationFailureKind {
  // Refused before the run starts: the inputs cannot make one.
  ModesOutOfRange,              // the number of airframe modes is not 1..10
  UnknownAircraft,              // aircraft_type names no aircraft of the data set
  SpeedNotPositive,             // the ground speed is zero, negative or not a number
  EmptyProfile,                 // the prepared profile has no samples
  AveragingDistanceNotPositive, // the part length of the statistics is not above zero
  SpeedTooLow,                  // the time step would need more inner steps than are counted
  GearBeyondMargins,            // gear `gear` reaches past the prepared profile's margins
  // Fatal during the run.
  GearOutsideProfile,  // the static search reads the ground outside the prepared profile
  GearOffGround,       // a gear carries no load at the static equilibrium
  NoConvergence,       // the static search did not settle within its 250 steps
  GearLeftProfile,     // gear `gear` left the prepared profile while rolling
  NotAdvancing,        // the aircraft stopped advancing along the profile
  NotFinite,           // the responses are not finite numbers
};

struct SimulationFailure {
  SimulationFailureKind kind = SimulationFailureKind::NotFinite;
  std::string aircraft_type;   // the aircraft asked for or run
  int gear = 0;                // the gear concerned, counted from 1 (gear failures only)
  double gear_offset_ft = 0.0; // its distance from the centre of gravity, ft
  double margin_ft = 0.0;      // length of the prepared profile's margins, ft
};

}  // namespace tarmac
