#include "workflow/atomic_file.h"

#include <algorithm>
#include <mutex>

#include "common/atomic_file.h"
#include "workflow/profile_io.h"

namespace tarmac {
namespace {

std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

std::mutex g_failures_mutex;
std::vector<OutputFailure> g_failures;

}  // namespace

void WriteFileAtomically(const std::filesystem::path& path, std::string_view contents) {
  try {
    ReplaceFileAtomically(path, contents, &g_interrupted);
  } catch (const AtomicWriteInterrupted& e) {
    throw ProfileFileError(e.what());
  } catch (const AtomicWriteError& e) {
    NoteOutputFailure(path.string(), e.what());
    throw ProfileFileError(e.what());
  }
}

void NoteOutputFailure(const std::string& path, const std::string& reason) {
  std::lock_guard<std::mutex> lock(g_failures_mutex);
  const bool known = std::any_of(g_failures.begin(), g_failures.end(),
                                 [&](const OutputFailure& f) { return f.path == path; });
  if (!known) g_failures.push_back({path, reason});
}

std::vector<OutputFailure> TakeOutputFailures() {
  std::lock_guard<std::mutex> lock(g_failures_mutex);
  std::vector<OutputFailure> taken;
  taken.swap(g_failures);
  return taken;
}

bool AnyOutputFailed() {
  std::lock_guard<std::mutex> lock(g_failures_mutex);
  return !g_failures.empty();
}

void InterruptOutputs() noexcept { g_interrupted.store(true); }
void ResumeOutputs() noexcept { g_interrupted.store(false); }
bool OutputsInterrupted() noexcept { return g_interrupted.load(); }
const std::atomic<bool>& OutputInterruptFlag() noexcept { return g_interrupted; }

}  // namespace tarmac
