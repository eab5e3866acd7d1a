#pragma once
// Every file the program makes (profiles, documents, pictures, JSON, logs) is replaced atomically
// through WriteFileAtomically, and every output that fails is noted, so that a command can tell
// the person which file was not written instead of claiming success. When the person interrupts
// a run (Ctrl-C), no file is replaced any more: an interrupted command writes nothing new.
#include <atomic>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarmac {

// Replaces a file's contents atomically: a temporary file in the same folder is written, flushed
// and renamed over the target (a link is followed and kept). Throws ProfileFileError naming the
// file on failure, and after an interruption; the target is then untouched. A failure (not an
// interruption) is noted among the output failures.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view contents);

// An output that could not be written: the file and why.
struct OutputFailure {
  std::string path;
  std::string reason;
};
// Notes a failed output (any thread); the same file is listed once.
void NoteOutputFailure(const std::string& path, const std::string& reason);
// The failed outputs noted since the last call, in the order they failed; clears the list.
std::vector<OutputFailure> TakeOutputFailures();
bool AnyOutputFailed();

// The person's interruption of the run. InterruptOutputs may be called from a signal handler.
void InterruptOutputs() noexcept;
void ResumeOutputs() noexcept;
bool OutputsInterrupted() noexcept;
const std::atomic<bool>& OutputInterruptFlag() noexcept;

}  // namespace tarmac
