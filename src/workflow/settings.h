#pragma once
// The analysis settings: their values with defaults, and one description per setting that the
// parameter window, the CLI's --set, the validation messages and the reports all read.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/units.h"
#include "profile/prepare.h"

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
  // Limits beyond which a stretch of a series is listed (internal units). Three have a round
  // default in each unit system (0.25 in or 6 mm, 160 in/mile or 2.5 m/km, 0.3 in or 8 mm):
  // SetUnitSystem moves a limit at one system's default to the other's; a limit the person
  // entered keeps the value entered, whichever units follow.
  double StraightedgeLimit = 0.25;  // in
  double BumpIndexLimit = 1.0;      // ratio to the allowable bump height
  double ShortIriLimit = 160;       // in/mile, over the short-interval base
  double ScallopLimit = 0.3;        // in above the blanking band
  double AccelerationLimit = 0.4;  // g, cg and pilot station, either sign
  double DynamicLoadLimit = 0.4;   // gear load change over static load, either sign
  // How the preparation of a profile chooses its decimation factor ("DecimationRule").
  DecimationRule Decimation = DecimationRule::Spacing;
  // The main window's check boxes that are settings too.
  bool Metric = false;      // chkMeter
  bool SmoothEnds = false;  // chkSmoothEnds
  bool Runway = true;       // ChkRunway
  bool Concrete = false;    // ChkConcrete

  bool operator==(const Settings&) const = default;
};

// How a numeric setting is entered and shown.
// Elevation: inches or millimetres; Roughness: in/mile or m/km.
enum class UnitKind { Length, Knots, None, Elevation, Roughness };

// A number typed in a range, or one text of a fixed list.
enum class SettingKind { Number, Choice };

struct SettingSpec {
  std::string_view name;         // the setting's name, as `--set NAME=VALUE` takes it
  std::string_view label;        // grid label before the unit, e.g. " Sample Spacing,"
  std::string_view dialog_name;  // name in the edit dialog and its messages
  UnitKind unit;
  std::string_view display_format;  // format of the value shown in the grid
  std::string_view dialog_format;   // format of the value and range in the dialog
  double min, max;                  // allowed range, internal units (ft, knots)
  // Value access in internal units (numbers only).
  double (*get)(const Settings&);
  void (*set)(Settings&, double);
  // A choice setting: the texts offered, and the value as one of them.
  SettingKind kind = SettingKind::Number;
  std::span<const std::string_view> choices = {};
  std::string_view (*get_choice)(const Settings&) = nullptr;
  void (*set_choice)(Settings&, std::string_view) = nullptr;
};

// The numeric settings in grid order (the text settings are toggles and lists).
const std::vector<SettingSpec>& NumericSettings();
// Every setting the table describes: the numeric ones in grid order, then the choices.
const std::vector<SettingSpec>& SettingTable();
const SettingSpec* FindSetting(std::string_view name);  // case-insensitive; nullptr when unknown

// A whole entry that is a finite decimal number ("12", "-0.5", "2.5e3", blanks around it
// allowed); nothing for anything else: words, "nan", "inf", hexadecimal, a value too large for a
// double. Independent of the C locale.
std::optional<double> ParseDecimalNumber(std::string_view text);
// The message shown when `value` (display units) lies outside the setting's range; empty when it
// lies within (both limits allowed).
std::string SettingRangeMessage(const SettingSpec& spec, const Units& units, double value);

// The factor from internal to display units of a setting, and the unit shown beside its value
// in the dialog ("" for a plain number).
double SettingDisplayFactor(const SettingSpec& spec, const Units& units);
std::string SettingUnitText(const SettingSpec& spec, const Units& units);

// The internal value an entry in display units stands for, or nothing when it lies outside the
// range. An entry within a relative 1e-9 of a limit stands for the limit itself: a metric limit
// such as 656 ft = 199.9488 m is not exact in binary, and typed as listed it must be taken.
std::optional<double> SettingEntryValue(const SettingSpec& spec, const Units& units, double value);

// The grid row label with its unit ("Sample Spacing,ft").
std::string SettingLabel(const SettingSpec& spec, const Units& units);
// The value shown in the grid, in display units and the display format (a choice as its text).
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

// Switches the settings to a unit system (`Metric`): the limits at the defaults of the other
// system take this system's defaults.
void SetUnitSystem(Settings& s, bool metric);

// Surface type rules: the concrete box and the three options of the parameter window.
void SetSurfaceFromBox(Settings& s, bool concreteChecked);
void SetSurfaceOption(Settings& s, std::string_view option);  // "Unspecified"|"Asphalt"|"Concrete"

}  // namespace tarmac
