#pragma once
// The JSON and the terminal summary of index and simulation results.
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "workflow/session.h"

#include "cli/cli_common.h"

namespace tarmac::cli {

// tarmac analyze: read a profile, run indexes and simulations, report.
struct AnalyzeOptions {
  std::string profile;
  std::string indexes = "all";
  std::string simulate;
  bool save_indexes = false;  // append the index summary line to Indexes.txt
  CommonOptions common;
  bool exceedances = false;  // write Exceedances.csv beside the profile and list the stretches
};
int RunAnalyze(const AnalyzeOptions& o);

// "all", "none" or a comma list of straightedge,bump,iri,profilograph,bandpass -> option
// indexes in the order given. False (with a message) for an unknown name.
bool ParseIndexList(const std::string& list, std::vector<int>& options);
// The JSON key of an index option.
std::string IndexKey(int option);
// The name of an index option as its button shows it ("CA Profilograph").
std::string IndexName(int option);
// The unit of an index's value, stretches and section values in the units shown ("in/mi").
std::string IndexUnit(int option, const Units& units);
// The "units" object beside an index's JSON: the unit of each of its quantities.
nlohmann::json IndexUnitsJson(int option, const Units& units);
// The chart row of an index option.
int IndexChartRow(int option);
nlohmann::json IndexJson(const Session& s, int option, bool series);

struct SimulationRequest {
  std::string aircraft;
  double knots = 0;
};
// "B-727@100,B-747@20" -> requests; empty text -> none. False (with a message) when malformed.
bool ParseSimulationList(const std::string& list, std::vector<SimulationRequest>& out);
// Runs one simulation and adds it to j["simulations"]. False when the run was refused.
bool RunSimulationRequest(Session& s, const SimulationRequest& req, bool series,
                          nlohmann::json& j);

// The stretches beyond a limit of one judged series, in display units: a list of
// {start, end, length, peak, peak_location}.
nlohmann::json ExceedancesJson(const ExceedanceList& list, const Units& units);
// Adds `exceedances`, `exceedance_limit` and `pass` of a judged series to its object.
void AddExceedances(nlohmann::json& j, const ExceedanceList& list, const Units& units);
// The units of the stretches' distances, as the "units" objects carry them.
nlohmann::json ExceedanceUnitsJson(const Units& units);
// A short table, one line per kind judged (`rows` are the stretches of `counts` in the same
// order), and the pass or fail line.
void PrintExceedances(const std::vector<ExceedanceRow>& rows,
                      const std::vector<ExceedanceCount>& counts, std::ostream& out);

// A short table of what was computed.
void PrintSummary(const Session& s, const nlohmann::json& j, std::ostream& out);

}  // namespace tarmac::cli
