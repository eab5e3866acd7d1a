#include "workflow/index_kind.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <vector>

#include "indexes/sections.h"
#include "workflow/profile_model.h"

namespace tarmac {
namespace {

// Every place an index occupies is held by exactly one index: two indexes writing the same chart
// row, value box or table column would overwrite each other without a word.
TEST(IndexKind, EachPlaceBelongsToOneIndex) {
  std::set<int> levels, rows, boxes, columns;
  int option = 0;
  for (const IndexDescription& d : IndexKinds()) {
    EXPECT_EQ(OptionOf(d.kind), option);
    EXPECT_EQ(&DescriptionOf(d.kind), &d);
    // Option k draws on level k + 1 (the export and the window's panels rely on it).
    EXPECT_EQ(d.level, option + 1);
    levels.insert(d.level);
    rows.insert(d.chart_row);
    boxes.insert(d.value_box);
    columns.insert(d.table_column);
    EXPECT_LT(d.value_box, kPanelCount);
    EXPECT_LT(d.chart_row, kChartRows);
    ++option;
  }
  EXPECT_EQ(levels, (std::set<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(rows, (std::set<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(boxes, (std::set<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(columns, (std::set<int>{0, 1, 2, 3, 4}));
}

TEST(IndexKind, LookupsInvertTheTableAndRefuseStrangers) {
  for (const IndexDescription& d : IndexKinds()) {
    EXPECT_EQ(IndexKindOfOption(OptionOf(d.kind)), d.kind);
    EXPECT_EQ(IndexKindOfLevel(d.level), d.kind);
    EXPECT_EQ(IndexKindOfColumn(d.table_column), d.kind);
    // The batch table's columns follow the chart's rows: straightedge, bump, IRI, band-pass,
    // profilograph.
    EXPECT_EQ(d.table_column + 1, d.chart_row);
  }
  EXPECT_FALSE(IndexKindOfOption(5));  // the filter test is no index
  EXPECT_FALSE(IndexKindOfOption(-1));
  EXPECT_FALSE(IndexKindOfLevel(0));   // the profile
  EXPECT_FALSE(IndexKindOfLevel(6));
  EXPECT_THROW(IndexKindOfColumn(5), std::invalid_argument);
  // The band-pass index works on the raw profile; the bump index on a coarser one than the rest.
  EXPECT_EQ(DescriptionOf(IndexKind::Bandpass).decimation, 0);
  EXPECT_GT(DescriptionOf(IndexKind::BoeingBump).decimation, DescriptionOf(IndexKind::Straightedge).decimation);
}

// The sectioning in the core names the chart row it fills; the table must agree with it, or the
// chart of one index would show another's sections.
TEST(IndexKind, SectionedIndexesAgreeWithTheCoresRows) {
  const std::vector<float> series(400, 0.1f);
  for (const IndexKind kind : {IndexKind::Straightedge, IndexKind::BoeingBump, IndexKind::Bandpass}) {
    const IndexDescription& d = DescriptionOf(kind);
    const IndexSections s = ComputeIndexSections(d.level, series, 0.5, 1000.0, MakeUnits(false));
    EXPECT_EQ(s.chart_row, d.chart_row) << d.message_name;
  }
}

}  // namespace
}  // namespace tarmac
