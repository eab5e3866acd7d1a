#pragma once
// The spectra window's plot: the power spectral density against frequency, or the probability
// density against standard deviations with the normal density beneath it and the statistics of
// the series printed beside it. Also the frequency markers placed by clicking on the spectrum.
#include <QPainter>
#include <QRect>
#include <optional>
#include <string>
#include <vector>

#include "render/paint_support.h"

namespace tarmac {

enum class SpectrumMode { Pdf = 1, Psd = 2 };

// One curve: points (x[i], y[i]). The first curve of a plot is drawn black with the axes, any
// further curve is an overlay in blue (the estimated density over the normal density).
struct SpectrumCurve {
  std::vector<double> x;
  std::vector<double> y;
};

// Statistics block of a density plot.
struct DensityStatistics {
  double amean = 0, asdev = 0, cskew = 0, ckurt = 0, area = 0, arean = 0;
};

struct SpectrumPlot {
  SpectrumMode mode = SpectrumMode::Psd;
  std::vector<SpectrumCurve> curves;
  double y_max = 1, y_min = 0, x_max = 1, x_min = 0;  // plot limits
  std::string series_caption;  // caption of the chosen series ("Profile", "Gcg", ...)
  int nexp = 10;               // decades added to the spectrum (PSD title)
  double dt = 0.0;             // sampling interval of the series, s (PSD: Nyquist = 0.5 / dt)
  std::optional<DensityStatistics> statistics;  // printed in a density plot
};

// The mapping a spectrum plot keeps for the frequency read-out, in pixels of the drawn area.
struct SpectrumPlotResult {
  float frame_width = 0;   // 0.9 of the picture's width
  float frame_height = 0;  // 0.75 of its height
  float x_origin = 0;      // pixel of the value 0 on the frequency axis
  double nyquist = 0;      // 0.5 / dt (PSD)
  double x_scale = 0, y_scale = 0;  // pixels per unit
  double px_left = 0, px_top = 0, width = 0, height = 0;  // the drawn area
};

SpectrumPlotResult RenderSpectrumPlot(QPainter& painter, const QRect& area, const SpectrumPlot& plot);
std::vector<unsigned char> SpectrumPlotPng(const SpectrumPlot& plot, int width, int height,
                                           SpectrumPlotResult* result = nullptr);
// The plot as printed (see paint::PrintSize).
std::vector<unsigned char> SpectrumPlotPrintPng(const SpectrumPlot& plot, const paint::PrintSize& size,
                                                SpectrumPlotResult* result = nullptr);

// Frequency at a clicked pixel x of a spectrum plot; none when the click is not to the right of
// the vertical axis (then kMarkerLeftOfAxisMessage is shown and no marker placed).
std::optional<double> MarkerFrequency(const SpectrumPlotResult& plot, double click_x);

// Draws marker number `marker_count` at the click and its read-out line
// "F<n>= <frequency> Hz" (MarkerLabel) in the list at the middle of the plot.
void DrawFrequencyMarker(QPainter& painter, const SpectrumPlotResult& plot, int marker_count,
                         double click_x, double click_y, double frequency);

}  // namespace tarmac
