#pragma once
// The five roughness indexes described once: where each is drawn, which row of the section
// tables and of the index chart it fills, which value box shows it, where it stands in the batch
// report's index table, how the profile is thinned out for it, and the texts that name it.
#include <array>
#include <optional>
#include <string>

#include "common/units.h"

namespace tarmac {

// In the order of the index options of the main window (option k is kind k).
enum class IndexKind { Straightedge, BoeingBump, Iri, Profilograph, Bandpass };

inline constexpr int kIndexKindCount = 5;

struct IndexDescription {
  IndexKind kind;
  const char* option_caption;  // the option that runs it
  int level;                   // the plot level its series is drawn on
  int chart_row;               // its row of the section tables and of the index chart
  int value_box;               // the value box that shows its whole-profile value
  int table_column;            // its place among the five index columns of the batch table
  int decimation;              // design decimation factor of its preparation (0: raw profile)
  const char* computing;       // status while it runs
  const char* finished;        // status once it is published
  const char* message_name;    // the index named in a message
  const char* plot_kind;       // the kind of its plot level
  const char* report_method;   // the line of its report that names the method
  const char* chart_title;     // what precedes its value in the index chart's title
  const char* table_heading;   // its column heading in the batch index table, before the unit
  std::string Units::*table_unit;  // the unit heading that follows (none for the bump index)
};

// The description of one index.
const IndexDescription& DescriptionOf(IndexKind kind);
// All five, in option order.
const std::array<IndexDescription, kIndexKindCount>& IndexKinds();

// The index of option k (0..4); none for the filter test (5) or anything else.
std::optional<IndexKind> IndexKindOfOption(int option);
// The index drawn on plot level 1..5; none for another level.
std::optional<IndexKind> IndexKindOfLevel(int level);
// The index in column c (0..4) of the batch index table.
IndexKind IndexKindOfColumn(int column);

inline int OptionOf(IndexKind kind) { return static_cast<int>(kind); }

}  // namespace tarmac
