#include "workflow/settings.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
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
  switch (spec.unit) {
    case UnitKind::Length: return u.LengthFactor;
    case UnitKind::Elevation: return u.MmFactor;
    case UnitKind::Roughness: return u.RoughnessFactor;
    case UnitKind::Knots:
    case UnitKind::None: return 1.0;
  }
  return 1.0;
}

std::string UnitText(const SettingSpec& spec, const Units& u) {
  switch (spec.unit) {
    case UnitKind::Length: return u.LengthHeading;
    case UnitKind::Knots: return "knots";
    case UnitKind::Elevation: return u.Metric ? "mm" : "in";
    case UnitKind::Roughness: return u.Metric ? "m/km" : "in/mi";
    case UnitKind::None: return "";
  }
  return "";
}

// The limits whose metric default is a round metric value, not the exact conversion of the
// customary one (internal units).
struct UnitDefault {
  double Settings::*member;
  double customary, metric;
};
constexpr UnitDefault kUnitDefaults[] = {
    {&Settings::StraightedgeLimit, 0.25, 6.0 / 25.4},
    {&Settings::ShortIriLimit, 160.0, 2.5 / 0.015778787},
    {&Settings::ScallopLimit, 0.3, 8.0 / 25.4},
};

constexpr std::array<std::string_view, 2> kDecimationChoices = {"spacing", "fixed"};
std::string_view GetDecimation(const Settings& s) { return DecimationRuleName(s.Decimation); }
void SetDecimation(Settings& s, std::string_view v) {
  if (const auto rule = DecimationRuleFromName(v)) s.Decimation = *rule;
}

std::string ChoiceList(const SettingSpec& spec) {
  std::string list;
  for (std::size_t i = 0; i < spec.choices.size(); ++i) {
    if (i > 0) list += i + 1 == spec.choices.size() ? " or " : ", ";
    list += spec.choices[i];
  }
  return list;
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
      {"StraightedgeLimit", " Straightedge Limit,", "Straightedge Limit", UnitKind::Elevation,
       "0.00", "0.00", 0.01, 10, &GetD<&Settings::StraightedgeLimit>,
       &SetD<&Settings::StraightedgeLimit>},
      {"BumpIndexLimit", " Boeing Bump Index Limit", "Boeing Bump Index Limit", UnitKind::None,
       "0.00", "0.00", 0.1, 10, &GetD<&Settings::BumpIndexLimit>,
       &SetD<&Settings::BumpIndexLimit>},
      {"ShortIriLimit", " IRI Limit over 25 ft,", "IRI Limit over 25 ft", UnitKind::Roughness,
       "0.00", "0.00", 10, 2000, &GetD<&Settings::ShortIriLimit>,
       &SetD<&Settings::ShortIriLimit>},
      {"ScallopLimit", " Profilograph Scallop Limit,", "Profilograph Scallop Limit",
       UnitKind::Elevation, "0.00", "0.00", 0.05, 5, &GetD<&Settings::ScallopLimit>,
       &SetD<&Settings::ScallopLimit>},
      {"AccelerationLimit", " Acceleration Limit, g", "Acceleration Limit", UnitKind::None,
       "0.00", "0.00", 0.05, 2, &GetD<&Settings::AccelerationLimit>,
       &SetD<&Settings::AccelerationLimit>},
      {"DynamicLoadLimit", " Dynamic Load Limit", "Dynamic Load Limit", UnitKind::None, "0.00",
       "0.00", 0.05, 2, &GetD<&Settings::DynamicLoadLimit>,
       &SetD<&Settings::DynamicLoadLimit>},
  };
  return specs;
}

const std::vector<SettingSpec>& SettingTable() {
  static const std::vector<SettingSpec> table = [] {
    std::vector<SettingSpec> t = NumericSettings();
    SettingSpec rule{"DecimationRule", " Decimation Rule", "Decimation Rule", UnitKind::None, "",
                     "", 0, 0, nullptr, nullptr};
    rule.kind = SettingKind::Choice;
    rule.choices = kDecimationChoices;
    rule.get_choice = &GetDecimation;
    rule.set_choice = &SetDecimation;
    t.push_back(rule);
    return t;
  }();
  return table;
}

const SettingSpec* FindSetting(std::string_view name) {
  for (const auto& s : SettingTable())
    if (EqualNoCase(s.name, name)) return &s;
  return nullptr;
}

