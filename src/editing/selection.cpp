#include "editing/selection.h"

#include <cctype>
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

std::optional<EditMessage> CheckZoom(std::string_view level_kind, Selection s, int depth) {
  if (level_kind == "Straightedge Plot" || level_kind == "Boeing Bump Plot") {
    return kCannotZoomMessage;
  }
  if (s.end - s.start < kMinZoomSteps) return kTooShortMessage;
  if (depth >= kMaxZoomDepth) return kZoomTooDeepMessage;
  return std::nullopt;
}

std::string ZoomTitle(std::string_view file_name, std::string_view comma_elevation_label) {
  std::string name(file_name.substr(0, file_name.size() >= 4 ? file_name.size() - 4 : 0));
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return "ZProfile," + name + std::string(comma_elevation_label);
}

}  // namespace tarmac
