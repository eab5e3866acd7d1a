#pragma once
// Long commands as jobs, so that a window can compute off its own thread.
//
// A command that computes for long (an index, a simulation, a spectrum, a density) is split in
// three steps:
//   1. prepare (Session::PrepareIndex, PrepareSimulation, PreparePsd, PreparePdf), on the thread
//      that owns the session: checks the request and copies what the computation reads. A
//      refusal is shown there, through Prompts, and the result is nullptr; nothing changes.
//   2. Job::Compute, on any thread: a pure computation on that copy. It touches neither the
//      session nor its model, reports through the Progress it is given and stops when that
//      Progress says cancelled. It never throws: a failure is kept for step 3.
//   3. Job::Publish, again on the session's thread: puts the result into the model, draws, appends
//      to the results file and tells the change listener; or shows why there is no result (a
//      cancelled or failed job leaves the model exactly as it was and notifies nothing).
// Session::RunJob does 2 and 3 on the calling thread; the CLI and the synchronous commands
// (RunIndex, RunSimulation, RunPsd, RunPdf) are that.
#include <atomic>
#include <mutex>
#include <string>

#include "common/progress.h"

namespace tarmac {

class Job {
 public:
  virtual ~Job() = default;
  // Step 2. Call once.
  virtual void Compute(Progress& progress) = 0;
  // Step 3, after Compute. True when the result went into the model.
  virtual bool Publish() = 0;
  // What the job does, for a progress window ("Computing IRI").
  virtual std::string Title() const = 0;
};

// A Progress a window can share with a worker thread: the worker reports the fraction and the
// status, the window reads them when it repaints and asks for a stop with Cancel().
class SharedProgress final : public Progress {
 public:
  void step(long long done, long long total) override {
    fraction_.store(total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 0.0);
  }
  bool cancelled() const override { return cancel_.load(); }
  void status(const std::string& text) override {
    std::lock_guard<std::mutex> lock(mu_);
    status_ = text;
  }
  void Cancel() { cancel_.store(true); }
  double Fraction() const { return fraction_.load(); }
  std::string Status() const {
    std::lock_guard<std::mutex> lock(mu_);
    return status_;
  }

 private:
  std::atomic<double> fraction_{0.0};
  std::atomic<bool> cancel_{false};
  mutable std::mutex mu_;
  std::string status_;
};

}  // namespace tarmac
