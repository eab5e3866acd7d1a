// Simulations requested on the command line and their JSON.
#include <iostream>

#include "cli/analysis_json.h"

namespace tarmac::cli {

bool RunSimulationRequest(Session& s, const SimulationRequest& req, bool series,
                          nlohmann::json& j) {
  (void)s;
  (void)req;
  (void)series;
  (void)j;
  std::cerr << "Simulation is not available yet\n";
  return false;
}

}  // namespace tarmac::cli
