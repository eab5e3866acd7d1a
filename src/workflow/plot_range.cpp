#include "workflow/plot_range.h"

#include <algorithm>
#include <cmath>

namespace tarmac {

PlotRange ComputePlotRange(std::span<const float> data, double step_display, std::int32_t first,
                           std::int32_t last, double factor) {
  PlotRange r;
  const auto n = static_cast<std::int32_t>(data.size());
  // The distance axis counts hundreds of display length units.
  const double s = 0.01 * step_display;
  if (n < 1) return r;
  r.first = std::clamp(first, 1, n);
  r.last = std::clamp(last, r.first, n);
  r.x_start = static_cast<float>(s * (r.first - 1));
  r.x_end = static_cast<float>(s * (r.last - 1));
  float ymax = -1000000.0f, ymin = 1000000.0f;
  for (std::int32_t i = r.first; i <= r.last; ++i) {
    const float v = data[static_cast<std::size_t>(i - 1)];
    if (!std::isfinite(v)) continue;
    if (v > ymax) ymax = v;
    if (v < ymin) ymin = v;
  }
  if (ymax < ymin) ymax = ymin = 0.0f;
  r.y_max = static_cast<float>(ymax * factor);
  r.y_min = static_cast<float>(ymin * factor);
  return r;
}

}  // namespace tarmac
