#pragma once
// The line graph of one plot level (the profile, an index series, an aircraft response) against
// distance: the value range, its margins, the distance axis with ticks, the value labels, the red
// zero line and the series itself, drawn onto any paint device.
#include <QPainter>
#include <QRect>
#include <string>
#include <vector>

#include "common/units.h"
#include "render/paint_support.h"

namespace tarmac {

// Title of an index level as the plotter composes it (levels 1 to 5); any other level keeps the
// caller's title. `edge_used_ft` is the straightedge length actually used, in feet.
std::string LevelPlotTitle(int level, const std::string& caller_title, const Units& units,
                           double edge_used_ft);

// What to draw. Nothing here refers to the profile model: the caller copies the level in, with
// the ranges the session recorded for it (workflow/plot_range.h), so the drawing never works out
// a range of its own.
struct LevelPlot {
  std::vector<float> values;  // the level's series; [0] is sample 1; internal units unless
                              // value_factor is 1 (responses are stored in display units)
  int level = 0;              // 0..6, for the caller's bookkeeping
  int first = 1;              // first sample shown, 1-based
  int last = 0;               // last sample shown, 1-based; limited to the series length
  double step_ft = 0.0;       // sample spacing, always in FEET (also in metric mode, so a
                              // two-click selection turns a distance into a sample exactly)
  double length_factor = 1.0; // feet -> display length unit (`Units.LengthFactor`)
  double value_factor = 1.0;  // display factor of the values (the session's LevelValueFactor
                              // for a level plot, 1 for a response plot)
  float y_max = 0.01f;        // value range in display units, as the session recorded it
  float y_min = 0.0f;
  std::string title;          // printed above the plot
  std::string axis_label;     // distance caption, `Units.AxisLabel`
  std::string value_label;    // unit of the values, written along the value axis (empty: none)
};

// Sets the value range of a plot that is not a level of the model (an index detail drawn over
// the profile) to that of its samples shown, by the session's own rule.
void FitValueRange(LevelPlot& plot);

// What a drawing records and later commands use: the plotted distance range and value range,
// the horizontal scale, the samples drawn, and the mapping between pixels and plot units.
struct LevelPlotResult {
  float x_start = 0.0f;  // `PlotXStart`: hundreds of display length units
  float x_end = 0.0f;    // `PlotXEnd`
  float y_max = 0.0f;    // `PlotYMax`: display units (for level 0: the plotted profile max)
  float y_min = 0.0f;    // `PlotYMin`
  double scale = 0.01;   // `PlotScale`: the axis counts hundreds of display length units
  double s = 0.0;        // hundreds of display units per sample
  int i1 = 1;            // first sample drawn (1-based)
  int i2 = 0;            // last sample drawn; i2 < i1 when there was nothing to draw
  bool zero_line = false;  // the red line at value 0 was drawn
  // The plot window in plot units and the pixels it covers.
  double left = 0, right = 1, top = 1, bottom = 0;
  double px_left = 0, px_top = 0, px_width = 1, px_height = 1;

  double ToPixelX(double x) const { return px_left + (x - left) / (right - left) * px_width; }
  double ToPixelY(double y) const { return px_top + (top - y) / (top - bottom) * px_height; }
  double ToPlotX(double px) const { return left + (px - px_left) / px_width * (right - left); }
  double ToPlotY(double py) const { return top - (py - px_top) / px_height * (top - bottom); }
  // The sample drawn nearest to a distance in plot units (sample i lies at s x i, as the two-click selection reads it),
  // limited to 1..n.
  int SampleAt(double plot_x, int n) const;
};

// Draws the plot into `area` of the painter's device (white background, grid, round ticks on
// both axes with their values, the title, the red zero line and the series).
LevelPlotResult RenderLevelPlot(QPainter& painter, const QRect& area, const LevelPlot& plot);

// The same drawing as a PNG picture of width x height pixels (a screen-sized picture).
std::vector<unsigned char> LevelPlotPng(const LevelPlot& plot, int width, int height,
                                        LevelPlotResult* result = nullptr);
// The same drawing as a picture for print: `size` in inches at its resolution, the resolution
// stated in the PNG so a document places it at that size.
std::vector<unsigned char> LevelPlotPrintPng(const LevelPlot& plot, const paint::PrintSize& size,
                                             LevelPlotResult* result = nullptr);

}  // namespace tarmac
