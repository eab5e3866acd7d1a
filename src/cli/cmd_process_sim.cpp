// tarmac process-sim: the unattended taxi-speed and runway-speed simulations over a list of
// measurements, with a log and a report document per measurement.
#include <filesystem>
#include <iostream>

#include "cli/cli_common.h"

namespace tarmac::cli {
namespace {

struct ProcessSimOptions {
  std::string list;
  CommonOptions common;
};

int RunProcessSim(const ProcessSimOptions& o) {
  TerminalPrompts prompts;
  PngPlotSink plots;
  TerminalProgress progress;
  Session s(prompts, &plots);
  s.SetProgress(&progress);
  if (int rc = ApplyCommonOptions(s, o.common); rc != kOk) return rc;
  // Absolute, so that the log and the reports name the measurements wherever they lie.
  const std::string list = std::filesystem::absolute(o.list).lexically_normal().string();
  {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(list, ec)) {
      std::cerr << "File Error: the list of measurements " << list << " cannot be read.\n";
      return kInputRefused;
    }
  }
  const bool ok = s.ProcessSimList(list);
  progress.finish();
  std::cout << "log: " << FolderOf(list) << "ProDatFiles.log\n";
  if (!ok) return progress.cancelled() ? kComputationRefused : kInputRefused;
  return kOk;
}

}  // namespace

void RegisterProcessSim(CLI::App& app, int& rc) {
  auto o = std::make_shared<ProcessSimOptions>();
  CLI::App* sub = app.add_subcommand(
      "process-sim",
      "Simulate the aircraft (AircraftType, B-727 unless --set) at taxi speed (20 knots) and at "
      "runway speed (100 knots) over every measurement of a list. The list holds one path per "
      "line with its four-character extension (e.g. runs/R12.Pro; relative paths are taken from "
      "the list's folder). Writes ProDatFiles.log beside the list (the measurements skipped and "
      "why) and, beside each measurement, NAME.Log (two log blocks) and NAME.docx (profile, "
      "speed and the acceleration plots).");
  sub->add_option("LIST_FILE", o->list, "The list of measurements, e.g. ProDatFiles.txt")
      ->required();
  sub->add_flag("--metric", o->common.metric,
                "Report in metric units (the .Log files are in feet and seconds whatever the "
                "units)");
  sub->add_option("--set", o->common.sets,
                  "Change a setting, NAME=VALUE in display units (repeatable), e.g. "
                  "AircraftType=B-747, DampingFactor=0.03, NumberOfModes=6, AveragingDistance=500");
  sub->add_flag("--smooth-ends", o->common.smooth_ends,
                "Smooth the profile ends before each simulation");
  AddDecimationOption(sub, o->common.decimation);
  sub->callback([o, &rc] { rc = RunProcessSim(*o); });
}

}  // namespace tarmac::cli
