#include "editing/vertical_curve.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "common/rounding.h"

namespace tarmac {

namespace {

// The profile counted from 1, refusing any read or write outside it.
struct Profile1 {
  std::vector<float>& z;
  std::int32_t n() const { return static_cast<std::int32_t>(z.size()); }
  bool inside(std::int32_t i) const { return i >= 1 && i <= n(); }
  float& operator()(std::int32_t i) { return z[static_cast<std::size_t>(i - 1)]; }
};

[[noreturn]] void Refuse(EditRefusal reason) { throw EditRefused{reason}; }

// Mean of the five samples ending at i (i-4 .. i).
double FivePointMean(Profile1& p, std::int32_t i) {
  if (!p.inside(i - 4) || !p.inside(i)) Refuse(EditRefusal::CurveOutside);
  double sum = 0.0;
  for (std::int32_t j = 0; j <= 4; ++j) sum += p(i - j);
  return sum / 5;
}

// Converts a sample position to an index, refusing positions that cannot be an index at all.
std::int32_t IndexAt(double position) {
  if (!(std::fabs(position) < 2.0e9)) Refuse(EditRefusal::CurveOutside);
  return CLng(position);
}

}  // namespace

std::int32_t VerticalCurveMinimumSteps(double dx) {
  if (!(dx > 0.0)) throw std::invalid_argument("The sample spacing must be positive.");
  return CLng(1 / dx) + 1;
}

std::optional<EditRefusal> CheckVerticalCurveSelection(Selection s, double dx) {
  if (s.end - s.start < VerticalCurveMinimumSteps(dx)) return EditRefusal::TooShort;
  return std::nullopt;
}

VerticalCurveResult FitVerticalCurve(std::span<const float> profile, double dx, std::int32_t pvi) {
  if (!(dx > 0.0) || !std::isfinite(dx)) {
    throw std::invalid_argument("The sample spacing must be positive.");
  }
  VerticalCurveResult r;
  r.profile.assign(profile.begin(), profile.end());
  Profile1 p{r.profile};
  if (!p.inside(pvi)) Refuse(EditRefusal::CurveOutside);

  // Approach grade between the five-point means ending 600 and 500 ft before the vertex.
  const std::int32_t i1 = IndexAt(pvi - 600 / dx);
  const std::int32_t i2 = IndexAt(pvi - 500 / dx);
  const double a1 = FivePointMean(p, i1);
  const double a2 = FivePointMean(p, i2);
  double g1 = (a2 - a1) / (12 * dx * (i2 - i1));
  // Departure grade between the means ending 500 and 600 ft after it.
  const std::int32_t j1 = IndexAt(pvi + 500 / dx);
  const std::int32_t j2 = IndexAt(pvi + 600 / dx);
  const double b1 = FivePointMean(p, j1);
  const double b2 = FivePointMean(p, j2);
  const double g2 = (b2 - b1) / (12 * dx * (j2 - j1));
  r.g1_measured = g1;

  const double a = (g2 - g1) * 100;
  if (a == 0.0) Refuse(EditRefusal::EqualGrades);
  const double lc = std::fabs(a) * 1000;
  const double e = a * lc / 800;
  const double rr = e / ((lc / 2) * (lc / 2));
  const double half = lc / dx / 2;
  if (!(half < 2.0e9)) Refuse(EditRefusal::CurveOutside);
  const std::int32_t h = Int(half);
  if (h < 1) Refuse(EditRefusal::CurveTooShort);
  std::int32_t bvc = pvi - h;
  std::int32_t evc = pvi + h;
  std::int32_t shift = 0;

  // Slide the vertex, twice, so that the tangents meet the profile at the curve ends.
  for (int pass = 0; pass < 2; ++pass) {
    if (!p.inside(bvc) || !p.inside(evc)) Refuse(EditRefusal::CurveOutside);
    // Rise between the curve ends in feet, worked in double from the stored elevations.
    const double dz = (static_cast<double>(p(evc)) - p(bvc)) / 12;
    const double s = (dz - g2 * lc) / (g1 - g2) - lc / 2;
    const double steps = s / dx;
    if (!(std::fabs(steps) < 2.0e9)) Refuse(EditRefusal::CurveOutside);
    const std::int32_t k = Int(steps);
    pvi += k;
    bvc += k;
    evc += k;
    shift += k;
  }
  if (!p.inside(bvc) || !p.inside(evc)) Refuse(EditRefusal::CurveOutside);

  // Approach grade corrected so that the mean of the two grades is the chord grade.
  g1 = 2 * (static_cast<double>(p(evc)) - p(bvc)) / (12 * lc) - g2;

  const float z_bvc = p(bvc);
  for (std::int32_t i = bvc; i <= pvi; ++i) {
    const double x = (i - bvc) * dx;
    p(i) = static_cast<float>(z_bvc + 12 * g1 * x + 12 * rr * (x * x));
  }
  const float z_evc = p(evc);
  for (std::int32_t i = pvi; i <= evc; ++i) {
    const double x = (i - evc) * dx;  // zero or negative
    p(i) = static_cast<float>(z_evc + 12 * g2 * x + 12 * rr * (x * x));
  }

  r.g1 = g1;
  r.g2 = g2;
  r.a = a;
  r.lc = lc;
  r.e = e;
  r.r = rr;
  r.h = h;
  r.pvi = pvi;
  r.bvc = bvc;
  r.evc = evc;
  r.shift = shift;
  return r;
}

}  // namespace tarmac
