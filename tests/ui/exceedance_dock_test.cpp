// The stretches beyond the limits in the window: the dock lists what the model holds, the panels
// carry a band over each, a double-click zooms the panel to the stretch, and a simulation
// takes the panels over from the indexes.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "common/number_format.h"
#include "ui/exceedance_dock.h"
#include "ui/main_window.h"
#include "ui/ui_support.h"

namespace tarmac::testing {
namespace {

class ExceedanceDockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    window = std::make_unique<ui::MainWindow>(prompts);
    window->resize(1280, 900);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    prompts.files.push_back(CopySample(dir.path()));
    window->ReadFile();
    ASSERT_TRUE(window->model().HasProfile());
  }
  QTreeWidget* list() const { return window->exceedance_dock()->list(); }
  std::string Verdict() const { return window->exceedance_dock()->verdict()->text().toStdString(); }

  TempDir dir;
  ScriptedPrompts prompts;
  std::unique_ptr<ui::MainWindow> window;
};

TEST_F(ExceedanceDockTest, ListBandsAndDoubleClickZoomInBothUnitSystems) {
  EXPECT_EQ(list()->topLevelItemCount(), 0);
  // At the default limit (0.25 in) the sample has many short stretches.
  window->RunIndexOption(0);
  ASSERT_TRUE(window->WaitForCommand());
  const ProfileModel& m = window->model();
  const auto& se = m.exceedances.of(ExceedanceKind::Straightedge);
  ASSERT_TRUE(se.has_value());
  const auto n = static_cast<int>(se->stretches.size());
  ASSERT_GE(n, 2) << "the limit is meant to find several stretches on the sample";

  // One entry per stretch, said to fail with its count; the bands are the stretches' samples.
  ASSERT_EQ(list()->topLevelItemCount(), n);
  EXPECT_EQ(Verdict(), "Fails: Straightedge deviation (" + std::to_string(n) + " stretches).");
  const auto& bands = window->panel(1)->bands();
  ASSERT_EQ(static_cast<int>(bands.size()), n);
  EXPECT_EQ(bands[1], std::make_pair(se->stretches[1].first, se->stretches[1].last + 1));
  EXPECT_TRUE(window->panel(2)->bands().empty());
  const StretchExtent e1 = ExtentOf(se->stretches[1], se->spacing_ft);
  EXPECT_EQ(list()->topLevelItem(1)->text(1).toStdString(), FormatNumber(e1.start_ft, "#,##0.0"));
  EXPECT_EQ(list()->headerItem()->text(1).toStdString(), "Start (ft)");

  // Metric: the same stretches, in metres.
  window->SetMetric(true);
  EXPECT_EQ(list()->headerItem()->text(1).toStdString(), "Start (m)");
  EXPECT_EQ(list()->topLevelItem(1)->text(1).toStdString(),
            FormatNumber(e1.start_ft * m.units.LengthFactor, "#,##0.0"));
  EXPECT_EQ(window->panel(1)->bands().size(), bands.size());

  // A double-click zooms panel 1 onto the second stretch, through the zoom command.
  QTreeWidgetItem* item = list()->topLevelItem(1);
  list()->scrollToItem(item);
  const QPoint at = list()->visualItemRect(item).center();
  QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
  const PlotLevel& l1 = m.levels[1];
  EXPECT_EQ(l1.zoomed, 1);
  EXPECT_LE(l1.shown_first, se->stretches[1].first);
  EXPECT_GE(l1.shown_last, se->stretches[1].last);
  EXPECT_LT(l1.shown_last - l1.shown_first, l1.npoints() / 10);
  // The band lies inside the zoomed plot, where the samples of the stretch are drawn.
  const LevelPlotResult& g = window->panel(1)->geometry();
  EXPECT_GT(g.s * se->stretches[1].first, g.x_start);
  EXPECT_LT(g.s * (se->stretches[1].last + 1), g.x_end);
}

TEST_F(ExceedanceDockTest, ASimulationDrawsItsOwnStretchesAndKeepsTheIndexesListed) {
  ASSERT_TRUE(window->session().SetSetting("AccelerationLimit", "0.05"));
  window->RunIndexOption(0);
  ASSERT_TRUE(window->WaitForCommand());
  const ProfileModel& m = window->model();
  const auto indexStretches = m.exceedances.of(ExceedanceKind::Straightedge)->stretches.size();
  QTest::mouseClick(window->findChild<QPushButton*>("cmdRunSim"), Qt::LeftButton);
  ASSERT_TRUE(window->WaitForCommand());
  ASSERT_TRUE(m.flags.simulation_done);
  const auto& cg = m.exceedances.of(ExceedanceKind::CgAcceleration);
  ASSERT_TRUE(cg.has_value());
  // Panel 1 now shows the cg acceleration and its bands; the straightedge stays listed but can
  // no longer be zoomed to.
  EXPECT_EQ(window->panel(1)->bands().size(), cg->stretches.size());
  std::size_t total = 0;
  for (const auto& c : ExceedanceCounts(m.exceedances)) total += static_cast<std::size_t>(c.stretches);
  EXPECT_EQ(static_cast<std::size_t>(list()->topLevelItemCount()), total);
  EXPECT_GE(total, indexStretches + cg->stretches.size());
  EXPECT_FALSE(ui::ZoomOnStretch(m, ExceedanceKind::Straightedge, 0).has_value());
  EXPECT_FALSE(window->ZoomToStretch(ExceedanceKind::Straightedge, 0));
  EXPECT_EQ(m.levels[1].zoomed, 0);
  if (!cg->stretches.empty()) {
    EXPECT_TRUE(window->ZoomToStretch(ExceedanceKind::CgAcceleration, 0));
  }
  EXPECT_NE(Verdict().find("cg acceleration (B-727 at 100 knots)"), std::string::npos) << Verdict();
}

}  // namespace
}  // namespace tarmac::testing
