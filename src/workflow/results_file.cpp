#include "workflow/results_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <string_view>

#include "common/atomic_file.h"
#include "workflow/atomic_file.h"

namespace tarmac {
namespace {

// The transaction whose appends this thread makes (the innermost when they nest).
thread_local ResultsTransaction* t_active = nullptr;

// Temporary files of dead runs go at the first append of this run in their folder.
void SweepFolderOnce(const std::string& path) {
  static std::mutex mu;
  static std::set<std::string> swept;
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) folder = ".";
  {
    std::lock_guard<std::mutex> lock(mu);
    if (!swept.insert(folder.string()).second) return;
  }
  RemoveStaleTemporaries(folder);
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

struct Opened {
  int fd = -1;
  long long length = 0;
  bool created = false;
  std::string why;  // when fd < 0
};

// Opens `path` for appending (creating it when missing) and takes its lock. When the file locked
// is no longer the one at that path (another run removed the file it had created and then gave it
// up), the lock is worthless: open again.
Opened OpenLocked(const std::string& path) {
  constexpr int kAttempts = 100;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    Opened o;
    const int flags = O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC;
    int fd = ::open(path.c_str(), flags);
    if (fd < 0 && errno == ENOENT) {
      // A dangling link names a file to create; O_EXCL would refuse it for ever.
      const bool link = std::filesystem::is_symlink(path);
      fd = ::open(path.c_str(), flags | O_CREAT | (link ? 0 : O_EXCL), 0666);
      if (fd >= 0) o.created = true;
      if (fd < 0 && errno == EEXIST) continue;  // another run created it meanwhile
    }
    if (fd < 0) {
      o.why = std::strerror(errno);
      return o;
    }
    struct stat held {};
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
      ::close(fd);
      o.why = "it is not a regular file";
      return o;
    }
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    struct stat now {};
    if (::fstat(fd, &held) != 0 || ::stat(path.c_str(), &now) != 0 || now.st_ino != held.st_ino ||
        now.st_dev != held.st_dev) {
      ::close(fd);
      continue;
    }
    o.fd = fd;
    o.length = static_cast<long long>(held.st_size);
    o.created = o.created && o.length == 0;
    return o;
  }
  Opened o;
  o.why = "the file keeps being replaced by another program";
  return o;
}

}  // namespace

bool AppendLines(const std::string& path, const std::vector<std::string>& lines,
                 std::string* why) {
  if (path.empty()) return false;
  SweepFolderOnce(path);
  std::string block;
  for (const auto& line : lines) {
    block += line;
    block += '\n';
  }
  const auto fail = [&](const std::string& reason) {
    const std::string text = "Cannot append to " + path + ": " + reason + ".";
    NoteOutputFailure(path, text);
    if (why) *why = text;
    return false;
  };

  ResultsTransaction* tx = t_active && !t_active->done_ ? t_active : nullptr;
  ResultsTransaction::Held* held = nullptr;
  if (tx) {
    const auto it = std::find_if(tx->held_.begin(), tx->held_.end(),
                                 [&](const ResultsTransaction::Held& h) { return h.path == path; });
    if (it != tx->held_.end()) held = &*it;
  }
  int fd = -1;
  long long before = 0;
  bool created = false;
  if (held) {
    struct stat st {};
    if (::fstat(held->fd, &st) != 0) return fail(std::strerror(errno));
    fd = held->fd;
    before = static_cast<long long>(st.st_size);
  } else {
    const Opened o = OpenLocked(path);
    if (o.fd < 0) return fail(o.why);
    fd = o.fd;
    before = o.length;
    created = o.created;
    if (tx) tx->held_.push_back({path, o.fd, o.length, o.created});
  }

  bool ok = WriteAll(fd, block);
  int err = errno;
  // Nothing of a block that did not go in whole stays behind.
  if (!ok) (void)::ftruncate(fd, static_cast<off_t>(before));
  if (!tx) {
    if (!ok && created) ::unlink(path.c_str());
    if (::close(fd) != 0 && ok) {
      err = errno;
      ok = false;
      (void)::truncate(path.c_str(), static_cast<off_t>(before));
    }
  }
  if (!ok) return fail(std::strerror(err));
  return true;
}

bool AppendLine(const std::string& path, const std::string& line) {
  return AppendLines(path, {line});
}

ResultsTransaction::ResultsTransaction() : outer_(t_active) { t_active = this; }

ResultsTransaction::~ResultsTransaction() {
  if (!done_) {
    if (OutputsInterrupted())
      Rollback();
    else
      Commit();
  }
  t_active = outer_;
}

bool ResultsTransaction::Commit() {
  bool ok = true;
  for (const Held& h : held_) {
    // A file made for a block that did not go in is not left behind empty.
    struct stat st {};
    if (h.created && ::fstat(h.fd, &st) == 0 && st.st_size == 0) ::unlink(h.path.c_str());
    if (::close(h.fd) != 0) {
      ok = false;
      NoteOutputFailure(h.path, "Cannot append to " + h.path + ": " + std::strerror(errno) + ".");
    }
  }
  held_.clear();
  done_ = true;
  return ok;
}

void ResultsTransaction::Rollback() {
  for (auto it = held_.rbegin(); it != held_.rend(); ++it) {
    if (it->created)
      ::unlink(it->path.c_str());
    else
      (void)::ftruncate(it->fd, static_cast<off_t>(it->length_before));
    ::close(it->fd);
  }
  held_.clear();
  done_ = true;
}

}  // namespace tarmac
