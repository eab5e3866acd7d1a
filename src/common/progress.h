#pragma once
// Long computations report progress and poll for cancellation through this interface.
// The GUI drives a progress bar with Cancel, the CLI a terminal bar; tests pass NullProgress.
#include <string>

namespace tarmac {

class Progress {
 public:
  virtual ~Progress() = default;
  // Reports that `done` of `total` units of work are finished.
  virtual void step(long long done, long long total) = 0;
  // True once the person asked to stop; the computation then returns without results.
  virtual bool cancelled() const = 0;
  // Says what is being done now ("RW09.pro: Computing IRI"); shown beside the fraction.
  virtual void status(const std::string& text) { (void)text; }
};

class NullProgress final : public Progress {
 public:
  void step(long long, long long) override {}
  bool cancelled() const override { return false; }
};

// Thrown by a computation that noticed cancellation; the command leaves the model unchanged.
struct Cancelled {};

}  // namespace tarmac
