// The read-outs, the two-click selection and the index details, without a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "common/number_format.h"

#include "ui/readouts.h"
#include "ui/ui_support.h"
#include "workflow/session.h"

namespace tarmac::testing {
namespace {

TEST(Readouts, FormatAndUnitFollowTheKindOfTheSeries) {
  const Units us = MakeUnits(false), si = MakeUnits(true);
  EXPECT_EQ(ui::MoveYText(1234.5678, "ZProfile", us), "Y = 1,234.568,inch");
  EXPECT_EQ(ui::MoveYText(0.5, "Boeing Bump Plot", si), "Y = 0.500,cm");
  EXPECT_EQ(ui::MoveYText(0.25, "Straightedge", si), "Y = 0.250mm");
  EXPECT_EQ(ui::MoveYText(20, "Speed", si), "Y = 20.000m/s");
  EXPECT_EQ(ui::MoveYText(2, "IRI (1/4 Car)", us), "Y = 2.000in/ft");
  EXPECT_EQ(ui::MoveYText(0.75, "Boeing Bump Index", us), "Y = 0.750");
  EXPECT_EQ(ui::MoveYText(0.125, "Gcg", us), "Y = 0.13 Gs");
  // Anything else: whole numbers without a unit.
  EXPECT_EQ(ui::MoveYText(12345.6, "ZNose", us), "Y = 12,346");
  EXPECT_EQ(ui::MoveXText(12.345, si), "X = 12.35m");
  EXPECT_EQ(ui::MoveXText(-0.5, us), "X = -0.50ft");
}

TEST(Readouts, AClickShowsItsChangeSinceThePreviousClickOnThatPanel) {
  const auto t = ui::ClickReadout(30.0, 0.5, 10.25, 0.75, "ZProfile", MakeUnits(false));
  EXPECT_EQ(t.x, "X = 30.00ft");
  EXPECT_EQ(t.del_x, "DelX = 19.75ft");
  EXPECT_EQ(t.y, "Y = 0.500,inch");
  EXPECT_EQ(t.del_y, "DelY = -0.250,inch");
  EXPECT_EQ(t.current, "Current = ZProfile");
}

TEST(TwoClickSelection, TwoClicksOnOnePanelOtherPanelsAndCancel) {
  ui::TwoClickSelection s;
  // Clicks without a pending selection are no part of one.
  EXPECT_FALSE(s.Click(0, 1.0f));
  EXPECT_FALSE(s.Cancel());

  s.Begin();
  EXPECT_FALSE(s.Click(3, 40.0f));
  EXPECT_EQ(s.state(), ui::TwoClickSelection::State::WaitingSecond);
  EXPECT_EQ(s.first_level(), 3);
  auto o = s.Click(3, 20.0f);
  ASSERT_TRUE(o);
  EXPECT_EQ(o->level, 3);
  EXPECT_FLOAT_EQ(o->x1, 40.0f);
  EXPECT_FLOAT_EQ(o->x2, 20.0f);
  EXPECT_FALSE(s.active());

  s.Begin();
  s.Click(0, 5.0f);
  o = s.Click(1, 6.0f);
  ASSERT_TRUE(o);
  EXPECT_EQ(o->level, -1);
  EXPECT_TRUE(o->two_panels);

  // Cancel before the first click and between the two.
  for (int clicks = 0; clicks < 2; ++clicks) {
    s.Begin();
    if (clicks) s.Click(2, 1.0f);
    o = s.Cancel();
    ASSERT_TRUE(o);
    EXPECT_EQ(o->level, -1);
    EXPECT_FALSE(o->two_panels);
    EXPECT_FALSE(s.active());
  }
}

TEST(IndexDetail, PositionRoundsHalvesToEvenAndStaysInTheSeries) {
  // 0.25-ft spacing: x = 0.01 hundreds of feet is sample 4; 2.5 and 3.5 samples round to even.
  EXPECT_EQ(ui::DetailPosition(0.01, 1.0, 0.25, 100), 4);
  EXPECT_EQ(ui::DetailPosition(0.00625, 1.0, 0.25, 100), 2);
  EXPECT_EQ(ui::DetailPosition(0.00875, 1.0, 0.25, 100), 4);
  // Metric: 0.3048 m is one foot, sample 4.
  EXPECT_EQ(ui::DetailPosition(0.003048, 0.3048, 0.25, 100), 4);
  EXPECT_EQ(ui::DetailPosition(-3.0, 1.0, 0.25, 100), 1);
  EXPECT_EQ(ui::DetailPosition(1e12, 1.0, 0.25, 100), 100);
}

class DetailTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    ASSERT_TRUE(session.ReadFile(CopySample(dir.path())));
  }
  TempDir dir;
  RecordingPrompts prompts;
  Session session{prompts};
};

