#include "spectra/pdf.h"

#include <cmath>
#include <stdexcept>

#include "common/rounding.h"
#include "profile/prepared_profile.h"
#include "spectra/sort.h"

namespace tarmac {

PdfResult ProbabilityDensity(std::span<const float> series, double divisor, double spacing_ft,
               Progress& progress) {
  if (!(spacing_ft > 0.0) || !std::isfinite(spacing_ft)) {
    throw std::invalid_argument("The sample spacing of the series must be positive.");
  }
  const double nrp_value = 1000.0 / spacing_ft;
  if (nrp_value < 0.5 || nrp_value > 2.0e9) {
    throw std::invalid_argument("The sample spacing gives no usable neighbour count for a density.");
  }
  PdfResult r;
  r.nrp = CLng(nrp_value);
  if (r.nrp < 1) {
    throw std::invalid_argument("The sample spacing gives no usable neighbour count for a density.");
  }
  if (series.size() <= static_cast<std::size_t>(r.nrp)) {
    throw std::invalid_argument("The series is too short for a density: it needs more than " +
                                std::to_string(r.nrp) + " values (1000 ft of profile).");
  }
  const auto n = static_cast<std::int32_t>(series.size());
  r.n = n;
  const std::int32_t l = n - r.nrp;
  const auto nn = static_cast<std::size_t>(n);
  const auto ll = static_cast<std::size_t>(l);
  const auto nrp = static_cast<std::size_t>(r.nrp);

  std::vector<double> x(nn);
  for (std::size_t i = 0; i < nn; ++i) x[i] = static_cast<double>(series[i]) / divisor;

  // The normal density's constant, held in single precision as the program holds it.
  const float c = static_cast<float>(std::sqrt(2.0 * 3.1415926));

  double sum = 0.0;
  for (double v : x) sum += v;
  r.amean = sum / n;
  double s2 = 0.0, s3 = 0.0, s4 = 0.0;
  for (double v : x) {
    const double d = v - r.amean;
    const double d2 = d * d;
    s2 += d2;
    s3 += d2 * d;
    s4 += d2 * d2;
  }
  const double var = s2 / (n - 1);
  r.asdev = std::sqrt(var);
  if (!(r.asdev > 0.0)) {
    throw std::invalid_argument(
        "The series is constant: it has no spread, so no density can be estimated.");
  }
  r.cskew = s3 / (n * r.asdev * var);
  r.ckurt = s4 / (n * var * var) - 3.0;

  for (double& v : x) v = (v - r.amean) / r.asdev;
  SortAscending(std::span<double>(x));

  const long long total = 2LL * l;
  const std::size_t stride = ll / 100 + 1;
  r.ymax = 0.0;
  r.ymin = 10000.0;
  r.h.resize(ll);
  r.pdf.resize(ll);
  for (std::size_t i = 0; i < ll; ++i) {
    double d = x[i + nrp] - x[i];
    if (d <= 1e-6) d = 1e-6;  // coincident neighbours keep the density finite
    r.h[i] = (x[i + nrp] + x[i]) * 0.5;
    r.pdf[i] = r.nrp / (d * n);
    if (r.pdf[i] > r.ymax) r.ymax = r.pdf[i];
    if (r.pdf[i] < r.ymin) r.ymin = r.pdf[i];
    if (i % stride == 0) {
      progress.step(static_cast<long long>(i), total);
      if (progress.cancelled()) throw Cancelled{};
    }
  }

  r.normal.resize(ll);
  r.area = 0.0;
  r.arean = 0.0;
  for (std::size_t i = 0; i < ll; ++i) {
    r.normal[i] = std::exp(-0.5 * r.h[i] * r.h[i]) / c;
    if (r.normal[i] > r.ymax) r.ymax = r.normal[i];
    if (r.normal[i] < r.ymin) r.ymin = r.normal[i];
    // Trapezoids over the neighbours' span; the first and the last two points stay out.
    if (i >= 1 && i + 2 < ll) {
      const double span = r.h[i + 1] - r.h[i - 1];
      r.area = r.area + 0.5 * r.pdf[i] * span;
      r.arean = r.arean + 0.5 * r.normal[i] * span;
    }
    if (i % stride == 0) {
      progress.step(static_cast<long long>(l) + static_cast<long long>(i), total);
      if (progress.cancelled()) throw Cancelled{};
    }
  }
  r.xmax = r.h[ll - 1];
  r.xmin = r.h[0];
  progress.step(total, total);
  return r;
}

PdfResult ComputeProfilePdf(const PreparedProfile& profile, Progress& progress) {
  const std::span<const float> samples(profile.data1(), static_cast<std::size_t>(
                                                            profile.n < 0 ? 0 : profile.n));
  return ProbabilityDensity(samples, 12.0, profile.spacing, progress);
}

}  // namespace tarmac
