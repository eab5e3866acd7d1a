#pragma once
// What part of the model a command changed, so that a window redraws only that. A Session
// gathers the changes of one command (nested commands included) and hands them to its change
// listener once, when the command ends; a refused, failed or cancelled command changes nothing
// and notifies nothing.
#include <algorithm>
#include <vector>

namespace tarmac {

struct ModelChange {
  bool profile = false;        // the analysis profile was replaced: read, edited, undone
  std::vector<int> levels;     // plot levels 0..6 refilled or redrawn, ascending, each once
  std::vector<int> indexes;    // index options 0..4 whose results were published, ascending
  bool simulation = false;     // a simulation's results (levels 1..5, chart rows 6..10)
  bool settings = false;       // an analysis setting or check box
  bool units = false;          // the unit system
  bool results_file = false;   // lines were appended to the results file

  bool empty() const {
    return !profile && levels.empty() && indexes.empty() && !simulation && !settings && !units &&
           !results_file;
  }
  static void AddTo(std::vector<int>& list, int value) {
    const auto at = std::lower_bound(list.begin(), list.end(), value);
    if (at == list.end() || *at != value) list.insert(at, value);
  }
};

}  // namespace tarmac
