// tarmac read: the read command on one profile file.
#include <filesystem>
#include <iostream>

#include "cli/cli_common.h"
#include "common/number_format.h"

namespace tarmac::cli {
namespace {

struct ReadOptions {
  std::string profile;
  CommonOptions common;
};

int RunRead(const ReadOptions& o) {
  TerminalSession t;
  if (int rc = t.Open(o.common, o.profile); rc != kOk) return rc;
  const ProfileModel& m = t.session.model();
  SummaryStream(o.common.json) << m.data_file << ": " << m.SampleCount() << " samples at "
            << FormatNumber(m.settings.DisplaySpacing, "0.00000") << " " << m.units.LengthLabel
            << ", length " << FormatNumber(m.SampleCount() * m.settings.DisplaySpacing, "#,##0.0")
            << " " << m.units.LengthLabel << "\n";
  if (m.levels[1].kind == "Speed" && !m.levels[1].data.empty())
    SummaryStream(o.common.json) << "speed file: " << m.levels[1].npoints() << " values\n";
  SummaryStream(o.common.json) << "results file: " << m.results_file << "\n";
  return t.Finish(o.common, ProfileJson(t.session, o.common.series), kOk);
}

}  // namespace

void RegisterRead(CLI::App& app, int& rc) {
  auto o = std::make_shared<ReadOptions>();
  CLI::App* sub = app.add_subcommand(
      "read",
      "Read a profile (.pro with its .spd, .dat, .erd, or delimited text .csv/.txt): cut the ends, "
      "remove the end-to-end slope, append the \"Data File Name = \" line to Results.txt in the "
      "profile's folder, and report. A file that cannot be a profile (implausible elevations or "
      "spacing, unevenly spaced distances, a device or a pipe) is refused with exit code 3.");
  sub->add_option("PROFILE", o->profile, kProfileFormatsHelp)->required();
  AddCommonOptions(sub, o->common, false);
  sub->callback([o, &rc] { rc = RunRead(*o); });
}

}  // namespace tarmac::cli
