#pragma once
// A simulation that cannot go on: the run ends without results and the person is shown the
// title and text in a message box.
#include <string>

namespace tarmac {

struct SimulationFailure {
  std::string title;
  std::string text;
};

// The title of the equilibrium and run-time failures.
inline constexpr const char* kFatalErrorTitle = "Fatal Error";

}  // namespace tarmac
