#pragma once
// The one place where the window runs a command.
//
// A long command (an index, a simulation, a spectrum, a batch) runs as a job (workflow/job.h):
// the window prepares it on its own thread, the runner computes it on a worker thread with a
// SharedProgress, and publishes it back on the window's thread when the worker is done. Meanwhile
// the window stays responsive: a timer moves the progress bar and shows the status text, Cancel
// Op. and Escape ask the worker to stop, and a cancelled command publishes nothing.
//
// A short command (reading a file, saving, an edit) runs on the window's thread; its progress
// serves pending events now and then so that a large file does not freeze the window either.
// Only one command runs at a time; while it runs the window disables what would conflict.
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "common/progress.h"
#include "workflow/job.h"

class QThread;
class QTimer;

namespace tarmac::ui {

class CommandRunner : public QObject {
  Q_OBJECT

 public:
  explicit CommandRunner(QObject* parent = nullptr);
  ~CommandRunner() override;  // cancels a worker still running and waits for it

  // The progress of the short commands; hand it to the Session once.
  Progress& progress() { return progress_; }

  // Runs a short `command` on this thread under the status text `what`; returns what the
  // command returned. A command asked for while another runs is refused (false) without running.
  bool Run(const QString& what, const std::function<bool()>& command);

  // Computes `job` on a worker thread and publishes it here. `done` (optional) hears whether
  // the result was published, after the publication. False when another command runs.
  bool StartJob(const QString& what, std::unique_ptr<Job> job,
                std::function<void(bool published)> done = {});
  // The general form: `work` runs on a worker thread with the shared progress, `finish` on this
  // thread once the worker is done, told whether Cancel was asked for meanwhile; what it returns
  // is the command's outcome.
  bool StartWork(const QString& what, std::function<void(Progress&)> work,
                 std::function<bool(bool cancelled)> finish);

  bool running() const { return running_; }
  bool on_worker() const { return thread_ != nullptr; }
  // Cancel Op.: the running command stops at its next poll and leaves everything as it was.
  void RequestCancel();
  bool cancel_requested() const { return cancel_; }
  // Cancels a worker and waits for it without publishing anything (the window is going).
  void Abandon();
  // Serves events until no command runs or `ms` have passed; true when idle.
  bool WaitIdle(int ms);

 signals:
  void started(const QString& what);
  void progressed(int percent);
  void statusChanged(const QString& text);
  void finished(bool ok);

 private:
  class EventProgress final : public Progress {
   public:
    explicit EventProgress(CommandRunner& runner) : runner_(runner) {}
    void step(long long done, long long total) override;
    bool cancelled() const override;

   private:
    CommandRunner& runner_;
  };

  void Begin(const QString& what);
  void End(bool ok);
  void Poll();
  void WorkerDone();

  EventProgress progress_{*this};
  bool running_ = false;
  bool cancel_ = false;
  int last_percent_ = -1;
  QString last_status_;
  QElapsedTimer since_events_;

  QThread* thread_ = nullptr;
  std::unique_ptr<SharedProgress> shared_;
  std::function<bool(bool)> finish_;
  QTimer* poll_ = nullptr;
};

}  // namespace tarmac::ui
