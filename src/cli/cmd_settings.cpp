// tarmac settings: every analysis setting with its unit, default, range and the value in force.
#include <iomanip>
#include <iostream>

#include "cli/cli_common.h"

namespace tarmac::cli {
namespace {

struct SettingsOptions {
  bool metric = false;
  std::vector<std::string> sets;
};

std::string Shown(const SettingSpec& spec, const Settings& s, const Units& u) {
  return SettingDisplayValue(spec, s, u);
}

int RunSettings(const SettingsOptions& o, std::ostream& out) {
  TerminalPrompts prompts;
  Session s(prompts);
  s.SetMetric(o.metric);
  for (const auto& nv : o.sets)
    if (!ApplySetOption(s, nv)) return kUsage;
  const ProfileModel& m = s.model();
  Settings defaults;
  SetUnitSystem(defaults, o.metric);
  out << "Settings in " << (o.metric ? "metric" : "US customary")
      << " units (change one with --set NAME=VALUE on any command):\n";
  out << std::left << std::setw(22) << "  name" << std::setw(7) << "unit" << std::setw(12)
      << "default" << std::setw(22) << "range" << "current\n";
  for (const SettingSpec& spec : SettingTable()) {
    out << "  " << std::setw(20) << spec.name << std::setw(7) << SettingUnit(spec, m.units)
        << std::setw(12) << Shown(spec, defaults, m.units) << std::setw(22)
        << SettingRangeText(spec, m.units) << Shown(spec, m.settings, m.units) << "\n";
  }
  // The texts chosen from a list: the range column holds the choices.
  for (const TextSetting& t : TextSettings()) {
    out << "  " << std::setw(20) << t.name << std::setw(7) << "" << std::setw(12)
        << TextSettingValue(t, defaults) << ChoiceText(t.choices) << ", now "
        << TextSettingValue(t, m.settings) << "\n";
  }
  return kOk;
}

}  // namespace

void RegisterSettings(CLI::App& app, int& rc) {
  auto o = std::make_shared<SettingsOptions>();
  CLI::App* sub = app.add_subcommand(
      "settings",
      "List every analysis setting with its unit, default, range and the value in force (after "
      "any --set given here), in the units --metric chooses. The same names and ranges hold for "
      "--set on every command.");
  sub->add_flag("--metric", o->metric, "Show the settings in metric units (m)");
  sub->add_option("--set", o->sets, "Change a setting first, NAME=VALUE (repeatable)");
  sub->callback([o, &rc] { rc = RunSettings(*o, std::cout); });
}

}  // namespace tarmac::cli
