#pragma once
// Vertical curve fitting: around a vertex chosen on the plot, the approach grade (measured 500 to
// 600 ft before it) and the departure grade (500 to 600 ft after it) set a symmetric parabolic
// curve of 1000 ft per percent change of grade; the vertex slides so that the tangents meet the
// measured profile at the curve ends, and the parabola replaces the profile between the ends.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "editing/edit_refusal.h"
#include "editing/selection.h"

namespace tarmac {

// Fewest sample steps between the two clicks: CLng(1 / dx) + 1.
std::int32_t VerticalCurveMinimumSteps(double dx);
// TooShort when the selection is shorter than that.
std::optional<EditRefusal> CheckVerticalCurveSelection(Selection s, double dx);

struct VerticalCurveResult {
  std::vector<float> profile;  // the whole profile with the curve in place, inches
  double g1 = 0.0;             // approach grade, ft/ft (after the chord correction)
  double g1_measured = 0.0;    // approach grade as measured
  double g2 = 0.0;             // departure grade, ft/ft
  double a = 0.0;              // change of grade, percent
  double lc = 0.0;             // curve length, ft
  double e = 0.0;              // middle ordinate, ft
  double r = 0.0;              // parabola coefficient, 1/ft
  std::int32_t h = 0;          // half-length in samples
  // Samples counted from 1, after the two vertex adjustments.
  std::int32_t pvi = 0, bvc = 0, evc = 0;
  std::int32_t shift = 0;      // total samples the vertex moved
};

// Fits the curve around vertex pvi (sample counted from 1, the left one of the two clicks) on a
// profile in inches at spacing dx feet. Throws EditRefused (EqualGrades, CurveTooShort or
// CurveOutside; the profile then stays as it was) when the
// grades are equal, the curve is under one sample each side, or a grade window or a curve end
// (before or after either vertex adjustment) falls outside the profile.
VerticalCurveResult FitVerticalCurve(std::span<const float> profile, double dx, std::int32_t pvi);

}  // namespace tarmac