std::optional<double> ParseDecimalNumber(std::string_view text) {
  const auto b = text.find_first_not_of(" \t");
  if (b == std::string_view::npos) return std::nullopt;
  text = text.substr(b, text.find_last_not_of(" \t") - b + 1);
  // Sign, digits with at most one point (at least one digit), an optional exponent: nothing
  // else, so that "nan", "inf" and "0x10", which the library readers take, are refused here.
  std::size_t i = 0;
  if (text[i] == '+' || text[i] == '-') ++i;
  const std::size_t mantissa = i;
  std::size_t digits = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t exponent = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    if (i == exponent) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  double v = 0.0;
  const char* first = text.data() + mantissa;
  const auto [end, ec] = std::from_chars(first, text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
    return std::nullopt;
  return text[0] == '-' ? -v : v;
}

double SettingDisplayFactor(const SettingSpec& spec, const Units& units) {
  return DisplayFactor(spec, units);
}

std::string SettingUnitText(const SettingSpec& spec, const Units& units) {
  return UnitText(spec, units);
}

std::optional<double> SettingEntryValue(const SettingSpec& spec, const Units& units,
                                        double value) {
  const double f = DisplayFactor(spec, units);
  const double lo = spec.min * f, hi = spec.max * f;
  constexpr double kLimitTolerance = 1e-9;  // relative; far below any digit a person types
  const double loSlack = kLimitTolerance * std::fabs(lo), hiSlack = kLimitTolerance * std::fabs(hi);
  // Written so that a value that is not a number falls outside.
  if (!(value >= lo - loSlack && value <= hi + hiSlack)) return std::nullopt;
  if (value <= lo + loSlack) return spec.min;
  if (value >= hi - hiSlack) return spec.max;
  return value / f;
}

std::string SettingRangeMessage(const SettingSpec& spec, const Units& units, double value) {
  const double f = DisplayFactor(spec, units);
  const double lo = spec.min * f, hi = spec.max * f;
  if (SettingEntryValue(spec, units, value)) return "";
  const std::string fmt(spec.dialog_format);
  const std::string name(spec.dialog_name);
  return name + " cannot be less than " + FormatNumber(lo, fmt) + kCrLf + "or greater than " +
         FormatNumber(hi, fmt) + "." + kCrLf + kCrLf + "The old value of " + name +
         " has been retained.";
}

std::string SettingLabel(const SettingSpec& spec, const Units& units) {
  std::string label(spec.label);
  if (spec.unit == UnitKind::Length) label += units.LengthLabel;
  if (spec.unit == UnitKind::Elevation || spec.unit == UnitKind::Roughness)
    label += UnitText(spec, units);
  return label;
}

std::string SettingDisplayValue(const SettingSpec& spec, const Settings& s, const Units& units) {
  if (spec.kind == SettingKind::Choice) return std::string(spec.get_choice(s));
  return FormatNumber(spec.get(s) * DisplayFactor(spec, units), spec.display_format);
}

std::string SettingPrompt(const SettingSpec& spec, const Settings& s, const Units& units) {
  if (spec.kind == SettingKind::Choice)
    return "The current value of " + std::string(spec.dialog_name) + kCrLf + "is " +
           std::string(spec.get_choice(s)) + "." + kCrLf + kCrLf + "Enter " + ChoiceList(spec) +
           "." + kCrLf + kCrLf + "Click Cancel at any time to retain the old value.";
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
  if (spec.kind == SettingKind::Choice) {
    const auto b = entry.find_first_not_of(" \t");
    const std::string_view word = entry.substr(b, entry.find_last_not_of(" \t") - b + 1);
    for (const std::string_view choice : spec.choices)
      if (EqualNoCase(choice, word)) {
        spec.set_choice(s, choice);
        r.changed = true;
        return r;
      }
    r.message = std::string(entry) + " was entered." + kCrLf + std::string(spec.dialog_name) +
                " is " + ChoiceList(spec) + "." + kCrLf + kCrLf + "Please retry.";
    r.title = "Incorrect Data Entry";
    return r;
  }
  const auto value = ParseDecimalNumber(entry);
  if (!value) {
    r.message = std::string(entry) + " was entered." + kCrLf + "It is not a valid number." +
                kCrLf + kCrLf + "Please retry.";
    r.title = "Incorrect Data Entry";
    return r;
  }
  r.message = SettingRangeMessage(spec, units, *value);
  if (!r.message.empty()) return r;
  spec.set(s, *SettingEntryValue(spec, units, *value));
  r.changed = true;
  return r;
}

void SetUnitSystem(Settings& s, bool metric) {
  if (s.Metric != metric)
    for (const UnitDefault& d : kUnitDefaults)
      if (s.*d.member == (s.Metric ? d.metric : d.customary))
        s.*d.member = metric ? d.metric : d.customary;
  s.Metric = metric;
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
