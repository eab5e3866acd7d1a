// tarmac analyze: read a profile and run the chosen indexes (and simulations) on it.
#include <iostream>
#include <sstream>

#include "cli/cli_common.h"
#include "cli/analysis_json.h"
#include "common/number_format.h"
#include "workflow/atomic_file.h"
#include "workflow/exceedances.h"

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
  // The stretches of every series judged, in the order they were judged: each simulation's
  // replace the last one's in the session, so they are gathered as they come.
  std::vector<ExceedanceRow> rows;
  std::vector<ExceedanceCount> counts;
  const auto gather = [&](std::initializer_list<ExceedanceKind> kinds) {
    const ProfileModel& m = s.model();
    for (const ExceedanceKind kind : kinds)
      if (const auto& list = m.exceedances.of(kind)) {
        const auto more = ExceedanceRows(*list, m.units, NameOf(m.data_file));
        rows.insert(rows.end(), more.begin(), more.end());
        ExceedanceState one;
        one.lists[static_cast<std::size_t>(kind)] = list;
        const auto c = ExceedanceCounts(one);
        counts.insert(counts.end(), c.begin(), c.end());
      }
  };
  static constexpr ExceedanceKind kOfOption[5] = {
      ExceedanceKind::Straightedge, ExceedanceKind::BoeingBump, ExceedanceKind::ShortIri,
      ExceedanceKind::Scallop, ExceedanceKind::Straightedge};
  for (int k : options) {
    const bool ok = s.RunIndex(k);
    progress.finish();
    if (!ok) {
      rc = kComputationRefused;
      break;
    }
    j["indexes"][IndexKey(k)] = IndexJson(s, k, o.common.series);
    if (k < 4) gather({kOfOption[k]});  // the band-pass index has no limit
  }
  if (rc == kOk) {
    for (const auto& req : sims) {
      t.plots.simulation_knots = req.knots;
      if (!RunSimulationRequest(s, req, o.common.series, j)) {
        rc = kComputationRefused;
        break;
      }
      progress.finish();
      gather({ExceedanceKind::CgAcceleration, ExceedanceKind::PilotAcceleration,
              ExceedanceKind::NoseLoad, ExceedanceKind::MainLoad, ExceedanceKind::RearMainLoad});
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
  if (o.exceedances && rc == kOk) {
    const std::string csv = FolderOf(s.model().data_file) + "Exceedances.csv";
    try {
      WriteFileAtomically(csv, ExceedanceCsv(rows));
    } catch (const std::exception&) {
      NoteOutputFailure(csv, "Cannot write " + csv + ".");
    }
    std::ostream& out = SummaryStream(o.common.json);
    PrintExceedances(rows, counts, out);
    if (!AnyOutputFailed()) out << "stretches written to " << csv << "\n";
  }
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
  sub->add_flag("--exceedances", o->exceedances,
                "Write Exceedances.csv beside the profile: every stretch where a series goes "
                "beyond its limit (the *Limit settings), and list them with pass or fail");
  AddCommonOptions(sub, o->common, true);
  sub->callback([o, &rc] { rc = RunAnalyze(*o); });
}

}  // namespace tarmac::cli
