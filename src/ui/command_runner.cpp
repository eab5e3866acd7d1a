#include "ui/command_runner.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace tarmac::ui {

CommandRunner::CommandRunner(QObject* parent) : QObject(parent) {
  poll_ = new QTimer(this);
  // A tenth of a second between looks at the worker: smooth enough for a bar, cheap enough.
  poll_->setInterval(100);
  connect(poll_, &QTimer::timeout, this, &CommandRunner::Poll);
}

CommandRunner::~CommandRunner() { Abandon(); }

void CommandRunner::Begin(const QString& what) {
  running_ = true;
  cancel_ = false;
  last_percent_ = -1;
  last_status_.clear();
  since_events_.invalidate();
  emit started(what);
}

void CommandRunner::End(bool ok) {
  running_ = false;
  emit finished(ok);
}

bool CommandRunner::Run(const QString& what, const std::function<bool()>& command) {
  if (running_) return false;
  Begin(what);
  bool ok = false;
  try {
    ok = command();
  } catch (...) {
    // The Session lets nothing escape a command; should something still come through, the
    // window stays usable and the command counts as failed.
    ok = false;
  }
  End(ok);
  return ok;
}

bool CommandRunner::StartJob(const QString& what, std::unique_ptr<Job> job,
                             std::function<void(bool)> done) {
  if (!job) return false;
  std::shared_ptr<Job> shared_job(std::move(job));
  return StartWork(
      what, [shared_job](Progress& p) { shared_job->Compute(p); },
      [shared_job, done = std::move(done)](bool cancelled) {
        // A result that arrives after the person asked to stop is not published: Cancel Op.
        // holds until the result is in the model.
        const bool published = !cancelled && shared_job->Publish();
        if (done) done(published);
        return published;
      });
}

bool CommandRunner::StartWork(const QString& what, std::function<void(Progress&)> work,
                              std::function<bool(bool)> finish) {
  if (running_) return false;
  Begin(what);
  shared_ = std::make_unique<SharedProgress>();
  finish_ = std::move(finish);
  SharedProgress* progress = shared_.get();
  thread_ = QThread::create([work = std::move(work), progress] {
    try {
      work(*progress);
    } catch (...) {
      // A job keeps its failure for publication; nothing else may end the worker.
    }
  });
  QThread* thread = thread_;
  connect(
      thread, &QThread::finished, this,
      [this, thread] {
        if (thread == thread_) WorkerDone();
      },
      Qt::QueuedConnection);
  thread_->start();
  poll_->start();
  return true;
}

void CommandRunner::Poll() {
  if (!shared_) return;
  const int percent = static_cast<int>(std::lround(100.0 * std::clamp(shared_->Fraction(), 0.0, 1.0)));
  if (percent != last_percent_) {
    last_percent_ = percent;
    emit progressed(percent);
  }
  const QString status = QString::fromStdString(shared_->Status());
  if (!status.isEmpty() && status != last_status_) {
    last_status_ = status;
    emit statusChanged(status);
  }
}

void CommandRunner::WorkerDone() {
  poll_->stop();
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  std::function<bool(bool)> finish = std::move(finish_);
  finish_ = nullptr;
  const bool cancelled = cancel_ || shared_->cancelled();
  shared_.reset();
  bool ok = false;
  try {
    ok = finish && finish(cancelled);
  } catch (...) {
    ok = false;
  }
  End(ok);
}

void CommandRunner::RequestCancel() {
  if (!running_) return;
  cancel_ = true;
  if (shared_) shared_->Cancel();
}

void CommandRunner::Abandon() {
  if (!thread_) return;
  poll_->stop();
  shared_->Cancel();
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  finish_ = nullptr;
  shared_.reset();
  running_ = false;
}

bool CommandRunner::WaitIdle(int ms) {
  QElapsedTimer t;
  t.start();
  while (running_ && t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (running_) QThread::msleep(2);
  }
  return !running_;
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
