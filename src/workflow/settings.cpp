#include "workflow/settings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "common/number_format.h"
#include "common/rounding.h"

namespace tarmac {
namespace {

// Line breaks inside a message.
const std::string kCrLf = "\n";

template <double Settings::*M>
double GetD(const Settings& s) { return s.*M; }
template <double Settings::*M>
void SetD(Settings& s, double v) { s.*M = v; }
template <float Settings::*M>
double GetF(const Settings& s) { return s.*M; }
template <float Settings::*M>
void SetF(Settings& s, double v) { s.*M = static_cast<float>(v); }

double GetModes(const Settings& s) { return s.NumberOfModes; }
// A mode count typed as 9.99995 means 10: the entry is nudged up before truncation.
void SetModes(Settings& s, double v) { s.NumberOfModes = Fix(v + 0.0001); }
void SetAveraging(Settings& s, double v) {
  s.AveragingDistance = v;
  s.AveragingStep = v / 20;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

double DisplayFactor(const SettingSpec& spec, const Units& u) {
  return spec.unit == UnitKind::Length ? u.LengthFactor : 1.0;
}

std::string UnitText(const SettingSpec& spec, const Units& u) {
  switch (spec.unit) {
    case UnitKind::Length: return u.LengthHeading;
    case UnitKind::Knots: return "knots";
    case UnitKind::None: return "";
  }
  return "";
}

// A whole entry that reads as a number; blanks around it are allowed.
std::optional<double> StrictNumber(std::string_view text) {
  std::string t(text);
  const auto b = t.find_first_not_of(" \t");
  if (b == std::string::npos) return std::nullopt;
  const auto e = t.find_last_not_of(" \t");
  t = t.substr(b, e - b + 1);
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size()) return std::nullopt;
  return v;
}

}  // namespace

const std::vector<SettingSpec>& NumericSettings() {
  static const std::vector<SettingSpec> specs = {
      {"SampleSpacing", " Sample Spacing,", "Sample Spacing", UnitKind::Length, "0.000000", "0.00",
       0.001, 2.0, &GetD<&Settings::SampleSpacing>, &SetD<&Settings::SampleSpacing>},
      {"AveragingDistance", " Averaging Distance,", "Averaging Distance", UnitKind::Length,
       "#,##0.0", "#,##0", 100, 2000, &GetD<&Settings::AveragingDistance>, &SetAveraging},
      {"SmoothingDistance", " Smoothing Distance,", "Smoothing Distance", UnitKind::Length,
       "#,##0.0", "#,##0", 100, 2000, &GetD<&Settings::SmoothingDistance>,
       &SetD<&Settings::SmoothingDistance>},
      {"StraightedgeLength", " Straightedge Length,", "Straightedge Length", UnitKind::Length,
       "0.0", "0.0", 5.0, 250.0, &GetD<&Settings::StraightedgeLength>,
       &SetD<&Settings::StraightedgeLength>},
      {"AircraftSpeed", " Aircraft Speed, knots", "Aircraft Speed", UnitKind::Knots, "0.0",
       "#,##0", 10, 200, &GetD<&Settings::AircraftSpeed>, &SetD<&Settings::AircraftSpeed>},
      {"DampingFactor", " Airframe Damping Factor", "Airframe Damping Factor", UnitKind::None,
       "0.0000", "0.000", 0, 0.1, &GetD<&Settings::DampingFactor>,
       &SetD<&Settings::DampingFactor>},
      {"NumberOfModes", " Number of Modes", "Number of Modes", UnitKind::None, "0", "#,##0", 1,
       10, &GetModes, &SetModes},
      {"CuttingLength", "Cutting Length at end,", "Cutting Length at end", UnitKind::Length, "0.0",
       "#,##0", 0, 1000, &GetF<&Settings::CuttingLength>, &SetF<&Settings::CuttingLength>},
      {"SectionLengthCAPI", "Section Length for CA PI,", "Section Length for CA PI",
       UnitKind::Length, "0.0", "#,##0", 328, 656, &GetF<&Settings::SectionLengthCAPI>,
       &SetF<&Settings::SectionLengthCAPI>},
  };
  return specs;
}

const SettingSpec* FindSetting(std::string_view name) {
  for (const auto& s : NumericSettings())
    if (EqualNoCase(s.name, name)) return &s;
  return nullptr;
}

std::string SettingLabel(const SettingSpec& spec, const Units& units) {
  std::string label(spec.label);
  if (spec.unit == UnitKind::Length) label += units.LengthLabel;
  return label;
}

std::string SettingDisplayValue(const SettingSpec& spec, const Settings& s, const Units& units) {
  return FormatNumber(spec.get(s) * DisplayFactor(spec, units), spec.display_format);
}

std::string SettingPrompt(const SettingSpec& spec, const Settings& s, const Units& units) {
  const double f = DisplayFactor(spec, units);
  const std::string fmt(spec.dialog_format);
  const std::string unit = UnitText(spec, units);
  return "The current value of " + std::string(spec.dialog_name) + kCrLf + "is " +
         FormatNumber(spec.get(s) * f, fmt) + " " + unit + "." + kCrLf + kCrLf +
         "Enter a new value in the range:" + kCrLf + kCrLf + FormatNumber(spec.min * f, fmt) +
         " to " + FormatNumber(spec.max * f, fmt) + " " + unit + "." + kCrLf + kCrLf +
         "Click Cancel at any time to retain the old value.";
}

SettingEdit ApplySettingEntry(Settings& s, const Units& units, const SettingSpec& spec,
                              std::string_view entry) {
  SettingEdit r;
  if (spec.name == "StraightedgeLength" && s.SurfaceType != "Unspecified") {
    r.message = "Straightedge length can only be changed" + kCrLf +
                "when the pavement surface is unspecified.";
    r.title = "Cannot Change";
    return r;
  }
  if (entry.find_first_not_of(" \t") == std::string_view::npos) return r;  // cancelled
  const auto value = StrictNumber(entry);
  if (!value) {
    r.message = std::string(entry) + " was entered." + kCrLf + "It is not a valid number." +
                kCrLf + kCrLf + "Please retry.";
    r.title = "Incorrect Data Entry";
    return r;
  }
  const double f = DisplayFactor(spec, units);
  const double lo = spec.min * f, hi = spec.max * f;
  const std::string fmt(spec.dialog_format);
  const std::string name(spec.dialog_name);
  if (*value < lo || *value > hi) {
    r.message = name + " cannot be less than " + FormatNumber(lo, fmt) + kCrLf +
                "or greater than " + FormatNumber(hi, fmt) + "." + kCrLf + kCrLf +
                "The old value of " + name + " has been retained.";
    return r;
  }
  spec.set(s, *value / f);
  r.changed = true;
  return r;
}

void SetSurfaceFromBox(Settings& s, bool concreteChecked) {
  s.Concrete = concreteChecked;
  s.SurfaceType = concreteChecked ? "Concrete" : "Asphalt";
  s.StraightedgeLength = concreteChecked ? 16.0 : 12.0;
}

void SetSurfaceOption(Settings& s, std::string_view option) {
  if (option == "Concrete") {
    if (!s.Concrete) SetSurfaceFromBox(s, true);
    s.SurfaceType = "Concrete";
    s.StraightedgeLength = 16.0;
  } else if (option == "Asphalt") {
    if (s.Concrete) SetSurfaceFromBox(s, false);
    s.SurfaceType = "Asphalt";
    s.StraightedgeLength = 12.0;
  } else {
    // Clearing a checked box runs the box's own handler first, which sets 12 ft.
    if (s.Concrete) SetSurfaceFromBox(s, false);
    s.SurfaceType = "Unspecified";
  }
}

}  // namespace tarmac
