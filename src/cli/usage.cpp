// What the command line checks before the session sees it: the words typed, the profile file's
// name, and --set values.
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "cli/cli_common.h"
#include "cli/names.h"
#include "common/number_format.h"
#include "common/version.h"
#include "workflow/profile_read.h"

namespace tarmac::cli {
namespace {

std::vector<std::string>& CommandLineWords() {
  static std::vector<std::string> words;
  return words;
}

// The long option names a command takes, with their dashes.
std::vector<std::string> OptionNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* opt : app.get_options())
    for (const std::string& n : opt->get_lnames()) names.push_back("--" + n);
  return names;
}

const CLI::Option* FindLongOption(const CLI::App& app, const std::string& word) {
  for (const CLI::Option* opt : app.get_options())
    for (const std::string& n : opt->get_lnames())
      if ("--" + n == word) return opt;
  return nullptr;
}

bool LooksLikeOption(const std::string& word) {
  // "-" alone is the standard output and "-0.5" a number; "--batch" and "-h" are options.
  return word.size() >= 2 && word[0] == '-' &&
         (word[1] == '-' || std::isalpha(static_cast<unsigned char>(word[1])));
}

// Numbers shown in a range: short, and exact enough that the limit itself is accepted.
std::string RangeNumber(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.7g", v);
  return buf;
}

}  // namespace

void SetCommandLine(int argc, const char* const* argv) {
  CommandLineWords().assign(argv, argv + argc);
}

nlohmann::json TarmacJson() {
  nlohmann::json words = nlohmann::json::array();
  for (const std::string& w : CommandLineWords()) words.push_back(w);
  return {{"version", kVersion}, {"command_line", words}};
}

int CheckCommandLine(CLI::App& app, int argc, const char* const* argv) {
  if (argc < 2) return kOk;
  const std::string first = argv[1];
  CLI::App* sub = nullptr;
  if (LooksLikeOption(first)) {
    if (first == "-h" || FindLongOption(app, first.substr(0, first.find('=')))) return kOk;
    std::cerr << "tarmac: unknown option " << first << DidYouMean(first, OptionNames(app))
              << "; `tarmac --help` lists the commands and options\n";
    return kUsage;
  }
  std::vector<std::string> commands;
  for (CLI::App* c : app.get_subcommands([](CLI::App*) { return true; })) {
    commands.push_back(c->get_name());
    if (c->get_name() == first) sub = c;
  }
  if (!sub) {
    std::cerr << "tarmac: unknown command \"" << first << "\"" << DidYouMean(first, commands)
              << "; the commands are";
    for (const std::string& c : commands) std::cerr << " " << c;
    std::cerr << "\n";
    return kUsage;
  }
  for (int i = 2; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--") break;
    if (!word.starts_with("--")) continue;
    const std::string name = word.substr(0, word.find('='));
    const CLI::Option* opt = FindLongOption(*sub, name);
    if (!opt) {
      std::cerr << "tarmac " << sub->get_name() << ": unknown option " << name
                << DidYouMean(name, OptionNames(*sub)) << "; `tarmac " << sub->get_name()
                << " --help` lists its options\n";
      return kUsage;
    }
    const bool takes_value = opt->get_expected_min() > 0 && word.find('=') == std::string::npos;
    if (takes_value && i + 1 < argc && LooksLikeOption(argv[i + 1])) {
      std::cerr << "tarmac " << sub->get_name() << ": " << name << " needs a value, but the next "
                << "word is the option " << argv[i + 1] << "\n";
      return kUsage;
    }
    if (takes_value) ++i;  // its value, whatever it looks like
  }
  return kOk;
}

int ReadProfile(Session& s, const std::string& path) {
  const std::string abs = AbsolutePath(path);
  std::error_code ec;
  if (!std::filesystem::exists(abs, ec)) {
    std::cerr << "tarmac: cannot read the profile " << abs << ": no such file\n";
    return kInputRefused;
  }
  if (FormatOfName(NameOf(abs)) == ProfileFormat::Unknown) {
    std::cerr << "tarmac: cannot read the profile " << abs
              << ": its extension names no profile format; profiles are .pro (with its .spd), "
                 ".dat, .erd, .csv or .txt\n";
    return kInputRefused;
  }
  ProfileBeingRead() = abs;
  const bool read = s.ReadFile(abs);
  ProfileBeingRead().clear();
  return read ? kOk : kInputRefused;
}

std::string& ProfileBeingRead() {
  thread_local std::string path;
  return path;
}

std::string SettingUnit(const SettingSpec& spec, const Units& units) {
  switch (spec.unit) {
    case UnitKind::Length: return units.LengthLabel;
    case UnitKind::Knots: return "knots";
    case UnitKind::None: return spec.name == "AccelerationLimit" ? "g" : "";
    case UnitKind::Elevation:
    case UnitKind::Roughness: return SettingUnitText(spec, units);
  }
  return "";
}

