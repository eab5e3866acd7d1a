#pragma once
// The aircraft standing still on the profile at its start position: the cg height and pitch at
// which the gears carry the weight with no pitching moment, every strut at its static stroke
// and every mode at its static deflection.
#include "common/progress.h"
#include "simulation/dynamics.h"

namespace tarmac {

// Newton search on (Altitude, Pitch) with central-difference derivatives, from the body state
// found in `sim` (PositionX set, BodyU the ground speed). On return the struts hold their static
// strokes and friction levels, the modes their static deflections and GearForce the static
// loads; `iterations` counts the Newton steps taken. Throws SimulationFailure (GearOffGround,
// NoConvergence) when a gear is off the ground or after the 250th step without convergence, and
// Cancelled when the person stops the run.
void FindStaticEquilibrium(AircraftSimulator& sim, Progress& progress, int& iterations);

}  // namespace tarmac
