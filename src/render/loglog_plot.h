#pragma once
// A curve on logarithmic axes (the profile spectrum against wavenumber): decades marked and
// labelled on both axes, a light grid, the axis titles written along their axes.
#include <QPainter>
#include <QRect>
#include <string>
#include <vector>

#include "render/paint_support.h"

namespace tarmac {

struct LogLogPlot {
  std::vector<double> x;  // points with x or y not above zero are left out (gaps)
  std::vector<double> y;
  std::string title;
  std::string x_title;
  std::string y_title;
};

// Geometry of a drawn log-log plot: the decades spanned and the pixels of the plot window.
struct LogLogPlotResult {
  int x_first_decade = 0, x_last_decade = 1;  // the axes run from 10^first to 10^last
  int y_first_decade = 0, y_last_decade = 1;
  double px_left = 0, px_top = 0, px_width = 1, px_height = 1;
  double ToPixelX(double x) const;
  double ToPixelY(double y) const;
};

LogLogPlotResult RenderLogLogPlot(QPainter& painter, const QRect& area, const LogLogPlot& plot);
std::vector<unsigned char> LogLogPlotPng(const LogLogPlot& plot, int width, int height,
                                         LogLogPlotResult* result = nullptr);
std::vector<unsigned char> LogLogPlotPrintPng(const LogLogPlot& plot, const paint::PrintSize& size,
                                              LogLogPlotResult* result = nullptr);

}  // namespace tarmac
