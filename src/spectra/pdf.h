#pragma once
// Probability density of one series: moments, standardisation, a density estimate from the
// spacing of sorted neighbours NRP apart, and the normal density of the same mean and standard
// deviation as reference, with the areas under both.
#include <cstdint>
#include <span>
#include <vector>

#include "common/progress.h"

namespace tarmac {

struct PreparedProfile;

struct PdfResult {
  std::int32_t n = 0;    // values in the series
  std::int32_t nrp = 0;  // neighbour count: samples in 1000 ft of the decimated profile
  // Density points 1..L, L = n - nrp; [i-1] is point i.
  std::vector<double> h;       // abscissa, standard deviations (midpoint of the neighbour pair)
  std::vector<double> pdf;     // estimated density nrp / (spacing * n)
  std::vector<double> normal;  // normal density at h
  double amean = 0.0, asdev = 0.0, cskew = 0.0, ckurt = 0.0;  // ckurt: excess kurtosis
  double area = 0.0, arean = 0.0;  // areas under the estimate and under the normal curve
  double ymax = 0.0, ymin = 0.0, xmax = 0.0, xmin = 0.0;  // plot limits
};

// ProbabilityDensity over the values series[i-1] / divisor (12.0 turns prepared-profile inches into feet,
// 1.0 keeps a response level as stored). spacing_ft is the prepared profile's spacing: the
// neighbour count NRP = CLng(1000 / spacing_ft) serves the response series too.
// Throws std::invalid_argument when the series has no more than NRP values (no density point)
// or is constant (it cannot be standardised), or when the spacing gives NRP < 1.
// Polls progress during the density and normal-curve loops; throws Cancelled when asked.
PdfResult ProbabilityDensity(std::span<const float> series, double divisor, double spacing_ft,
               Progress& progress);

// The profile density: the prepared profile (decimated by 10) in feet.
PdfResult ComputeProfilePdf(const PreparedProfile& profile, Progress& progress);

}  // namespace tarmac
