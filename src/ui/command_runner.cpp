#include "ui/command_runner.h"

#include <QCoreApplication>
#include <algorithm>

namespace tarmac::ui {

CommandRunner::CommandRunner(QObject* parent) : QObject(parent) {}

bool CommandRunner::Run(const QString& what, const std::function<bool()>& command) {
  if (running_) return false;
  running_ = true;
  cancel_ = false;
  last_percent_ = -1;
  since_events_.invalidate();
  emit started(what);
  bool ok = false;
  try {
    ok = command();
  } catch (...) {
    // The Session lets nothing escape a command; should something still come through, the
    // window stays usable and the command counts as failed.
    ok = false;
  }
  running_ = false;
  emit finished(ok);
  return ok;
}

void CommandRunner::RequestCancel() {
  if (running_) cancel_ = true;
}

void CommandRunner::EventProgress::step(long long done, long long total) {
  CommandRunner& r = runner_;
  if (total > 0) {
    const int percent = static_cast<int>(100 * std::clamp(done, 0LL, total) / total);
    if (percent != r.last_percent_) {
      r.last_percent_ = percent;
      emit r.progressed(percent);
    }
  }
  // Events are served every few hundredths of a second: often enough for a responsive window,
  // seldom enough not to slow the computation.
  if (!r.since_events_.isValid() || r.since_events_.elapsed() >= 40) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    r.since_events_.start();
  }
}

bool CommandRunner::EventProgress::cancelled() const { return runner_.cancel_; }

}  // namespace tarmac::ui
