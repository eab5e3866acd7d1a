// tarmac export: read a profile and write it (or one plot level's series) for other programs.
#include <iostream>

#include "cli/cli_common.h"

namespace tarmac::cli {
namespace {

struct ExportOptions {
  std::string profile;
  std::string erd;
  std::string csv;
  int level = 0;
  CommonOptions common;
};

// Fills the level asked for: 0 is the profile and 1 the speed straight after reading; level 1
// without a speed, and levels 2 to 5, are the series of the index drawn on that level.
bool FillLevelForExport(Session& s, int level) {
  if (level == 0) return true;
  const PlotLevel& l1 = s.model().levels[1];
  if (level == 1 && l1.kind == "Speed" && !l1.data.empty()) return true;
  return s.RunIndex(level - 1);  // option k draws on level k + 1
}

int RunExport(const ExportOptions& o) {
  if (o.erd.empty() && o.csv.empty()) {
    std::cerr << "Nothing to write: give --erd FILE, --csv FILE or both.\n";
    return kUsage;
  }
  TerminalSession t;
  if (int rc = t.Open(o.common, o.profile); rc != kOk) return rc;
  Session& s = t.session;
  TerminalProgress& progress = t.progress;
  // Ctrl-C during a long read: nothing is written (the writer refuses every file from then on).
  if (progress.cancelled()) return OutcomeOfOutputs(kComputationRefused);

  if (!o.erd.empty()) {
    if (!s.ExportErd(o.erd)) return OutcomeOfOutputs(kComputationRefused);
    const ProfileModel& m = s.model();
    std::cout << "erd: " << o.erd << " (" << m.SampleCount() << " samples";
    const PlotLevel& l1 = m.levels[1];
    if (l1.kind == "Speed" && !l1.data.empty()) std::cout << ", with speed";
    std::cout << ")\n";
  }
  if (!o.csv.empty()) {
    const bool filled = FillLevelForExport(s, o.level);
    progress.finish();
    if (!filled) return OutcomeOfOutputs(kComputationRefused);
    if (!s.ExportLevelCsv(o.csv, o.level)) return OutcomeOfOutputs(kComputationRefused);
    const auto [distance, value] = s.LevelCsvHeadings(o.level);
    std::cout << "csv: " << o.csv << " (level " << o.level << ", " << value << " over " << distance
              << ", " << s.model().levels[static_cast<std::size_t>(o.level)].npoints()
              << " values)\n";
  }
  return t.Finish(o.common, ProfileJson(s, o.common.series), kOk);
}

}  // namespace

void RegisterExport(CLI::App& app, int& rc) {
  auto o = std::make_shared<ExportOptions>();
  CLI::App* sub = app.add_subcommand(
      "export",
      "Read a profile (.pro, .dat, .erd, .csv or .txt) like `read` does, then write it for other "
      "programs.\n"
      "--erd writes the analysis profile (after the end cut and the slope removal) as an ERD "
      "text file in inches at the sample spacing in feet, with the survey speed in ft/s as a "
      "second channel when the profile came with one; the ERD is always in these units.\n"
      "--csv writes one plot level as two columns, distance from the start and value, both in "
      "display units (--metric for m, cm, mm, m/s, m/km), under a heading line naming each and "
      "its unit.");
  sub->add_option("PROFILE", o->profile, kProfileFormatsHelp)->required();
  sub->add_option("--erd", o->erd, "Write the profile (and speed) as an ERD text file FILE");
  sub->add_option("--csv", o->csv, "Write the series of plot level --level as CSV to FILE");
  sub->add_option("--level", o->level,
                  "Plot level for --csv: 0 profile (default); 1 the speed when the profile came "
                  "with one, otherwise the straightedge deviation; 2 Boeing Bump Index; 3 IRI "
                  "rectified slope; 4 California profilograph trace; 5 band-pass filtered "
                  "profile. Levels that hold an index run that index first (its report goes to "
                  "Results.txt unless --batch).")
      ->check(CLI::Range(0, 5));
  AddCommonOptions(sub, o->common, true);
  sub->callback([o, &rc] { rc = RunExport(*o); });
}

}  // namespace tarmac::cli
