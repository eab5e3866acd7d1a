#pragma once
// Replacing a file so that no reader, crash or full disk ever sees it half written: the new
// contents go to a temporary file beside the target, are flushed to the disk and renamed over it.
// A temporary file carries the process id of the run that writes it, so that a later run in the
// same folder can tell the leftovers of a run that died (kill -9, power cut) from the work of a run
// still going, and remove only the former.
#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarmac {

// A file that could not be replaced; the text names the file and says why. The file is as it was.
class AtomicWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The person stopped the run before the new contents were put in place: nothing was replaced.
class AtomicWriteInterrupted : public AtomicWriteError {
 public:
  using AtomicWriteError::AtomicWriteError;
};

// Replaces the file at `path` with `contents`. A link is followed: the file it names is replaced
// and the link stays. A target that exists and is not a regular file (a folder, a device such as
// /dev/full, a pipe) is refused. When `interrupted` is given and set by the time the contents are
// on the disk, the temporary file is removed and nothing is replaced (AtomicWriteInterrupted).
// Before writing, the temporary files left in the target's folder by dead runs are removed.
void ReplaceFileAtomically(const std::filesystem::path& path, std::string_view contents,
                           const std::atomic<bool>* interrupted = nullptr);

// The name of a temporary file for `target` written by process `pid`:
// ".<name>.tarmac-<pid>-<16 hex digits>.tmp".
std::string TemporaryNameFor(const std::filesystem::path& target, long pid);
// The process id in the name of a temporary file of this writer; 0 when the name is not one.
long TemporaryFileOwner(std::string_view file_name);
// Removes the temporary files in `folder` whose writing process is no longer running; returns how
// many were removed. Files of live processes (this one included) and every other file are kept.
int RemoveStaleTemporaries(const std::filesystem::path& folder);

}  // namespace tarmac
