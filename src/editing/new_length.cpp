#include "editing/new_length.h"

#include <stdexcept>
#include <string>

#include "common/rounding.h"

namespace tarmac {

std::int32_t NewLengthMinimumSteps(double sample_spacing_ft) {
  if (!(sample_spacing_ft > 0.0)) {
    throw std::invalid_argument("The sample spacing must be positive to cut the profile.");
  }
  return CLng(100.0 / sample_spacing_ft);
}

std::optional<EditRefusal> CheckNewLength(Selection s, double sample_spacing_ft, int cuts_in_force) {
  const std::int32_t min_steps = NewLengthMinimumSteps(sample_spacing_ft);
  // A cut keeps at least two samples, so that its chord exists.
  if (s.end - s.start < min_steps || s.end - s.start < 1) return EditRefusal::TooShort;
  if (cuts_in_force >= kMaxCuts) return EditRefusal::TooManyCuts;
  return std::nullopt;
}

void RemoveChord(std::span<float> z) {
  const auto nl = static_cast<std::int32_t>(z.size());
  if (nl < 2) return;
  const float z1 = z[0];
  // The chord's slope and each difference are worked in double; the result is stored single.
  const double s = (static_cast<double>(z[static_cast<std::size_t>(nl - 1)]) - z1) / (nl - 1);
  for (std::int32_t i = 1; i <= nl; ++i) {
    float& v = z[static_cast<std::size_t>(i - 1)];
    v = static_cast<float>((static_cast<double>(v) - z1) - s * (i - 1));
  }
}

std::vector<float> CutProfile(std::span<const float> profile, Selection s) {
  if (s.start < 1 || s.end < s.start || static_cast<std::size_t>(s.end) > profile.size()) {
    throw std::invalid_argument("The selected stretch lies outside the profile.");
  }
  std::vector<float> z(profile.begin() + (s.start - 1), profile.begin() + s.end);
  RemoveChord(z);
  return z;
}

Selection StretchInUncut(std::span<const CutRecord> history, std::size_t k) {
  if (k >= history.size()) throw std::invalid_argument("There is no such cut to step back to.");
  Selection s = history[k];
  // Each cut counts from the start of the profile the previous cuts left.
  std::int32_t offset = 0;
  for (std::size_t j = 1; j < k; ++j) offset += history[j].start - 1;
  s.start += offset;
  s.end += offset;
  return s;
}

std::vector<float> UndoCut(std::span<const float> uncut, std::span<const CutRecord> history) {
  if (history.size() < 2) throw EditRefused{EditRefusal::NoCutToUndo};
  const Selection s = StretchInUncut(history, history.size() - 2);
  return CutProfile(uncut, s);
}

}  // namespace tarmac
