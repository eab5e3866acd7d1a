#pragma once
// The one place where the window runs a long command (an index, a simulation, a batch). The
// command runs on the window's thread with a progress that keeps the window responsive: it moves
// the progress bar, serves pending events (repaints, Cancel Op., Escape) and tells the command
// when the person asked to stop. While a command runs the window disables what would conflict.
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>

#include "common/progress.h"

namespace tarmac::ui {

class CommandRunner : public QObject {
  Q_OBJECT

 public:
  explicit CommandRunner(QObject* parent = nullptr);

  // The progress a command polls; hand it to the Session once.
  Progress& progress() { return progress_; }

  // Runs `command` under the status text `what`; returns what the command returned. A command
  // asked for while another runs is refused (false) without running.
  bool Run(const QString& what, const std::function<bool()>& command);

  bool running() const { return running_; }
  // Cancel Op.: the running command stops at its next poll and leaves everything as it was.
  void RequestCancel();
  bool cancel_requested() const { return cancel_; }

 signals:
  void started(const QString& what);
  void progressed(int percent);
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

  EventProgress progress_{*this};
  bool running_ = false;
  bool cancel_ = false;
  int last_percent_ = -1;
  QElapsedTimer since_events_;
};

}  // namespace tarmac::ui
