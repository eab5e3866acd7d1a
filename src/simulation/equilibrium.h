#pragma once
// The aircraft standing still on the profile at its start position: the cg height and pitch at
// which the gears carry the weight with no pitching moment, every strut at its static stroke
// and every mode at its static deflection.
#include "common/progress.h"
#include "simulation/dynamics.h"

namespace tarmac {

// Text of the failure when a gear carries no load at the equilibrium.
inline constexpr const char* kOffGroundText =
    "One or more tires are off the ground in Sub STARTSTRAIGHT. Cannot continue.";
// Text of the failure when the search does not settle.
inline constexpr const char* kNoConvergenceText =
    "No Convergence to steady state after 250iterations in Sub STARTSTRAIGHT.Cannot continue.";

// Newton search on (Altitude, Pitch) with central-difference derivatives, from the body state
// found in `sim` (PositionX set, BodyU the ground speed). On return the struts hold their static
// strokes and friction levels, the modes their static deflections and GearForce the static
// loads; `iterations` counts the Newton steps taken. Throws SimulationFailure (title "Fatal
// Error") when a gear is off the ground or after the 250th step without convergence, and
// Cancelled when the person stops the run.
void FindStaticEquilibrium(AircraftSimulator& sim, Progress& progress, int& iterations);

}  // namespace tarmac
