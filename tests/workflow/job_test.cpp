// Long commands as jobs: computed on a worker thread, cancelled half-way without a trace, and
// published with one notification that names what changed.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "batch_support.h"
#include "workflow/job.h"
#include "workflow/session.h"

namespace tarmac::testing {
namespace {

// Asks for a stop once half of the work is reported done.
class StopHalfWay final : public Progress {
 public:
  void step(long long done, long long total) override {
    if (total > 0 && 2 * done >= total) stop_ = true;
    if (!stop_) ++steps_before_stop;
  }
  bool cancelled() const override { return stop_; }
  std::atomic<long long> steps_before_stop{0};

 private:
  std::atomic<bool> stop_{false};
};

class ClearingSink final : public PlotSink {
 public:
  void LevelDrawn(const ProfileModel&, int level) override { drawn.push_back(level); }
  void PanelCleared(int level) override { cleared.push_back(level); }
  std::vector<int> drawn, cleared;
};

class JobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pro_ = dir_.file("strip.pro");
    WriteSampleProfile(pro_, 3200, 7, false);
    ASSERT_TRUE(s_.ReadFile(pro_));
    ASSERT_TRUE(s_.RunIndex(0));  // a straightedge result the cancelled run must leave alone
    sink_.cleared.clear();
    s_.SetChangeListener([this](const ModelChange& c) { changes_.push_back(c); });
  }
  TempDir dir_;
  std::string pro_;
  RecordingPrompts prompts_;
  ClearingSink sink_;
  Session s_{prompts_, &sink_};
  std::vector<ModelChange> changes_;
};

TEST_F(JobTest, CancelledHalfWayOnAWorkerLeavesModelPanelsAndFilesAsTheyWere) {
  const ProfileModel& m = s_.model();
  const std::string text = m.index_text[0];
  const std::vector<float> level1 = m.levels[1].data;
  const auto sections = m.sections.values;
  const std::string results = ReadAll(m.results_file);
  const std::string bumps = ReadAll(dir_.file("BoeingBumpPDFs.txt"));

  for (const int k : {0, 1}) {  // the straightedge over its own result, the bump index afresh
    std::unique_ptr<Job> job = s_.PrepareIndex(k);
    ASSERT_TRUE(job);
    StopHalfWay progress;
    std::thread worker([&] { job->Compute(progress); });
    worker.join();
    EXPECT_GT(progress.steps_before_stop.load(), 0) << k;  // it had started
    EXPECT_FALSE(job->Publish()) << k;
    EXPECT_EQ(prompts_.statuses.back(), "Cancelled");
  }
  EXPECT_EQ(m.index_text[0], text);
  EXPECT_EQ(m.index_text[1], "");
  EXPECT_EQ(m.levels[1].data, level1);
  EXPECT_TRUE(m.levels[2].data.empty());
  EXPECT_TRUE(m.flags.straightedge_done);
  EXPECT_FALSE(m.flags.bump_done);
  EXPECT_EQ(m.sections.values, sections);
  EXPECT_EQ(ReadAll(m.results_file), results);
  EXPECT_EQ(ReadAll(dir_.file("BoeingBumpPDFs.txt")), bumps);
  EXPECT_TRUE(sink_.cleared.empty());
  EXPECT_TRUE(changes_.empty());

  // Refused reads clear no panel either, and leave the profile in hand.
  EXPECT_FALSE(s_.ReadFile(dir_.file("strip.xyz")));
  EXPECT_FALSE(s_.ReadFile(dir_.file("missing.pro")));
  EXPECT_TRUE(sink_.cleared.empty());
  EXPECT_EQ(m.data_file, pro_);
  EXPECT_TRUE(changes_.empty());
}

TEST_F(JobTest, FinishedOnAWorkerPublishesOnceNamingTheIndexAndItsLevel) {
  std::unique_ptr<Job> job = s_.PrepareIndex(2);  // IRI: level 3, chart row 3
  ASSERT_TRUE(job);
  EXPECT_FALSE(s_.model().flags.iri_done);  // preparing changes nothing
  SharedProgress progress;
  std::thread worker([&] { job->Compute(progress); });
  worker.join();
  EXPECT_EQ(progress.Status(), "Computing IRI");
  EXPECT_GT(progress.Fraction(), 0.5);
  EXPECT_TRUE(changes_.empty());  // nothing is published from the worker
  ASSERT_TRUE(job->Publish());
  EXPECT_FALSE(job->Publish());  // once only

  ASSERT_EQ(changes_.size(), 1u);
  const ModelChange& c = changes_[0];
  EXPECT_EQ(c.indexes, std::vector<int>{2});
  EXPECT_EQ(c.levels, std::vector<int>{3});
  EXPECT_TRUE(c.results_file);
  EXPECT_FALSE(c.profile || c.simulation || c.settings || c.units);
  EXPECT_TRUE(s_.model().flags.iri_done);
  EXPECT_EQ(s_.model().levels[3].kind, "IRI (1/4 Car)");
  EXPECT_NE(s_.model().index_text[2], "");
  EXPECT_EQ(prompts_.statuses.back(), "Finished IRI");
}

TEST_F(JobTest, AResultOfInputsChangedMeanwhileIsDropped) {
  std::unique_ptr<Job> job = s_.PrepareSimulation();
  ASSERT_TRUE(job);
  SharedProgress progress;
  std::thread worker([&] { job->Compute(progress); });
  // The window changes a setting while the worker computes.
  ASSERT_TRUE(s_.SetSetting("AveragingDistance", "500"));
  worker.join();
  ASSERT_EQ(changes_.size(), 1u);
  EXPECT_TRUE(changes_[0].settings);
  EXPECT_FALSE(job->Publish());
  EXPECT_FALSE(s_.model().flags.simulation_done);
  EXPECT_TRUE(s_.model().levels[3].data.empty());
  EXPECT_EQ(changes_.size(), 1u);

  // Prepared again on the new inputs, it publishes: the responses and their levels.
  job = s_.PrepareSimulation();
  ASSERT_TRUE(job && s_.RunJob(*job));
  ASSERT_EQ(changes_.size(), 2u);
  EXPECT_TRUE(changes_[1].simulation);
  EXPECT_EQ(changes_[1].levels, (std::vector<int>{1, 2, 3, 4}));  // no rear main gear on a B-727
  EXPECT_TRUE(changes_[1].indexes.empty());
}

}  // namespace
}  // namespace tarmac::testing
