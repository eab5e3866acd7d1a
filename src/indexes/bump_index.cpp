#include "indexes/bump_index.h"

#include <cmath>
#include <stdexcept>

#include "common/rounding.h"

namespace tarmac {
namespace {

constexpr double kFeetToMetres = 0.3048;
constexpr double kInchesToCm = 2.54;

// Samples are counted from 1 along the profile; the series hold sample i at [i - 1].
inline std::size_t Slot(std::int32_t sample) { return static_cast<std::size_t>(sample - 1); }

// Per chord size L (samples), the signed distance s of each inner point k = 1..L-2 and the
// allowable height there. They depend only on L and dx, so they are worked out once per run
// instead of once per chord.
struct ChordTables {
  std::vector<double> length;       // [L]: chord length c = (L - 1) dx, ft
  std::vector<std::size_t> offset;  // [L]: where inner point k = 1 of size L sits in s / h
  std::vector<double> s;            // signed distance from the nearer end, ft
  std::vector<double> h;            // allowable height, cm

  ChordTables(std::int32_t K, double dx) {
    const auto slots = static_cast<std::size_t>(K) + 1;
    length.assign(slots, 0.0);
    offset.assign(slots, 0);
    std::size_t total = 0;
    for (std::int32_t L = kBumpShortestChordSamples; L <= K; ++L) total += static_cast<std::size_t>(L - 2);
    s.reserve(total);
    h.reserve(total);
    for (std::int32_t L = kBumpShortestChordSamples; L <= K; ++L) {
      const double c = (L - 1) * dx;
      length[static_cast<std::size_t>(L)] = c;
      offset[static_cast<std::size_t>(L)] = s.size();
      for (std::int32_t k = 1; k <= L - 2; ++k) {
        double sk = k * dx;
        // The exact middle stays measured from the start.
        if (sk > c * 0.5) sk = sk - c;
        s.push_back(sk);
        h.push_back(AllowableBumpHeight(std::fabs(sk) * kFeetToMetres));
      }
    }
  }
};

}  // namespace

double AllowableBumpHeight(double e) {
  if (e <= kBumpBreakpointMetres) return ((0.000799 * e - 0.039084) * e + 0.844797) * e + 1.859029;
  return 0.16543 * e + 6.0843;
}

std::int32_t BumpChordSamples(double dx) { return Int(kBumpLongestChord / dx) + 1; }

BoeingBumpSeries ComputeBoeingBumpSeries(std::span<const float> z, double dx,
                                         Progress& progress) {
  if (!(dx > 0.0) || !std::isfinite(dx)) throw std::invalid_argument("Boeing Bump Index: spacing must be positive");
  const auto N = static_cast<std::int32_t>(z.size());
  BoeingBumpSeries out;
  out.index.assign(z.size(), 0.0f);
  out.height.assign(z.size(), 0.0f);
  out.distance.assign(z.size(), 0.0f);
  out.chord_length.assign(z.size(), 0.0f);
  if (N < kBumpShortestChordSamples) return out;

  const std::int32_t K = BumpChordSamples(dx);
  const ChordTables tables(K, dx);
  std::vector<double> D(static_cast<std::size_t>(K) + 1, 0.0);  // D[k], k = 1..L-2

  float* index = out.index.data();
  float* height = out.height.data();
  float* distance = out.distance.data();
  float* chord = out.chord_length.data();

  const std::int32_t lastStart = N - 2;
  const std::int32_t every = lastStart / 100 + 1;
  for (std::int32_t i = 1; i <= lastStart; ++i) {
    if (i % every == 0) {
      progress.step(i, lastStart);
      if (progress.cancelled()) throw Cancelled{};
    }
    // zi[k] is sample i + k.
    const float* zi = z.data() + Slot(i);
    const double z0 = zi[0];
    const std::size_t base = Slot(i);
    for (std::int32_t L = kBumpShortestChordSamples; L <= K; ++L) {
      const std::int32_t j = i + L - 1;
      if (j > N) break;
      const double c = tables.length[static_cast<std::size_t>(L)];
      const double r = ((zi[L - 1] - z0) / c) * dx;

      // One-sidedness: reject at the first inner point on the other side of the chord.
      double line = z0;
      double mx = 0.0, mn = 0.0;
      bool crossed = false;
      const std::int32_t inner = L - 2;
      for (std::int32_t k = 1; k <= inner; ++k) {
        line = line + r;
        const double d = zi[k] - line;
        D[static_cast<std::size_t>(k)] = d;
        if (d > mx) {
          mx = d;
        } else if (d < mn) {
          mn = d;
        }
        if (mn < 0.0 && mx > 0.0) {
          crossed = true;
          break;
        }
      }
      if (crossed) continue;

      const std::size_t at = tables.offset[static_cast<std::size_t>(L)] - 1;  // k = 1 -> at + 1
      const double* hs = tables.h.data() + at;
      const double* ss = tables.s.data() + at;
      for (std::int32_t k = 1; k <= inner; ++k) {
        const double dk = D[static_cast<std::size_t>(k)];
        const double b = std::fabs(dk * kInchesToCm) / hs[k];
        const std::size_t p = base + static_cast<std::size_t>(k);
        if (b > index[p]) {
          index[p] = static_cast<float>(b);
          height[p] = static_cast<float>(dk);
          distance[p] = static_cast<float>(ss[k]);
          chord[p] = static_cast<float>(c);
        }
      }
    }
  }
  progress.step(lastStart, lastStart);
  return out;
}

BoeingBumpSeries ComputeBoeingBumpSeries(const PreparedProfile& profile, Progress& progress) {
  return ComputeBoeingBumpSeries(
      std::span<const float>(profile.data1(), static_cast<std::size_t>(profile.n)), profile.spacing,
      progress);
}

BoeingBumpResult ComputeBoeingBumpIndex(const PreparedProfile& profile, double averagingDistance,
                                        const Units& units, Progress& progress) {
  BoeingBumpResult r;
  r.series = ComputeBoeingBumpSeries(profile, progress);
  r.sections = ComputeIndexSections(kBoeingBumpLevel, r.series.index, profile.spacing,
                                    averagingDistance, units);
  return r;
}

}  // namespace tarmac
