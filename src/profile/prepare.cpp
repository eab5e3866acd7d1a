#include "profile/prepare.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "common/rounding.h"
#include "profile/filters.h"

namespace tarmac {

std::string_view DecimationRuleName(DecimationRule rule) {
  return rule == DecimationRule::Fixed ? "fixed" : "spacing";
}

std::optional<DecimationRule> DecimationRuleFromName(std::string_view name) {
  auto is = [&](std::string_view word) {
    return name.size() == word.size() &&
           std::equal(name.begin(), name.end(), word.begin(), [](char a, char b) {
             return std::tolower(static_cast<unsigned char>(a)) == b;
           });
  };
  if (is("spacing")) return DecimationRule::Spacing;
  if (is("fixed")) return DecimationRule::Fixed;
  return std::nullopt;
}

std::int32_t DecimationFactor(int designFactor, double sampleSpacing, DecimationRule rule) {
  if (!(sampleSpacing > 0.0) || !std::isfinite(sampleSpacing))
    throw std::invalid_argument("The sample spacing must be a positive number.");
  if (designFactor < 1) throw std::invalid_argument("The decimation factor must be at least 1.");
  if (rule == DecimationRule::Fixed) return designFactor;
  const double k = designFactor * kDesignSampleSpacing / sampleSpacing;
  if (!(k < std::numeric_limits<std::int32_t>::max()))
    throw std::invalid_argument("The sample spacing is too small for a decimation factor.");
  return std::max<std::int32_t>(1, CLng(k));
}

PreparedProfile PrepareIndexProfile(std::span<const float> profileZ, double sampleSpacing,
                                    int factor, bool smoothEnds, double smoothingDistance) {
  if (profileZ.empty()) throw std::invalid_argument("There is no profile to prepare.");
  if (factor < 1) throw std::invalid_argument("The decimation factor must be at least 1.");
  if (!(sampleSpacing > 0.0) || !std::isfinite(sampleSpacing))
    throw std::invalid_argument("The sample spacing must be a positive number.");

  std::vector<float> scratch(profileZ.begin(), profileZ.end());
  PreparedProfile out;
  out.factor = factor;
  // Nothing shorter than two decimated samples may survive the decimation. A profile kept whole
  // holds nothing its samples cannot carry, and a filter at its own Nyquist frequency would only
  // disturb it.
  if (factor > 1)
    out.cutoff_used = LowPassFilter(1.0 / (2.0 * sampleSpacing * factor), sampleSpacing,
                                    scratch, /*bothWays=*/true);

  const auto n = static_cast<std::int32_t>(scratch.size());
  out.n = (n - 1) / factor + 1;  // samples 1, 1 + k, ..., the last not beyond N
  out.spacing = sampleSpacing * factor;
  out.margin = CLng(kPreparedMarginLength / out.spacing);
  out.z.assign(static_cast<std::size_t>(out.n) + 2 * static_cast<std::size_t>(out.margin) + 3, 0.0f);
  for (std::int32_t j = 1; j <= out.n; ++j)
    out.at(j) = scratch[static_cast<std::size_t>((j - 1) * factor)];

  if (smoothEnds) {
    // The fade keeps its length in feet whatever the profile's length: a profile shorter than
    // the smoothing distance is faded by the part of the window that lies on it.
    const std::int32_t taper = CLng(smoothingDistance / out.spacing);
    for (std::int32_t i = 1; i <= taper; ++i) {
      const double f = (1.0 - std::cos(i * std::numbers::pi / taper)) / 2.0;
      if (i <= out.n) out.at(i) = static_cast<float>(out.at(i) * f);
      if (out.n - i + 1 >= 1) out.at(out.n - i + 1) = static_cast<float>(out.at(out.n - i + 1) * f);
    }
  }
  return out;
}

}  // namespace tarmac
