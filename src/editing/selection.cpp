#include "editing/selection.h"

#include <cmath>
#include <utility>

#include "common/rounding.h"

namespace tarmac {

std::int32_t ClickToSample(float click_x, double length_factor, double step_ft, std::int32_t n) {
  if (n < 1) return 1;
  const double position = static_cast<double>(click_x) / length_factor / (0.01 * step_ft);
  // Clamp before rounding: a click far outside the panel must not overflow the conversion.
  if (!(position >= 1.0)) return 1;  // also a NaN from a degenerate step
  if (position >= static_cast<double>(n)) return n;
  const std::int32_t k = CLng(position);
  return k < 1 ? 1 : (k > n ? n : k);
}

Selection OrderSelection(std::int32_t first, std::int32_t second) {
  if (first > second) std::swap(first, second);
  return {first, second};
}

std::optional<EditRefusal> CheckZoom(std::string_view level_kind, Selection s, int depth) {
  if (level_kind == "Straightedge Plot" || level_kind == "Boeing Bump Plot") {
    return EditRefusal::CannotZoom;
  }
  if (s.end - s.start < kMinZoomSteps) return EditRefusal::TooShort;
  if (depth >= kMaxZoomDepth) return EditRefusal::ZoomTooDeep;
  return std::nullopt;
}

}  // namespace tarmac
