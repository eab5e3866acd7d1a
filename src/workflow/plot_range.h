#pragma once
// The ranges a plot level is drawn over: the samples shown, their distance range and their value
// range in display units. The session records them as the level's plot state; the drawing code
// reads them from there, so that a panel, a report picture and the batch report's plotted
// extremes always agree.
#include <cstdint>
#include <span>

namespace tarmac {

struct PlotRange {
  std::int32_t first = 1, last = 0;  // samples shown, 1-based; last < first when there are none
  float x_start = 0, x_end = 0;      // hundreds of display length units
  float y_min = 0, y_max = 0;        // display units
};

// The range of samples first..last (limited to the series) of a series spaced `step_display`
// display length units, its values multiplied by `factor`. Values that are not finite (a lost
// reading) do not stretch the value range; with none finite the range is 0..0.
PlotRange ComputePlotRange(std::span<const float> data, double step_display, std::int32_t first,
                           std::int32_t last, double factor);

// A value range of no height is given one of 0.01 above its value, so a flat series still has a
// scale.
inline void WidenFlatRange(float& y_min, float& y_max) {
  if (y_max == y_min) y_max = y_min + 0.01f;
}

}  // namespace tarmac
