// tarmac edit: the profile editing commands (high pass, repair, new length, vertical curve)
// applied in the order given, then the edited profile saved in the format --out names.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "cli/cli_common.h"
#include "common/number_format.h"

namespace tarmac::cli {
namespace {

struct EditOptions {
  std::string profile;
  std::string out;
  bool highpass = false, repair = false;
  std::vector<std::string> new_lengths, vertical_curves;
  bool metric = false;
  bool force = false;
  std::vector<std::string> sets;
  CommonOptions input;  // --channel, --column and the units of a delimited-text profile
};

// Whether two paths name one existing file (through links too).
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

// "A:B" in display length units -> two distances; false with a message when malformed.
bool ParseStretch(const std::string& text, const std::string& option, double& a, double& b) {
  const auto colon = text.find(':');
  if (colon != std::string::npos) {
    const std::string sa = text.substr(0, colon), sb = text.substr(colon + 1);
    char* ea = nullptr;
    char* eb = nullptr;
    a = std::strtod(sa.c_str(), &ea);
    b = std::strtod(sb.c_str(), &eb);
    if (!sa.empty() && !sb.empty() && *ea == '\0' && *eb == '\0' && a >= 0 && b >= 0) return true;
  }
  std::cerr << option << " needs two distances from the profile start as A:B, got \"" << text
            << "\"\n";
  return false;
}

// The plot x of a distance from the profile start: hundreds of display units, counted so that
// the first sample lies one spacing along (the plot's own count), so the distance picks the
// sample that lies there.
float PlotX(const Session& s, double distance) {
  return static_cast<float>((distance + s.model().settings.DisplaySpacing) / 100.0);
}

int RunEdit(const EditOptions& o, const std::vector<std::string>& order) {
  TerminalPrompts prompts;
  Session s(prompts);
  CommonOptions common = o.input;
  common.metric = o.metric;
  common.sets = o.sets;
  if (int rc = ApplyCommonOptions(s, common); rc != kOk) return rc;
  // Check every stretch and the output before anything is read or changed.
  std::vector<std::array<double, 2>> cuts, curves;
  for (const auto& t : o.new_lengths) {
    double a = 0, b = 0;
    if (!ParseStretch(t, "--new-length", a, b)) return kUsage;
    cuts.push_back({a, b});
  }
  for (const auto& t : o.vertical_curves) {
    double a = 0, b = 0;
    if (!ParseStretch(t, "--vertical-curve", a, b)) return kUsage;
    curves.push_back({a, b});
  }
  if (order.empty()) {
    std::cerr << "No edit given: use --highpass, --repair, --new-length or --vertical-curve\n";
    return kUsage;
  }
  if (!Session::CanSaveProfileAs(o.out)) {
    std::cerr << "--out must name a .pro, .dat, .erd or .csv file, got \"" << o.out
              << "\"; nothing read, nothing written.\n";
    return kUsage;
  }
  if (!o.force && SameFile(o.profile, o.out)) {
    std::cerr << "--out names the profile being edited (" << o.out
              << "); give --force to replace it. Nothing written.\n";
    return kUsage;
  }
  if (int rc = ReadProfile(s, o.profile); rc != kOk) return rc;
  s.SetBatchMode(true);
  const std::string unit = s.model().units.LengthLabel;
  std::size_t nextCut = 0, nextCurve = 0;
  for (const auto& step : order) {
    bool ok = false;
    if (step == "highpass") {
      ok = s.HighPass();
    } else if (step == "repair") {
      ok = s.Repair();
    } else if (step == "new-length" || step == "vertical-curve") {
      const bool cut = step == "new-length";
      const auto& c = cut ? cuts.at(nextCut) : curves.at(nextCurve);
      const std::string& text = cut ? o.new_lengths.at(nextCut++) : o.vertical_curves.at(nextCurve++);
      // A stretch past the last sample would be clamped to the end without a word.
      const ProfileModel& m = s.model();
      const double length = (m.SampleCount() - 1) * m.settings.DisplaySpacing;
      if (std::max(c[0], c[1]) > length + 0.5 * m.settings.DisplaySpacing) {
        std::cerr << "--" << step << " " << text << " runs past the end of the profile, which is "
                  << FormatNumber(length, "#,##0.00") << " " << unit
                  << " long; nothing saved.\n";
        return kComputationRefused;
      }
      ok = cut ? s.NewLength(0, PlotX(s, c[0]), PlotX(s, c[1]))
               : s.VerticalCurve(0, PlotX(s, c[0]), PlotX(s, c[1]));
    }
    if (!ok) {
      std::cerr << "The " << step << " edit was refused; nothing saved.\n";
      return kComputationRefused;
    }
    const ProfileModel& m = s.model();
    std::cout << step << ": " << m.SampleCount() << " samples, "
              << FormatNumber((m.SampleCount() - 1) * m.settings.DisplaySpacing, "#,##0.00")
              << " " << unit << "\n";
  }
  // A save that fails is an output that could not be written (exit 5), not a refused input.
  if (!s.SaveProfile(o.out)) return OutcomeOfOutputs(kOutputFailed);
  std::cout << "saved: " << o.out << "\n";
  return OutcomeOfOutputs(kOk);
}

}  // namespace

void RegisterEdit(CLI::App& app, int& rc) {
  auto o = std::make_shared<EditOptions>();
  CLI::App* sub = app.add_subcommand(
      "edit",
      "Edit a profile and save it in the format the extension of --out names, with its spacing, "
      "so that it reads back as it was saved. The edits run in the order given; distances are "
      "measured from the profile start in feet, or metres with --metric, and each cut counts "
      "from the start the earlier cuts left. A stretch past the end of the profile is refused.");
  sub->add_option("PROFILE", o->profile, kProfileFormatsHelp)->required();
  sub->add_option("--out", o->out,
                  "The edited profile: FILE.pro (elevations, end marker and spacing), FILE.dat, "
                  "FILE.erd (inches and feet) or FILE.csv (display units). Never the input file "
                  "unless --force")
      ->required();
  sub->add_flag("--force", o->force, "Allow --out to replace the profile being edited");
  CLI::Option* highpass = sub->add_flag("--highpass", o->highpass,
                "Replace the profile with its high-pass form (300-ft cut-off, ends tapered over "
                "2 %)");
  CLI::Option* repair = sub->add_flag("--repair", o->repair,
                "Smooth the profile twice with the eight-wheel 30-ft carriage after a 0.5-ft "
                "low-pass");
  CLI::Option* cut = sub->add_option("--new-length", o->new_lengths,
                  "Cut the profile to START:END (at least 100 ft) and remove the chord between "
                  "its ends (repeatable, up to 10)")
      ->allow_extra_args(false);
  CLI::Option* curve = sub->add_option("--vertical-curve", o->vertical_curves,
                  "Fit a parabolic vertical curve around the vertex at VERTEX:SECOND; the second "
                  "point only has to lie at least a foot beyond the vertex (repeatable)")
      ->allow_extra_args(false);
  sub->add_flag("--metric", o->metric, "Distances in metres");
  sub->add_option("--set", o->sets,
                  "Change a setting, NAME=VALUE in display units (repeatable), e.g. "
                  "SampleSpacing=0.25");
  AddInputOptions(sub, o->input);
  sub->callback([o, sub, highpass, repair, cut, curve, &rc] {
    // The edits in the order they were given on the command line.
    std::vector<std::string> order;
    for (const CLI::Option* opt : sub->parse_order()) {
      if (opt == highpass) order.push_back("highpass");
      if (opt == repair) order.push_back("repair");
      if (opt == cut) order.push_back("new-length");
      if (opt == curve) order.push_back("vertical-curve");
    }
    rc = RunEdit(*o, order);
  });
}

}  // namespace tarmac::cli
