// The batch runner: profiles side by side on two workers give the files of a sequential run,
// and a cancel stops the run between steps without a report for what was cut short.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "batch_support.h"
#include "workflow/batch_runner.h"

namespace tarmac::testing {
namespace {

BatchRunner::Worker MakeWorker() {
  return {std::make_unique<RecordingPrompts>(), std::make_unique<PictureSink>()};
}

// Counts the profiles finished; asks for a stop after `stop_after` of them (never when 0).
class FileProgress final : public Progress {
 public:
  explicit FileProgress(int stop_after) : stop_after_(stop_after) {}
  void step(long long done, long long total) override {
    last_done = done;
    last_total = total;
    if (stop_after_ > 0 && done >= stop_after_) stop_ = true;
  }
  bool cancelled() const override { return stop_; }
  void status(const std::string& text) override { statuses.push_back(text); }
  long long last_done = 0, last_total = 0;
  std::vector<std::string> statuses;

 private:
  const int stop_after_;
  std::atomic<bool> stop_{false};
};

class BatchRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 4; ++i) {
      files_.push_back(dir_.file("p" + std::to_string(i) + ".pro"));
      WriteSampleProfile(files_.back(), 2600, 20 + static_cast<std::uint64_t>(i), i == 1);
    }
  }
  bool Report(int i) const {
    return std::filesystem::exists(dir_.file("WordFile/p" + std::to_string(i) + ".docx"));
  }
  TempDir dir_;
  std::vector<std::string> files_;
  std::atomic<int> configured_{0};
  BatchRunner::Configure taxiway_ = [this](Session& s) {
    ++configured_;
    s.SetRunway(false);
    return true;
  };
};

TEST_F(BatchRunnerTest, TwoWorkersReportEveryProfileAndAppendInInputOrder) {
  BatchRunner runner(files_, 2, MakeWorker, taxiway_);
  FileProgress progress(0);
  ASSERT_TRUE(runner.Run(progress));
  EXPECT_EQ(configured_.load(), 2);  // one session per worker
  const Session::BatchOutcome& o = runner.Outcome();
  EXPECT_EQ(o.chosen, 4);
  EXPECT_EQ(o.processed, 4);
  EXPECT_TRUE(o.failed.empty());
  EXPECT_FALSE(o.interrupted);
  EXPECT_EQ(runner.Processed(), std::vector<char>(4, 1));
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(Report(i)) << i;
  EXPECT_EQ(progress.last_done, 4);
  EXPECT_EQ(progress.last_total, 4);
  EXPECT_EQ(progress.statuses.size(), 4u);
  // The lines the profiles share a file for come in the order the profiles were chosen.
  std::vector<std::string> read;
  for (const std::string& f : files_) read.push_back("Data File Name = " + f + " File Name = " + NameOf(f));
  EXPECT_EQ(ReadLines(dir_.file("Results.txt")), read);
  const auto bump = ReadLines(dir_.file("BoeingBumpPDFs.txt"));
  ASSERT_EQ(bump.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(bump[i].rfind(files_[i] + " ", 0), 0u) << bump[i];
}

TEST_F(BatchRunnerTest, CancelAfterTheFirstProfileStopsTheOthersWithoutReports) {
  BatchRunner runner(files_, 2, MakeWorker, taxiway_);
  FileProgress progress(1);
  ASSERT_TRUE(runner.Run(progress));
  const Session::BatchOutcome& o = runner.Outcome();
  EXPECT_TRUE(o.interrupted);
  EXPECT_TRUE(o.failed.empty());  // stopped is not failed
  EXPECT_GE(o.processed, 1);
  EXPECT_LE(o.processed, 2);  // the other worker's profile at most
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Report(i), runner.Processed()[static_cast<std::size_t>(i)] != 0) << i;
  EXPECT_FALSE(Report(2) && Report(3));
  EXPECT_FALSE(runner.Processed()[3]);

  // A configuration that refuses ends the run before any profile.
  BatchRunner refused({files_[0]}, 2, MakeWorker, [](Session&) { return false; });
  FileProgress none(0);
  EXPECT_FALSE(refused.Run(none));
  EXPECT_EQ(refused.Outcome().processed, 0);
}

}  // namespace
}  // namespace tarmac::testing
