#pragma once
// The texts made of a simulation run: the titles of the response levels, the report appended to
// the results file, the measurement log block, the chart titles of rows 6..10 and the message of
// a run that failed. The simulation core returns numbers and a failure kind; every text the
// person reads is made here.
#include <string>
#include <string_view>
#include <vector>

#include "common/units.h"
#include "simulation/simulation_failure.h"
#include "simulation/simulation_run.h"

namespace tarmac {

// The title of the message box of a run that failed during the run.
inline constexpr const char* kFatalErrorTitle = "Fatal Error";

// Title and text of the message box of a failed or refused run.
std::string SimulationFailureTitle(const SimulationFailure& f);
std::string SimulationFailureText(const SimulationFailure& f);

// The title of response level 1..5 of the run, e.g. "B-727 (VUG=20.0 knots ), G cg".
std::string ResponseLevelTitle(const SimulationResult& r, int level);

// The report appended to the results file, one entry per line without its line break (the last
// entry is the empty line that closes it). sample_spacing_ft is the measured profile's spacing.
std::vector<std::string> SimulationReportLines(const SimulationResult& r,
                                               double sample_spacing_ft, const Units& units);

// The lines of the measurement log block of the run, in feet whatever the unit system.
std::vector<std::string> SimulationLogLines(const SimulationResult& r,
                                            std::string_view measurement_name,
                                            double sample_spacing_ft);

// The chart title of a simulation row (6..10) under the chart's graph title.
std::string SimulationChartTitle(std::string_view graph_title, int row, double total);

}  // namespace tarmac
