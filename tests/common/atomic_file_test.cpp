// The atomic writer: a file is replaced whole or not at all, whatever stands in the way (a link,
// a device, a folder, a file-size limit, an interruption), and the leftovers of dead runs are
// recognised and swept while those of live runs stay.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "common/atomic_file.h"

namespace tarmac {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
 protected:
  AtomicFile() {
    std::random_device rd;
    dir_ = fs::temp_directory_path() / ("tarmac-atomic-" + std::to_string(rd()));
    fs::create_directories(dir_);
  }
  ~AtomicFile() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  fs::path at(const std::string& name) const { return dir_ / name; }
  static std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }
  static void Write(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
  }
  std::size_t Entries() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }
  // A process id that no process has any more: a child that has ended and been waited for.
  static long DeadPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return static_cast<long>(child);
  }
  fs::path dir_;
};

TEST_F(AtomicFile, ReplacesWholeOrLeavesTheOldFileWhateverStandsInTheWay) {
  const fs::path target = at("out.json");
  Write(target, "old");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  ReplaceFileAtomically(target, "new contents");
  EXPECT_EQ(Read(target), "new contents");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // Through a link the file it names is replaced and the link stays a link.
  fs::create_symlink("out.json", at("link.json"));
  ReplaceFileAtomically(at("link.json"), "via the link");
  EXPECT_TRUE(fs::is_symlink(at("link.json")));
  EXPECT_EQ(Read(target), "via the link");

  // A device, a folder, a missing folder: refused with the path, nothing left behind.
  fs::create_symlink("/dev/full", at("full.json"));
  fs::create_directory(at("taken"));
  const fs::path nowhere = at("no such folder") / "x.json";
  for (const fs::path& p : {at("full.json"), at("taken"), nowhere}) {
    try {
      ReplaceFileAtomically(p, "x");
      ADD_FAILURE() << p << " was written";
    } catch (const AtomicWriteError& e) {
      EXPECT_NE(std::string(e.what()).find(p.string()), std::string::npos) << e.what();
    }
  }
  EXPECT_TRUE(fs::is_symlink(at("full.json")));
  EXPECT_EQ(Entries(), 4u);  // out.json, link.json, full.json, taken: no temporary file

  // Interrupted once the contents are written: nothing replaced, nothing left.
  std::atomic<bool> interrupted{true};
  EXPECT_THROW(ReplaceFileAtomically(target, "late", &interrupted), AtomicWriteInterrupted);
  EXPECT_EQ(Read(target), "via the link");
  EXPECT_EQ(Entries(), 4u);
}

TEST_F(AtomicFile, AFileSizeLimitFailsTheWriteAndKeepsTheOldFile) {
  const fs::path target = at("big.png");
  const std::string old(3000, 'o');
  Write(target, old);
  // In a child: the limit and the ignored signal belong to that process alone.
  const pid_t child = fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(3);
    try {
      ReplaceFileAtomically(target, std::string(10000, 'n'));
    } catch (const AtomicWriteError&) {
      _exit(0);
    }
    _exit(1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "the child ended by a signal: " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write beyond the limit did not fail";
  EXPECT_EQ(Read(target), old);
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicFile, TemporariesOfDeadRunsAreRecognisedAndSwept) {
  const fs::path target = at("Results.json");
  for (long pid : {1L, 4242L, 2147483647L})
    EXPECT_EQ(TemporaryFileOwner(TemporaryNameFor(target, pid)), pid);
  const std::string name = TemporaryNameFor(target, 77);
  EXPECT_EQ(name.rfind(".Results.json.tarmac-77-", 0), 0u) << name;
  for (const char* other : {"Results.json", ".Results.json.tmp", ".x.tarmac-12-0123456789abcdeg.tmp",
                            ".x.tarmac--0123456789abcdef.tmp", "x.tarmac-12-0123456789abcdef.tmp",
                            ".x.tarmac-12-0123456789abcdef.tmp~", ".x.tarmac-1a-0123456789abcdef.tmp"})
    EXPECT_EQ(TemporaryFileOwner(other), 0) << other;

  const long dead = DeadPid();
  const fs::path stale = at(TemporaryNameFor(target, dead));
  const fs::path live = at(TemporaryNameFor(target, static_cast<long>(getpid())));
  const fs::path parent = at(TemporaryNameFor(target, static_cast<long>(getppid())));
  for (const fs::path& p : {stale, live, parent, at(".notes.tmp")}) Write(p, "partial");
  EXPECT_EQ(RemoveStaleTemporaries(dir_), 1);
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(live) && fs::exists(parent) && fs::exists(at(".notes.tmp")));

  // The next write in the folder sweeps a new leftover of a dead run.
  Write(stale, "partial");
  ReplaceFileAtomically(target, "{}");
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_EQ(Entries(), 4u);  // live, parent, .notes.tmp and the target
}

}  // namespace
}  // namespace tarmac
