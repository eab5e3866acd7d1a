// The result files and the outputs of a command: an append is whole or absent, a failure is noted
// for the caller, two writers in one folder keep their blocks apart, an interrupted command takes
// its appends back, and anything thrown out of a command becomes a message.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <new>
#include <stdexcept>
#include <thread>

#include "test_support.h"
#include "workflow/atomic_file.h"
#include "workflow/results_file.h"
#include "workflow/session.h"
#include "workflow/session_access.h"
#include "workflow/unexpected.h"

namespace tarmac::testing {
namespace {

namespace fs = std::filesystem;

class OutputSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    TakeOutputFailures();
    ResumeOutputs();
  }
  void TearDown() override {
    ResumeOutputs();
    TakeOutputFailures();
  }
  static std::vector<std::string> FailedPaths() {
    std::vector<std::string> paths;
    for (const auto& f : TakeOutputFailures()) paths.push_back(f.path);
    return paths;
  }
  TempDir dir_;
};

TEST_F(OutputSafety, AnAppendIsWholeOrAbsentAndAFailureIsNoted) {
  const std::string results = dir_.file("Results.txt");
  ASSERT_TRUE(AppendLines(results, {"Data File Name = a.pro", "first block"}));
  const std::string before = ReadAll(results);
  // A file-size limit that the next block overruns, in a child so that the limit is its alone.
  const pid_t child = fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{static_cast<rlim_t>(before.size() + 10), static_cast<rlim_t>(before.size() + 10)};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(3);
    const bool refused = !AppendLines(results, {"a line longer than ten bytes", "and another"});
    const bool noted = FailedPaths() == std::vector<std::string>{results};
    const bool small = AppendLine(results, "fits");  // 5 bytes still go in
    _exit(refused && noted && small ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadAll(results), before + "fits\n");  // no torn line between the two

  // A device or a pipe is no results file; a missing folder cannot hold one. Each is noted once.
  fs::create_symlink("/dev/full", dir_.file("Full.txt"));
  ASSERT_EQ(mkfifo(dir_.file("Pipe.txt").c_str(), 0644), 0);
  const std::string nowhere = dir_.file("gone/Results.txt");
  for (const std::string& p : {dir_.file("Full.txt"), dir_.file("Pipe.txt"), nowhere}) {
    EXPECT_FALSE(AppendLine(p, "x")) << p;
    EXPECT_FALSE(AppendLine(p, "again")) << p;
  }
  EXPECT_EQ(FailedPaths(), (std::vector<std::string>{dir_.file("Full.txt"), dir_.file("Pipe.txt"), nowhere}));
  EXPECT_FALSE(AppendLine("", "no results file yet"));
  EXPECT_TRUE(FailedPaths().empty());

  // The session says so once and lets its caller know.
  RecordingPrompts prompts;
  Session s(prompts);
  SessionTestAccess::Model(s).results_file = dir_.file("Full.txt");
  EXPECT_FALSE(SessionTestAccess::AppendResults(s, {"Indexbegin = "}));
  EXPECT_FALSE(SessionTestAccess::AppendResults(s, {"Indexbegin = "}));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_NE(prompts.messages[0].text.find(dir_.file("Full.txt")), std::string::npos);
  EXPECT_EQ(FailedPaths(), std::vector<std::string>{dir_.file("Full.txt")});
  s.SetBatchMode(true);  // nothing to append in a batch run: nothing fails
  EXPECT_TRUE(SessionTestAccess::AppendResults(s, {"Indexbegin = "}));
}

TEST_F(OutputSafety, ATransactionKeepsAnotherWriterOutUntilItEnds) {
  const std::string results = dir_.file("Results.txt");
  std::atomic<bool> about_to_append{false};
  std::thread other;
  {
    ResultsTransaction tx;
    ASSERT_TRUE(AppendLine(results, "Data File Name = a.pro"));
    // Another writer (a thread without a transaction takes the lock for its own append).
    other = std::thread([&] {
      about_to_append = true;
      AppendLine(results, "Data File Name = b.pro");
    });
    while (!about_to_append) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(AppendLines(results, {"a.pro index report", ""}));
    EXPECT_TRUE(tx.Commit());
  }
  other.join();
  EXPECT_EQ(ReadLines(results), (std::vector<std::string>{"Data File Name = a.pro",
                                                          "a.pro index report", "",
                                                          "Data File Name = b.pro"}));
}

TEST_F(OutputSafety, AnInterruptedTransactionTakesItsAppendsBack) {
  const std::string results = dir_.file("Results.txt"), bump = dir_.file("BoeingBumpPDFs.txt");
  WriteText(results, "older run\n");
  {
    ResultsTransaction tx;
    ASSERT_TRUE(AppendLine(results, "Data File Name = a.pro"));
    ASSERT_TRUE(AppendLine(bump, "a.pro 0.0100 0.00100"));
    ASSERT_TRUE(AppendLines(results, {"report", ""}));
    InterruptOutputs();
    // No file is replaced any more, and nothing of it is noted as a failure.
    EXPECT_THROW(WriteFileAtomically(dir_.file("out.json"), "{}"), ProfileFileError);
  }
  EXPECT_EQ(ReadAll(results), "older run\n");
  EXPECT_FALSE(fs::exists(bump));
  EXPECT_FALSE(fs::exists(dir_.file("out.json")));
  EXPECT_TRUE(FailedPaths().empty());
  ResumeOutputs();
  {
    ResultsTransaction tx;  // ended without Commit and without interruption: kept
    ASSERT_TRUE(AppendLine(results, "kept"));
  }
  EXPECT_EQ(ReadAll(results), "older run\nkept\n");
}

TEST_F(OutputSafety, AnythingThrownBecomesAMessage) {
  RecordingPrompts prompts;
  EXPECT_TRUE(RunGuarded(prompts, [] { return true; }));
  EXPECT_FALSE(RunGuarded(prompts, []() -> bool { throw std::range_error("Overflow: 1e30"); }));
  EXPECT_FALSE(RunGuarded(prompts, []() -> bool { throw std::bad_alloc(); }));
  EXPECT_FALSE(RunGuarded(prompts, []() -> bool { throw 42; }));
  ASSERT_EQ(prompts.messages.size(), 3u);
  for (const auto& m : prompts.messages) EXPECT_EQ(m.title, kUnexpectedTitle);
  EXPECT_NE(prompts.messages[0].text.find("Overflow: 1e30"), std::string::npos);
  EXPECT_NE(prompts.messages[1].text.find("memory"), std::string::npos);
  EXPECT_NE(prompts.messages[2].text.find("unknown"), std::string::npos);
}

}  // namespace
}  // namespace tarmac::testing
