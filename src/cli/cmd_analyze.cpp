// tarmac analyze: read a profile and run the chosen indexes (and simulations) on it.
#include <iostream>
#include <sstream>

#include "cli/cli_common.h"
#include "cli/analysis_json.h"
#include "common/number_format.h"
#include "workflow/atomic_file.h"

namespace tarmac::cli {

int RunAnalyze(const AnalyzeOptions& o) {
  std::vector<int> options;
  if (!ParseIndexList(o.indexes, options)) return kUsage;
  std::vector<SimulationRequest> sims;
  if (!ParseSimulationList(o.simulate, sims)) return kUsage;

  TerminalSession t;
  if (int rc = t.Open(o.common, o.profile); rc != kOk) return rc;
  Session& s = t.session;
  TerminalProgress& progress = t.progress;

  nlohmann::json j = ProfileJson(s, o.common.series);
  int rc = kOk;
  for (int k : options) {
    const bool ok = s.RunIndex(k);
    progress.finish();
    if (!ok) {
      rc = kComputationRefused;
      break;
    }
    j["indexes"][IndexKey(k)] = IndexJson(s, k, o.common.series);
  }
  if (rc == kOk) {
    for (const auto& req : sims) {
      t.plots.simulation_knots = req.knots;
      if (!RunSimulationRequest(s, req, o.common.series, j)) {
        rc = kComputationRefused;
        break;
      }
      progress.finish();
    }
  }
  // Save Indexes: the value boxes as they stand after the indexes run, one line per save.
  std::string indexes_file;
  if (rc == kOk && o.save_indexes && !OutputsInterrupted()) {
    const std::string path = FolderOf(s.model().results_file) + "Indexes.txt";
    if (s.SaveIndexes())
      indexes_file = path;
    else
      NoteOutputFailure(path, "Cannot append the index line to " + path + ".");
  }
  PrintSummary(s, j, SummaryStream(o.common.json));
  if (!indexes_file.empty()) SummaryStream(o.common.json) << "indexes: " << indexes_file << "\n";
  return t.Finish(o.common, j, rc);
}

void RegisterAnalyze(CLI::App& app, int& rc) {
  auto o = std::make_shared<AnalyzeOptions>();
  CLI::App* sub = app.add_subcommand(
      "analyze",
      "Read a profile and compute roughness indexes (and aircraft simulations) on it. Reports are "
      "appended to Results.txt beside the profile unless --batch is given.");
  sub->add_option("PROFILE", o->profile, kProfileFormatsHelp)->required();
  sub->add_option("--index", o->indexes,
                  "Comma list of straightedge,bump,iri,profilograph,bandpass (in any case; the "
                  "buttons' names such as \"Boeing Bump\" are taken too), or all, or none "
                  "(default all)");
  sub->add_option("--simulate", o->simulate,
                  "Comma list of AIRCRAFT@KNOTS to simulate, e.g. B-727@100,B-747@20 "
                  "(aircraft: B-727, B-747, DC-9, DC-10, in any case, with or without the hyphen; "
                  "knots 10 to 200)");
  sub->add_flag("--save-indexes", o->save_indexes,
                "Append the profile's name and the five index values as shown (display units, "
                "0 for an index not run) as one line to Indexes.txt beside the profile, as the "
                "window's Save Indexes does");
  AddCommonOptions(sub, o->common, true);
  sub->callback([o, &rc] { rc = RunAnalyze(*o); });
}

}  // namespace tarmac::cli