TEST_F(DetailTest, NothingBeforeTheIndexThenTheEdgeRestsWhereTheIndexLaidIt) {
  const ProfileModel& m = session.model();
  EXPECT_FALSE(ui::StraightedgeDetail(m, 50.0));
  EXPECT_FALSE(ui::BumpDetail(m, 50.0));
  ASSERT_TRUE(session.RunIndex(0));
  session.SetMetric(true);
  const double dx = m.straightedge.spacing;
  const double x = 15.0;  // 1500 m
  const auto d = ui::StraightedgeDetail(m, x);
  ASSERT_TRUE(d);
  const int k = ui::DetailPosition(x, 0.3048, dx, static_cast<int>(m.straightedge.deviation.size()));
  EXPECT_EQ(d->position, k);
  const auto kk = static_cast<std::size_t>(k - 1);
  EXPECT_EQ(d->title, "Straightedge, Deviation = " +
                          FormatNumber(m.straightedge.deviation[kk] * 25.4, "0.000") + "mm");
  ASSERT_EQ(d->lines.size(), 2u);
  // The edge from its start height at sample k to its end height m - 1 samples on, in cm.
  const auto& edge = d->lines[0];
  EXPECT_NEAR(edge.x1, 0.01 * dx * 0.3048 * k, 1e-9);
  EXPECT_NEAR(edge.x2, 0.01 * dx * 0.3048 * (k + m.straightedge.window - 1), 1e-9);
  EXPECT_NEAR(edge.y1, m.straightedge.line_start[kk] * 2.54, 1e-5);
  EXPECT_NEAR(edge.y2, m.straightedge.line_end[kk] * 2.54, 1e-5);
  // The mark spans the largest gap: its length is the deviation (mm -> cm).
  const auto& gap = d->lines[1];
  EXPECT_TRUE(gap.mark);
  EXPECT_NEAR(gap.y1 - gap.y2, m.straightedge.deviation[kk] * 2.54, 1e-3);
  EXPECT_LE(d->first, k);
  EXPECT_GE(d->last, k + m.straightedge.window - 1);
}

TEST_F(DetailTest, TheBumpTitleAndChordComeFromTheSeriesAtThePosition) {
  ASSERT_TRUE(session.RunIndex(1));
  const ProfileModel& m = session.model();
  const auto& b = m.bump;
  // The sample with the largest index: a bump is certainly there.
  const auto top = static_cast<int>(std::max_element(b.index.begin(), b.index.end()) -
                                    b.index.begin()) + 1;
  const double dx = m.bump_input.spacing;
  const auto d = ui::BumpDetail(m, 0.01 * dx * top);
  ASSERT_TRUE(d);
  ASSERT_EQ(d->position, top);
  const auto t = static_cast<std::size_t>(top - 1);
  EXPECT_EQ(d->title, "Boeing Bump Index, Index = " + FormatNumber(b.index[t], "0.000") +
                          ", H = " + FormatNumber(b.height[t], "0.00") + "in, L = " +
                          FormatNumber(b.chord_length[t], "0.0") + "ft, EL = " +
                          FormatNumber(std::fabs(b.distance[t]), "0.0") + "ft");
  ASSERT_EQ(d->lines.size(), 2u);
  // The chord spans the bump's length and holds the clicked sample.
  const auto& chord = d->lines[0];
  EXPECT_NEAR((chord.x2 - chord.x1) * 100.0, b.chord_length[t], dx);
  EXPECT_LE(chord.x1, 0.01 * dx * top + 1e-9);
  EXPECT_GE(chord.x2, 0.01 * dx * top - 1e-9);
  // The mark's length is the bump height (inches, no conversion in US units).
  EXPECT_NEAR(std::fabs(d->lines[1].y1 - d->lines[1].y2), std::fabs(b.height[t]), 0.02);
}

}  // namespace
}  // namespace tarmac::testing
