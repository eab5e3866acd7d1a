#pragma once
// The cumulative distribution of the straightedge deviations or of the Boeing Bump Index: the
// fraction of the values at or below each of NB bin edges, drawn against the value, with the
// mapping kept for the read-out under the mouse.
#include <QPainter>
#include <QRect>
#include <string>
#include <string_view>
#include <vector>

#include "render/paint_support.h"

namespace tarmac {

struct ProbDistPlot {
  std::vector<float> cdf;  // CDF(1..NB): [J-1] is the fraction of values <= J x x_max / NB
  double x_max = 0.0;      // largest value of the series (display units)
  std::string title;       // "Straightedge" / "Boeing Bump Index"
  std::string unit_label;  // the unit of the values ("mm", "inch", "Index Value")
};

// Pixel mapping of the drawn distribution: value = (x - x_origin) / x_scale,
// fraction = (y - y_origin) / y_scale (y_scale is negative: fractions grow upwards).
struct ProbDistPlotResult {
  double x_origin = 0, y_origin = 0, x_scale = 1, y_scale = -1;
};

ProbDistPlotResult RenderProbDistPlot(QPainter& painter, const QRect& area, const ProbDistPlot& plot);
std::vector<unsigned char> ProbDistPlotPng(const ProbDistPlot& plot, int width, int height,
                                           ProbDistPlotResult* result = nullptr);
// The distribution as printed (see paint::PrintSize).
std::vector<unsigned char> ProbDistPlotPrintPng(const ProbDistPlot& plot, const paint::PrintSize& size,
                                                ProbDistPlotResult* result = nullptr);

// The two status texts of the read-out at a mouse position: "x= 0.123<unit>" and
// "P(x<=0.123)= 45.600 %". `unit` is the value's unit with its leading blank (" in", " mm"),
// or empty for the Boeing Bump Index, which has none.
struct ProbDistReadout {
  std::string x_text;
  std::string p_text;
};
ProbDistReadout ReadProbDist(const ProbDistPlotResult& plot, double mouse_x, double mouse_y,
                             std::string_view unit);

}  // namespace tarmac
