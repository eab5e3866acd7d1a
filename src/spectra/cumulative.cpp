#include "spectra/cumulative.h"

#include <stdexcept>

#include "spectra/sort.h"

namespace tarmac {

CumulativeDistribution ComputeCumulativeDistribution(std::span<const float> a, std::int32_t nb) {
  if (a.empty()) throw std::invalid_argument("There are no values to distribute.");
  if (nb < 1) throw std::invalid_argument("The distribution needs at least one bin.");
  const auto n = static_cast<std::int32_t>(a.size());
  const std::vector<std::int32_t> idx = IndexSort(a);
  std::vector<float> s(a.size());
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = a[static_cast<std::size_t>(idx[i])];

  CumulativeDistribution d;
  d.xmax = s.back();
  if (!(d.xmax > 0.0)) {
    throw std::invalid_argument(
        "Every value is zero or below: the distribution from 0 to the largest value is empty.");
  }
  const double dx = d.xmax / nb;
  d.cdf.assign(static_cast<std::size_t>(nb), 0.0f);
  std::int32_t last = 0;  // values counted so far
  for (std::int32_t j = 1; j <= nb - 1; ++j) {
    const auto xj = static_cast<float>(dx * j);
    // The first value above the edge; when none is, every value lies at or below the edge
    // and the bin counts them all (never none, which would make the curve fall back to 0).
    std::int32_t count = n;
    for (std::int32_t i = last + 1; i <= n; ++i) {
      if (s[static_cast<std::size_t>(i - 1)] > xj) {
        count = i - 1;
        break;
      }
    }
    d.cdf[static_cast<std::size_t>(j - 1)] = static_cast<float>(count);
    last = count;
  }
  d.cdf[static_cast<std::size_t>(nb - 1)] = static_cast<float>(n);
  for (float& c : d.cdf) c = static_cast<float>(static_cast<double>(c) / n);
  return d;
}

}  // namespace tarmac
