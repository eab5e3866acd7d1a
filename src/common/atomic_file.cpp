#include "common/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

namespace tarmac {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTag = ".tarmac-";
constexpr std::string_view kSuffix = ".tmp";
constexpr std::size_t kNonceDigits = 16;
constexpr int kMaxLinks = 40;  // as many links as the system itself follows

std::string Why(int err) { return std::strerror(err); }

// The file a path names once its links are followed; the path itself when it is no link. A
// dangling link names the file it would create.
fs::path FollowLinks(fs::path p) {
  std::error_code ec;
  for (int i = 0; i < kMaxLinks && fs::is_symlink(p, ec); ++i) {
    const fs::path to = fs::read_symlink(p, ec);
    if (ec) break;
    p = to.is_absolute() ? to : p.parent_path() / to;
  }
  return p;
}

bool ProcessAlive(long pid) {
  if (pid <= 0) return false;
  if (pid == static_cast<long>(::getpid())) return true;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {  // no progress and no error: treat as a full disk rather than loop for ever
      errno = ENOSPC;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

std::string TemporaryNameFor(const fs::path& target, long pid) {
  std::random_device entropy;
  const std::uint64_t nonce = (static_cast<std::uint64_t>(entropy()) << 32) ^ entropy();
  char hex[kNonceDigits + 1];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(nonce));
  return "." + target.filename().string() + std::string(kTag) + std::to_string(pid) + "-" + hex +
         std::string(kSuffix);
}

long TemporaryFileOwner(std::string_view name) {
  if (name.size() < 1 + kTag.size() + 1 + 1 + kNonceDigits + kSuffix.size() || name[0] != '.' ||
      !name.ends_with(kSuffix))
    return 0;
  name.remove_suffix(kSuffix.size());
  const std::string_view nonce = name.substr(name.size() - kNonceDigits);
  for (char c : nonce)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return 0;
  name.remove_suffix(kNonceDigits);
  if (name.back() != '-') return 0;
  name.remove_suffix(1);
  const auto tag = name.rfind(kTag);
  if (tag == std::string_view::npos || tag == 0) return 0;
  const std::string_view digits = name.substr(tag + kTag.size());
  if (digits.empty() || digits.size() > 10) return 0;
  long pid = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    pid = pid * 10 + (c - '0');
  }
  return pid;
}

int RemoveStaleTemporaries(const fs::path& folder) {
  int removed = 0;
  std::error_code ec;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const long owner = TemporaryFileOwner(it->path().filename().string());
    if (owner == 0 || ProcessAlive(owner)) continue;
    std::error_code rm;
    if (it->is_regular_file(rm) && fs::remove(it->path(), rm)) ++removed;
  }
  return removed;
}

void ReplaceFileAtomically(const fs::path& path, std::string_view contents,
                           const std::atomic<bool>* interrupted) {
  const std::string shown = path.string();
  if (path.filename().empty()) throw AtomicWriteError("Cannot write " + shown + ": it names no file.");
  const fs::path target = FollowLinks(path);
  std::error_code ec;
  const fs::file_status st = fs::status(target, ec);
  if (fs::is_directory(st))
    throw AtomicWriteError("Cannot write " + shown + ": a folder of that name exists.");
  if (fs::exists(st) && !fs::is_regular_file(st))
    throw AtomicWriteError("Cannot write " + shown + ": " + target.string() +
                           " is not a regular file.");
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  RemoveStaleTemporaries(folder);

  const fs::path temp = folder / TemporaryNameFor(target, static_cast<long>(::getpid()));
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) throw AtomicWriteError("Cannot write " + shown + ": " + Why(errno) + ".");
  const auto give_up = [&](const std::string& why) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return AtomicWriteError("Cannot write " + shown + ": " + why + ".");
  };
  // A replaced file keeps the permissions it had.
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) (void)::fchmod(fd, old.st_mode & 07777);
  bool ok = WriteAll(fd, contents);
  int err = errno;
  if (ok && ::fsync(fd) != 0) ok = false, err = errno;
  if (::close(fd) != 0 && ok) ok = false, err = errno;
  if (!ok) throw give_up(Why(err));
  if (interrupted && interrupted->load()) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    throw AtomicWriteInterrupted("Interrupted: " + shown + " was not written.");
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) throw give_up(Why(errno));
  // The new name itself reaches the disk with the folder.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
}

}  // namespace tarmac
