#pragma once
// The tests' way into a Session's model: to set up a state no command makes (a profile holding
// values too large for an index, a results file that cannot grow) and to call its appends.
#include <string>
#include <vector>

#include "workflow/session.h"

namespace tarmac {

struct SessionTestAccess {
  static ProfileModel& Model(Session& s) { return s.model_; }
  static bool AppendResults(Session& s, const std::vector<std::string>& lines) {
    return s.AppendResults(lines);
  }
};

}  // namespace tarmac
