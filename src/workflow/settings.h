#pragma once
// The analysis settings: their values with defaults, and one description per setting that the
// parameter window, the CLI's --set, the validation messages and the reports all read.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/units.h"

namespace tarmac {

struct Settings {
  double SampleSpacing = 2.5 / 25.4 / 12 * 1.0 * 10;  // ft; 25 mm as the program computes it
  double DisplaySpacing = 0.0;                        // SampleSpacing x Units.LengthFactor
  double AveragingDistance = 1000;                    // ft
  double AveragingStep = 50;                          // ft; AveragingDistance / 20 at start
  double SmoothingDistance = 250;                     // ft
  double StraightedgeLength = 12;                     // ft
  std::string StraightedgePosition = "Full Length";   // "Full Length" | "Between"
  std::string SurfaceType = "Unspecified";            // "Unspecified" | "Concrete" | "Asphalt"
  std::string AircraftType = "B-727";                 // "B-727" | "B-747" | "DC-9" | "DC-10"
  double AircraftSpeed = 100;                         // knots
  double DampingFactor = 0.025;                       // airframe damping ratio
  std::int32_t NumberOfModes = 10;
  float CuttingLength = 0;                            // ft cut from each end when reading
  float SectionLengthCAPI = 500;                      // ft
  // The main window's check boxes that are settings too.
  bool Metric = false;      // chkMeter
  bool SmoothEnds = false;  // chkSmoothEnds
  bool Runway = true;       // ChkRunway
  bool Concrete = false;    // ChkConcrete
};

// How a numeric setting is entered and shown.
enum class UnitKind { Length, Knots, None };

struct SettingSpec {
  std::string_view name;         // the setting's name, as `--set NAME=VALUE` takes it
  std::string_view label;        // grid label before the unit, e.g. " Sample Spacing,"
  std::string_view dialog_name;  // name in the edit dialog and its messages
  UnitKind unit;
  std::string_view display_format;  // format of the value shown in the grid
  std::string_view dialog_format;   // format of the value and range in the dialog
  double min, max;                  // allowed range, internal units (ft, knots)
  // Value access in internal units.
  double (*get)(const Settings&);
  void (*set)(Settings&, double);
};

// The numeric settings in grid order (the text settings are toggles and lists).
const std::vector<SettingSpec>& NumericSettings();
const SettingSpec* FindSetting(std::string_view name);  // case-insensitive; nullptr when unknown

// The grid row label with its unit ("Sample Spacing,ft").
std::string SettingLabel(const SettingSpec& spec, const Units& units);
// The value shown in the grid, in display units and the display format.
std::string SettingDisplayValue(const SettingSpec& spec, const Settings& s, const Units& units);

// The result of entering a new value for a setting, as the edit dialog checks it.
struct SettingEdit {
  bool changed = false;
  std::string message;  // empty when accepted; otherwise the text to show
  std::string title;    // title of that message
};
// `entry` is the text typed, in display units. Applies it to `s` when valid; otherwise leaves
// `s` unchanged and returns the message the person sees.
SettingEdit ApplySettingEntry(Settings& s, const Units& units, const SettingSpec& spec,
                              std::string_view entry);
// The dialog prompt text for a setting ("The current value of ...").
std::string SettingPrompt(const SettingSpec& spec, const Settings& s, const Units& units);

// Surface type rules: the concrete box and the three options of the parameter window.
void SetSurfaceFromBox(Settings& s, bool concreteChecked);
void SetSurfaceOption(Settings& s, std::string_view option);  // "Unspecified"|"Asphalt"|"Concrete"

}  // namespace tarmac
