#include "workflow/batch_runner.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "spectra/cumulative.h"
#include "workflow/atomic_file.h"
#include "workflow/results_file.h"
#include "workflow/spectra_texts.h"
#include "workflow/unexpected.h"

namespace tarmac {

namespace fs = std::filesystem;

// A worker's progress: it shows nothing of its own and stops when the run is cancelled.
class BatchRunner::WorkerProgress final : public Progress {
 public:
  WorkerProgress(const Progress& main, const std::atomic<bool>& cancel)
      : main_(main), cancel_(cancel) {}
  void step(long long, long long) override {}
  bool cancelled() const override { return cancel_.load() || main_.cancelled(); }

 private:
  const Progress& main_;
  const std::atomic<bool>& cancel_;
};

BatchRunner::BatchRunner(std::vector<std::string> files, int jobs, MakeWorker make,
                         Configure configure)
    : files_(std::move(files)),
      jobs_(std::max(1, std::min<int>(jobs, static_cast<int>(files_.size())))),
      make_(std::move(make)),
      configure_(std::move(configure)),
      reasons_(files_.size()),
      rows_(files_.size()),
      done_(files_.size(), 0) {}

BatchRunner::~BatchRunner() {
  if (threads_.empty()) return;
  Cancel();
  Wait();
}

void BatchRunner::Cancel() { cancel_ = true; }

bool BatchRunner::Run(Progress& progress) {
  Start(progress);
  return Wait();
}

void BatchRunner::PassTurns(int idx) {
  std::lock_guard<std::mutex> lock(mu_);
  turn_ = std::max(turn_, idx + 1);
  deliver_ = std::max(deliver_, idx + 1);
  cv_.notify_all();
}

void BatchRunner::Start(Progress& progress) {
  // The workers' prompts and plots are made here, where the run starts (a window's drawing
  // needs its application object).
  for (int j = 0; j < jobs_; ++j) workers_.push_back(make_());
  for (int j = 0; j < jobs_; ++j)
    threads_.emplace_back([this, &progress] { Work(progress); });
}

void BatchRunner::Work(Progress& progress) {
  const int n = static_cast<int>(files_.size());
  // Each thread takes one of the workers made at the start.
  std::unique_ptr<Prompts> prompts;
  std::unique_ptr<PlotSink> plots;
  {
    std::lock_guard<std::mutex> lock(mu_);
    for (Worker& candidate : workers_)
      if (candidate.prompts) {
        prompts = std::move(candidate.prompts);
        plots = std::move(candidate.plots);
        break;
      }
  }
  WorkerProgress wp(progress, cancel_);
  Session s(*prompts, plots.get());
  s.SetProgress(&wp);
  if (!configure_(s)) {
    refused_ = true;
    for (int idx; (idx = next_++) < n;) PassTurns(idx);
    return;
  }
  s.ClearResults();
  s.SetBatchMode(true);
  // The lines of the Boeing Bump distribution file gather here and are appended in order.
  std::error_code ec;
  const fs::path own = fs::temp_directory_path() /
                       ("tarmac-batch-" + std::to_string(::getpid()) + "-" +
                        std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id())));
  fs::create_directories(own, ec);
  for (;;) {
    const int idx = next_++;
    if (idx >= n) break;
    const auto at = static_cast<std::size_t>(idx);
    if (wp.cancelled()) {
      // Stopped: nothing after this is processed, but the turns pass on so nobody waits.
      reasons_[at] = "interrupted";
      PassTurns(idx);
      continue;
    }
    {
      std::lock_guard<std::mutex> lock(mu_);
      progress.status(NameOf(files_[at]));
    }
    Session::BatchTurn t;
    t.begin = [this, idx] {
      std::unique_lock<std::mutex> lock(mu_);
      cv_.wait(lock, [&] { return turn_ >= idx; });
    };
    t.end = [this, idx] {
      std::lock_guard<std::mutex> lock(mu_);
      turn_ = std::max(turn_, idx + 1);
      cv_.notify_all();
    };
    t.private_folder = own.string() + "/";
    t.deliver = [this, idx](const std::string& folder, const std::vector<std::string>& lines) {
      std::unique_lock<std::mutex> lock(mu_);
      cv_.wait(lock, [&] { return deliver_ >= idx; });
      if (!lines.empty()) AppendLines(folder + std::string(kBoeingBumpPdfFileName), lines);
      deliver_ = std::max(deliver_, idx + 1);
      cv_.notify_all();
    };
    bool ok = false;
    std::optional<std::string> thrown;
    try {
      ok = s.AutoProcessFile(files_[at], idx + 1, n, &t);
    } catch (...) {
      // The session answers for its own failures; anything else must not end the program from
      // a worker thread.
      const std::string what = DescribeException(std::current_exception());
      thrown = "stopped: " + what;
      prompts->Message("The command stopped: " + what, kUnexpectedTitle);
      PassTurns(idx);
    }
    if (thrown) {
      reasons_[at] = *thrown;
    } else if (ok) {
      done_[at] = 1;
      if (!s.LastBatchSummary().empty()) rows_[at] = s.LastBatchSummary().back();
      std::lock_guard<std::mutex> lock(mu_);
      if (!units_) units_ = s.model().units;
    } else if (s.LastBatch().interrupted || wp.cancelled()) {
      reasons_[at] = "interrupted";
    } else {
      const auto& failed = s.LastBatch().failed;
      reasons_[at] = failed.empty() ? "stopped" : failed.back().reason;
    }
    std::lock_guard<std::mutex> lock(mu_);
    progress.step(++finished_, n);
  }
  fs::remove_all(own, ec);
}

bool BatchRunner::Wait() {
  for (std::thread& t : threads_) t.join();
  threads_.clear();
  workers_.clear();
  const int n = static_cast<int>(files_.size());
  outcome_ = Session::BatchOutcome{};
  summary_.clear();
  outcome_.chosen = n;
  for (int idx = 0; idx < n; ++idx) {
    const auto& why = reasons_[static_cast<std::size_t>(idx)];
    if (done_[static_cast<std::size_t>(idx)]) {
      ++outcome_.processed;
      if (const auto& row = rows_[static_cast<std::size_t>(idx)]) summary_.push_back(*row);
    } else if (why && *why == "interrupted") {
      outcome_.interrupted = true;
    } else {
      outcome_.failed.push_back({NameOf(files_[static_cast<std::size_t>(idx)]),
                                 why.value_or("stopped"), idx + 1});
    }
  }
  // The summary of the run beside the report documents of the first profile; a refused or
  // interrupted run writes nothing new.
  if (!refused_ && !outcome_.interrupted && n > 0 && !OutputsInterrupted())
    WriteBatchSummary(FolderOf(files_.front()) + "WordFile",
                      SummaryTableOf(outcome_, summary_, units_.value_or(MakeUnits(false))));
  return !refused_;
}

}  // namespace tarmac
