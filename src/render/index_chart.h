#pragma once
// The index chart: one column per section of the profile for one chart row (an index or a
// simulation response), with the chart title, the section-axis title and the value-axis title.
#include <QPainter>
#include <QRect>
#include <algorithm>
#include <string>
#include <vector>

#include "common/units.h"
#include "render/paint_support.h"

namespace tarmac {

struct IndexChart {
  std::string title;               // chart title (`chart_title` of the row)
  std::string section_axis_title;  // "Section 1000.0(ft)"
  std::string value_axis_title;    // "Boeing Bump Index", ...
  std::vector<double> values;      // `SectionIndexes`(1..count, row); count may be 0
};

// What the chart texts of a row are made of.
struct IndexChartTextInputs {
  int row = 1;                          // chart row 1..10
  std::string aircraft_type;            // "B-727", "B-747", "DC-9", "DC-10" (rows 6..10)
  std::string graph_title;              // `graph_title` (rows 6..10)
  double total = 0.0;                   // whole-profile result of the response (rows 6..10)
  std::string index_chart_title;        // `chart_title`(row) as the index left it (rows 1..5)
  double averaging_distance_ft = 1000;  // section length of rows 1..4 and 6..10
  double ca_section_length_ft = 500;    // section length of the profilograph index (row 5)
};

struct IndexChartTexts {
  std::string title;
  std::string section_axis_title;
  std::string value_axis_title;
};

// The titles of a chart row. Two labels follow the values they describe rather than fixed
// texts: the IRI row names the roughness unit of the values ("IRI, m/Km" in metric mode,
// "IRI, inch/mile" in US mode, where the sections hold inches per mile), and the profilograph
// row names the profilograph section length in force, not always 500 ft.
IndexChartTexts ComposeIndexChartTexts(const IndexChartTextInputs& in, const Units& units);

// A chart of one row with its texts.
IndexChart MakeIndexChart(const IndexChartTextInputs& in, const Units& units, std::vector<double> values);

// Geometry of a drawn chart, for tests and for a widget that wants to show a value under the mouse.
struct IndexChartResult {
  double axis_min = 0, axis_max = 1, tick = 0.1;  // value axis
  double plot_left = 0, plot_top = 0, plot_width = 1, plot_height = 1;  // pixels
  int bars = 0;
  double ToPixelY(double v) const { return plot_top + (axis_max - v) / (axis_max - axis_min) * plot_height; }
  // Centre of the column of section i (1-based).
  double BarCenterX(int i) const { return plot_left + (i - 0.5) * plot_width / std::max(1, bars); }
};

IndexChartResult RenderIndexChart(QPainter& painter, const QRect& area, const IndexChart& chart);
std::vector<unsigned char> IndexChartPng(const IndexChart& chart, int width, int height,
                                         IndexChartResult* result = nullptr);
// The chart as printed (see paint::PrintSize).
std::vector<unsigned char> IndexChartPrintPng(const IndexChart& chart, const paint::PrintSize& size,
                                              IndexChartResult* result = nullptr);

}  // namespace tarmac
