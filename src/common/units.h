#pragma once
// The unit system of displays and reports. Everything is computed and stored in feet, inches and
// knots; a shown or reported value is the internal value times one of these factors, printed with
// the matching label. In US customary mode every factor is exactly 1.
#include <string>

namespace tarmac {

struct Units {
  bool Metric = false;
  std::string ElevationHeading;       // "(mm)" / "(inch)"
  std::string LengthHeading;          // "(m)" / "(ft)"
  std::string SpeedHeading;           // "(m/s)" / "(ft/s)"
  std::string RoughnessHeading;       // "(m/km)" / "(in/mile)"
  std::string DeviationHeading;       // "(cm)" / "inches"
  std::string ElevationLabel;         // "mm" / "inch"
  std::string LengthLabel;            // "m" / "ft"
  std::string SpeedLabel;             // "m/s" / "ft/s"
  std::string SpeedSuffix;            // ",m/s" / ",ft/s"
  std::string SlopeLabel;             // "m/km" / "in/ft"
  std::string ElevationSuffix;        // ",cm" / ",inch"
  std::string ShortElevationLabel;    // "cm" / "in"
  std::string PILabel;                // "m/km" / "(in/mile)"
  std::string RoughnessLabel;         // "m/km" / "inch/mile"
  std::string MassHeading;            // "(kg)" / "(lb)"
  std::string ShortElevationHeading;  // "(mm)" / "(in)"
  std::string AxisLabel;              // "Hundreds of Meters" / "Hundreds of Feet"

  double RoughnessFactor = 1.0;  // in/mile -> m/km
  double SlopeFactor = 1.0;      // in/ft -> m/km
  double LengthFactor = 1.0;     // ft -> m
  double CmFactor = 1.0;         // inch -> cm
  double MmFactor = 1.0;         // inch -> mm
  double MassFactor = 1.0;       // lb -> kg
};

// The whole record for one unit system (`SetUnits`).
Units MakeUnits(bool metric);

// Knots to feet per second, as the simulation converts speeds.
inline constexpr double kKnotsToFps = 1.6877921990244562;
// Gravity, ft/s^2.
inline constexpr double kGravity = 32.2;

}  // namespace tarmac
