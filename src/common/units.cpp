#include "common/units.h"

namespace tarmac {

Units MakeUnits(bool metric) {
  Units u;
  u.Metric = metric;
  if (metric) {
    u.ElevationHeading = "(mm)";
    u.LengthHeading = "(m)";
    u.SpeedHeading = "(m/s)";
    u.RoughnessHeading = "(m/km)";
    u.DeviationHeading = "(cm)";
    u.ElevationLabel = "mm";
    u.LengthLabel = "m";
    u.SpeedLabel = "m/s";
    u.SpeedSuffix = ",m/s";
    u.SlopeLabel = "m/km";
    u.ElevationSuffix = ",cm";
    u.ShortElevationLabel = "cm";
    u.PILabel = "m/km";
    u.RoughnessLabel = "m/km";
    u.MassHeading = "(kg)";
    u.ShortElevationHeading = "(mm)";
    u.AxisLabel = "Hundreds of Meters";
    // The program's own constant for in/mile -> m/km (not the exact 0.0157828).
    u.RoughnessFactor = 0.015778787;
    u.SlopeFactor = 0.015778787 * 5280;
    u.LengthFactor = 12 * 25.4 / 1000;  // 0.30479999999999996 in double, as the program computes it
    u.CmFactor = 2.54;
    u.MmFactor = 25.4;
    u.MassFactor = 0.454;  // the program's lb -> kg factor (not 0.4536)
  } else {
    u.ElevationHeading = "(inch)";
    u.LengthHeading = "(ft)";
    u.SpeedHeading = "(ft/s)";
    u.RoughnessHeading = "(in/mile)";
    u.DeviationHeading = "inches";
    u.ElevationLabel = "inch";
    u.LengthLabel = "ft";
    u.SpeedLabel = "ft/s";
    u.SpeedSuffix = ",ft/s";
    u.SlopeLabel = "in/ft";
    u.ElevationSuffix = ",inch";
    u.ShortElevationLabel = "in";
    u.PILabel = "(in/mile)";
    u.RoughnessLabel = "inch/mile";
    u.MassHeading = "(lb)";
    u.ShortElevationHeading = "(in)";
    u.AxisLabel = "Hundreds of Feet";
  }
  return u;
}

}  // namespace tarmac
