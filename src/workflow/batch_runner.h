#pragma once
// The unattended report of many profiles, side by side on worker threads: the one code path of
// the window's batch and of `tarmac batch --jobs N`. Each worker has its own Session (with its own
// Prompts and PlotSink) and takes the next profile in input order; the steps that append to the
// files the whole selection shares run in input order, one profile at a time, so the documents
// and the lines appended are those of a sequential run. A profile that fails is listed and the
// others go on; a cancel stops every worker at its next step.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/progress.h"
#include "workflow/session.h"

namespace tarmac {

class BatchRunner {
 public:
  // What a worker's Session talks to; made on the thread that starts the run.
  struct Worker {
    std::unique_ptr<Prompts> prompts;
    std::unique_ptr<PlotSink> plots;
  };
  using MakeWorker = std::function<Worker()>;
  // Applies the run's settings to a worker's fresh Session; false refuses the whole run (the
  // reason has been shown). Called on the worker's thread.
  using Configure = std::function<bool(Session&)>;

  BatchRunner(std::vector<std::string> files, int jobs, MakeWorker make, Configure configure);
  ~BatchRunner();  // cancels and waits for a run still going
  BatchRunner(const BatchRunner&) = delete;
  BatchRunner& operator=(const BatchRunner&) = delete;

  // Starts the workers and returns at once. `progress` hears the profiles finished of all
  // (step) and the profile begun (status), from the workers' threads, one call at a time; its
  // cancelled() stops the run as Cancel() does. It must outlive the run.
  void Start(Progress& progress);
  // Asks every worker to stop at its next step; thread-safe.
  void Cancel();
  // Waits for the end of the run. False when a worker's configuration refused it.
  bool Wait();
  // Start and Wait.
  bool Run(Progress& progress);

  // After Wait: what became of the selection, and per profile whether its report was written.
  // Wait also writes the run's summary (Summary.xlsx and Summary.csv) into the report folder
  // beside the first profile, unless the run was refused or interrupted.
  const Session::BatchOutcome& Outcome() const { return outcome_; }
  const std::vector<char>& Processed() const { return done_; }
  // After Wait: the summary rows of the profiles processed, in input order.
  const std::vector<SummaryRow>& SummaryRows() const { return summary_; }

 private:
  class WorkerProgress;
  void Work(Progress& progress);
  void PassTurns(int idx);

  const std::vector<std::string> files_;
  const int jobs_;
  MakeWorker make_;
  Configure configure_;

  std::mutex mu_;
  std::condition_variable cv_;
  int turn_ = 0;     // the profile whose turn it is to read
  int deliver_ = 0;  // the profile whose turn it is to append its gathered lines
  int finished_ = 0;
  std::atomic<int> next_{0};
  std::atomic<bool> cancel_{false};
  std::atomic<bool> refused_{false};
  std::vector<std::optional<std::string>> reasons_;  // why a profile has no report
  std::vector<std::optional<SummaryRow>> rows_;      // a processed profile's summary row
  std::optional<Units> units_;                       // the units the workers reported in
  std::vector<char> done_;
  Session::BatchOutcome outcome_;
  std::vector<SummaryRow> summary_;
  std::vector<Worker> workers_;
  std::vector<std::thread> threads_;
};

}  // namespace tarmac
