#pragma once
// What the window's batch commands need around the workflow's batch runner: the window's
// settings carried over to the worker sessions, a Prompts for sessions that run on a worker
// thread (nobody can answer there: messages are kept for the window to show afterwards), and the
// closing texts.
#include <mutex>
#include <string>
#include <vector>

#include "common/progress.h"
#include "workflow/session.h"

namespace tarmac::ui {

// Gives `target` (a fresh session) the analysis settings, check boxes and unit system `s`.
// False when the target refused one of them (its message went through its Prompts).
bool ApplySettings(Session& target, const Settings& s);

// The Prompts of a session on a worker thread: questions are cancelled, messages kept, status
// texts passed to the run's progress (which the window shows) when one is given.
class KeptPrompts final : public Prompts {
 public:
  // Set on the worker's thread before its session talks.
  void ForwardStatus(Progress* progress) { status_to_ = progress; }
  struct Kept {
    std::string text, title;
  };
  void Message(const std::string& text, const std::string& title) override {
    std::lock_guard<std::mutex> lock(mu_);
    messages_.push_back({text, title});
  }
  std::optional<std::string> Input(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void Status(const std::string& text) override {
    if (status_to_) status_to_->status(text);
  }
  std::vector<Kept> Messages() const {
    std::lock_guard<std::mutex> lock(mu_);
    return messages_;
  }

 private:
  mutable std::mutex mu_;
  std::vector<Kept> messages_;
  Progress* status_to_ = nullptr;
};

// The closing message of "Automatically Process All": "All Processed." or the summary, the
// elapsed seconds, and then one line per profile that failed, with why.
std::string BatchClosingMessage(const Session::BatchOutcome& outcome, double seconds);

// The closing message of "ProcessSim All": how many measurements of the list were simulated and
// reported, the elapsed seconds, then what went wrong, one line each, as the list log has it.
std::string ListClosingMessage(const Session::ListOutcome& outcome, double seconds);

}  // namespace tarmac::ui
