// Simulations requested on the command line and their JSON.
#include <algorithm>
#include <cmath>
#include <iostream>

#include "cli/analysis_json.h"
#include "cli/cli_common.h"
#include "common/units.h"

namespace tarmac::cli {
namespace {

// A single-precision value by its shortest text, a double as it is.
double Num(float x) { return FloatForJson(x); }
double Num(double x) { return x; }

// The response of one plot level: extremes, whole-profile and part RMS, 2000-ft stretches.
template <typename Value, typename Parts, typename Stretch>
nlohmann::json ResponseJson(Value min, Value max, Value total, const Parts& parts,
                            const Stretch& stretch, const PlotLevel& level, bool series) {
  nlohmann::json j;
  j["min"] = Num(min);
  j["max"] = Num(max);
  j["total_rms"] = Num(total);
  j["peak"] = std::max(std::abs(static_cast<double>(Num(min))), std::abs(static_cast<double>(Num(max))));
  nlohmann::json p = nlohmann::json::array();
  for (const auto& v : parts) p.push_back(Num(v));
  j["parts"] = p;
  j["first2000"] = Num(stretch.first);
  j["center2000"] = Num(stretch.centre);
  j["last2000"] = Num(stretch.last);
  if (series) j["series"] = SeriesJson(level.data);
  return j;
}

template <typename T>
nlohmann::json Floats(const std::vector<T>& v) {
  nlohmann::json a = nlohmann::json::array();
  for (T x : v) a.push_back(Num(x));
  return a;
}

}  // namespace

bool RunSimulationRequest(Session& s, const SimulationRequest& req, bool series,
                          nlohmann::json& j) {
  if (!s.SetSetting("AircraftType", req.aircraft)) return false;
  if (!s.RunSimulation(req.knots * kKnotsToFps)) return false;
  const ProfileModel& m = s.model();
  const SimulationResult& r = m.simulation;

  nlohmann::json sim;
  sim["aircraft"] = r.aircraft_type;
  sim["speed_knots"] = req.knots;
  sim["speed_fps"] = r.speed_fps;
  sim["time_step_s"] = r.time_step_s;
  sim["ground_n_inner"] = r.inner_steps;
  sim["static_gear_loads_lb"] = Floats(r.static_gear_loads_lb);
  sim["weight"] = r.weight_lb * m.units.MassFactor;  // display mass units
  sim["part_lengths_ft"] = Floats(r.part_lengths_ft);
  sim["step_ft"] = r.spacing_ft;
  sim["decimation_rule"] = std::string(DecimationRuleName(m.settings.Decimation));
  sim["decimation_factor"] = m.simulation_input.factor;
  if (series) {
    const PreparedProfile& in = m.simulation_input;
    sim["input"] = SeriesJson(std::vector<float>(in.data1(), in.data1() + in.n));
  }

  // Stretch values in series order: cg, pilot, nose, main, rear main.
  auto stretch = [&](std::size_t k) { return r.stretch_values.at(k); };
  nlohmann::json resp;
  resp["gcg"] = ResponseJson(r.cg_min_g, r.cg_max_g, r.cg_total_rms, r.cg_part_rms, stretch(0),
                             m.levels[1], series);
  resp["gcp"] = ResponseJson(r.pilot_min_g, r.pilot_max_g, r.pilot_total_rms, r.pilot_part_rms, stretch(1),
                             m.levels[2], series);
  resp["nose"] = ResponseJson(r.nose_min, r.nose_max, r.nose_total_rms, r.nose_part_rms,
                              stretch(2), m.levels[3], series);
  resp["main"] = ResponseJson(r.main_min, r.main_max, r.main_total_rms, r.main_part_rms,
                              stretch(3), m.levels[4], series);
  if (r.has_rear_main)
    resp["rear_main"] = ResponseJson(r.rear_min, r.rear_max, r.rear_total_rms,
                                     r.rear_part_rms, stretch(4), m.levels[5], series);
  for (const ExceedanceKindInfo& info : ExceedanceKinds())
    if (const auto& list = m.exceedances.of(info.kind);
        list && !list->run.empty() && resp.contains(ExceedanceOwnerKey(info.kind)))
      AddExceedances(resp[ExceedanceOwnerKey(info.kind)], *list, m.units);
  sim["responses"] = resp;
  // Accelerations in g; a gear's dynamic load as a ratio to its static load.
  nlohmann::json responses = {{"gcg", "g"}, {"gcp", "g"}, {"nose", "-"}, {"main", "-"}};
  if (r.has_rear_main) responses["rear_main"] = "-";
  sim["units"] = {{"speed_knots", "knots"},
                  {"speed_fps", "ft/s"},
                  {"time_step_s", "s"},
                  {"static_gear_loads_lb", "lb"},
                  {"weight", m.units.Metric ? "kg" : "lb"},
                  {"part_lengths_ft", "ft"},
                  {"step_ft", "ft"},
                  {"responses", responses},
                  {"exceedances", ExceedanceUnitsJson(m.units)},
                  {"input", "in"}};
  j["simulations"].push_back(sim);
  return true;
}

}  // namespace tarmac::cli
