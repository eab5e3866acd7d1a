#include "editing/repair.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "common/rounding.h"
#include "editing/edit_refusal.h"
#include "profile/filters.h"

namespace tarmac {

namespace {

void CheckSpacing(double dx) {
  if (!(dx > 0.0) || !std::isfinite(dx)) {
    throw std::invalid_argument("The sample spacing must be positive to repair the profile.");
  }
}

// Work series with n1 samples of reflection on each side: sample i (from 1-n1 to n+n1) sits at
// element i + n1 - 1.
struct Extended {
  std::vector<float> w;
  std::int32_t n1;
  float& operator()(std::int32_t i) { return w[static_cast<std::size_t>(i + n1 - 1)]; }
};

}  // namespace

RepairOffsets ComputeRepairOffsets(double dx) {
  CheckSpacing(dx);
  const double l = kRepairCarriageLength, a = kRepairSpacingA, b = kRepairSpacingB;
  return {CLng((l + a + b) * 0.5 / dx), CLng((l + a - b) * 0.5 / dx),
          CLng((l - a + b) * 0.5 / dx), CLng((l - a - b) * 0.5 / dx)};
}

std::int32_t RepairMinimumSamples(double dx) { return 2 * ComputeRepairOffsets(dx).n1 + 1; }

void RepairAverage(std::span<float> z, double dx) {
  const RepairOffsets o = ComputeRepairOffsets(dx);
  const std::int32_t need = 2 * o.n1 + 1;
  if (z.size() < static_cast<std::size_t>(need)) {
    throw EditRefused{EditRefusal::TooShortToRepair, need};
  }
  const auto n = static_cast<std::int32_t>(z.size());
  Extended w{std::vector<float>(z.size() + 2 * static_cast<std::size_t>(o.n1)), o.n1};
  for (std::int32_t i = 1; i <= n; ++i) w(i) = z[static_cast<std::size_t>(i - 1)];
  // Odd reflection about the end values keeps a straight line straight past the ends.
  for (std::int32_t i = 1; i <= o.n1; ++i) {
    w(1 - i) = 2 * w(1) - w(1 + i);
    w(n + i) = 2 * w(n) - w(n - i);
  }
  for (std::int32_t i = 1; i <= n; ++i) {
    // The eight wheels are added in double; only the mean is stored in single precision.
    const double sum = static_cast<double>(w(i - o.n1)) + w(i - o.n2) + w(i - o.n3) +
                       w(i - o.n4) + w(i + o.n4) + w(i + o.n3) + w(i + o.n2) + w(i + o.n1);
    z[static_cast<std::size_t>(i - 1)] = static_cast<float>(sum / 8.0);
  }
}

void RepairPass(std::span<float> z, double dx) {
  const std::int32_t need = RepairMinimumSamples(dx);
  if (z.size() < static_cast<std::size_t>(need)) {
    throw EditRefused{EditRefusal::TooShortToRepair, need};
  }
  LowPassFilter(kRepairCutoff, dx, z, true);
  RepairAverage(z, dx);
}

RepairResult RepairProfile(std::span<const float> profile, double dx) {
  RepairResult r;
  r.once.assign(profile.begin(), profile.end());
  RepairPass(r.once, dx);
  r.twice = r.once;
  RepairPass(r.twice, dx);
  return r;
}

}  // namespace tarmac