std::string SettingRangeText(const SettingSpec& spec, const Units& units) {
  if (spec.kind == SettingKind::Choice) {
    std::string list;
    for (std::size_t i = 0; i < spec.choices.size(); ++i) {
      if (i > 0) list += i + 1 == spec.choices.size() ? " or " : ", ";
      list += spec.choices[i];
    }
    return list;
  }
  const double f = SettingDisplayFactor(spec, units);
  const std::string unit = SettingUnit(spec, units);
  return RangeNumber(spec.min * f) + " to " + RangeNumber(spec.max * f) +
         (unit.empty() ? "" : " " + unit);
}

const std::vector<TextSetting>& TextSettings() {
  static const std::vector<TextSetting> t = {
      {"AircraftType", AircraftNames()},
      {"SurfaceType", {"Unspecified", "Asphalt", "Concrete"}},
      {"StraightedgePosition", {"Full Length", "Between"}}};
  return t;
}

std::string ChoiceText(const std::vector<std::string>& choices) {
  std::string list;
  for (std::size_t i = 0; i < choices.size(); ++i)
    list += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + choices[i];
  return list;
}

std::string TextSettingValue(const TextSetting& t, const Settings& s) {
  const std::string name = t.name;
  return name == "AircraftType" ? s.AircraftType
         : name == "SurfaceType" ? s.SurfaceType
                                 : s.StraightedgePosition;
}

bool ApplySetOption(Session& s, const std::string& nv) {
  const auto eq = nv.find('=');
  if (eq == std::string::npos) {
    std::cerr << "tarmac: --set needs NAME=VALUE, got \"" << nv << "\"\n";
    return false;
  }
  const std::string name = nv.substr(0, eq), value = nv.substr(eq + 1);
  for (const TextSetting& t : TextSettings()) {
    if (!EqualNoCase(name, t.name)) continue;
    std::optional<std::string> chosen;
    if (std::string(t.name) == "AircraftType") chosen = AircraftName(value);
    for (const std::string& c : t.choices)
      if (EqualNoCase(c, value)) chosen = c;
    if (!chosen) {
      std::cerr << "tarmac: --set " << nv << " refused: " << t.name << " takes "
                << ChoiceText(t.choices) << "\n";
      return false;
    }
    return s.SetSetting(t.name, *chosen);
  }
  const SettingSpec* spec = FindSetting(name);
  if (!spec) {
    std::vector<std::string> names;
    for (const SettingSpec& r : SettingTable()) names.emplace_back(r.name);
    for (const TextSetting& t : TextSettings()) names.emplace_back(t.name);
    std::cerr << "tarmac: --set " << nv << " refused: there is no setting " << name
              << DidYouMean(name, names) << "; `tarmac settings` lists them\n";
    return false;
  }
  const Units& units = s.model().units;
  const std::string range = SettingRangeText(*spec, units);
  if (spec->kind == SettingKind::Choice) {
    for (const std::string_view c : spec->choices)
      if (EqualNoCase(c, value)) return s.SetSetting(std::string(spec->name), std::string(c));
    std::cerr << "tarmac: --set " << nv << " refused: " << spec->name << " takes " << range << "\n";
    return false;
  }
  const auto number = ParseDecimalNumber(value);
  if (!number) {
    std::cerr << "tarmac: --set " << nv << " refused: \"" << value << "\" is not a number; "
              << spec->name << " takes " << range << "\n";
    return false;
  }
  std::string entry = value;
  if (!SettingRangeMessage(*spec, units, *number).empty()) {
    // A limit typed as it is listed stands for the limit itself: 656 ft is 199.94879999... m,
    // listed as 199.9488.
    const double f = SettingDisplayFactor(*spec, units);
    std::optional<double> limit;
    for (const double l : {spec->min * f, spec->max * f})
      if (RangeNumber(l) == RangeNumber(*number)) limit = l;
    if (!limit) {
      std::cerr << "tarmac: --set " << nv << " refused: " << spec->name << " takes " << range
                << "\n";
      return false;
    }
    char buf[32];
    entry.assign(buf, std::to_chars(buf, buf + sizeof buf, *limit).ptr);
  }
  return s.SetSetting(std::string(spec->name), entry);
}

nlohmann::json SettingsJson(const Session& s) {
  const ProfileModel& m = s.model();
  nlohmann::json j = nlohmann::json::object();
  for (const SettingSpec& spec : SettingTable()) {
    nlohmann::json v;
    if (spec.kind == SettingKind::Choice) {
      v["value"] = std::string(spec.get_choice(m.settings));
    } else {
      const double f = SettingDisplayFactor(spec, m.units);
      v["value"] = spec.get(m.settings) * f;
      const std::string unit = SettingUnit(spec, m.units);
      if (!unit.empty()) v["unit"] = unit;
    }
    j[std::string(spec.name)] = v;
  }
  j["AircraftType"] = {{"value", m.settings.AircraftType}};
  j["SurfaceType"] = {{"value", m.settings.SurfaceType}};
  j["StraightedgePosition"] = {{"value", m.settings.StraightedgePosition}};
  j["SmoothEnds"] = {{"value", m.settings.SmoothEnds}};
  return j;
}

}  // namespace tarmac::cli
