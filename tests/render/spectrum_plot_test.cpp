#include "render/spectrum_plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "render_test_support.h"

namespace tarmac {
namespace {

using testing::AnyNear;
using testing::CountPixels;
using testing::DecodePng;

bool IsBlack(QColor c) { return c.red() < 90 && c.green() < 90 && c.blue() < 90; }
bool IsBlue(QColor c) { return c.blue() > 150 && c.red() < 110 && c.green() < 110; }

SpectrumPlot SyntheticPsd(int m, double dt) {
  SpectrumPlot plot;
  plot.mode = SpectrumMode::Psd;
  plot.dt = dt;
  plot.nexp = 10;
  plot.series_caption = "Profile";
  SpectrumCurve c;
  plot.y_max = 0.0;
  plot.y_min = 100000.0;
  for (int j = 1; j <= m; ++j) {
    const double f = (j - 1) / (2.0 * m) / dt;
    c.x.push_back(f);
    const double y = j == 1 ? -std::numeric_limits<double>::infinity()  // a bin without power
                            : 4.0 - 2.0 * std::log10(1.0 + f) + 0.3 * std::sin(j * 0.05);
    c.y.push_back(y);
    if (std::isfinite(y)) {
      plot.y_max = std::max(plot.y_max, y);
      plot.y_min = std::min(plot.y_min, y);
    }
  }
  plot.x_min = c.x.front();
  plot.x_max = c.x.back();
  plot.curves.push_back(std::move(c));
  return plot;
}

TEST(SpectrumPlot, PsdMappingAndFrequencyMarkers) {
  const double dt = 0.0820209973753 * 10 / 58.0;
  const SpectrumPlot plot = SyntheticPsd(2048, dt);
  SpectrumPlotResult r;
  const auto png = SpectrumPlotPng(plot, 1000, 600, &r);
  const QImage image = DecodePng(png);
  ASSERT_EQ(image.size(), QSize(1000, 600));
  testing::KeepSample("psd.png", png);
  EXPECT_FLOAT_EQ(r.frame_width, 900.0f);
  EXPECT_FLOAT_EQ(r.frame_height, 450.0f);
  EXPECT_FLOAT_EQ(r.x_origin, 50.0f);  // the frequency axis starts at 0
  EXPECT_DOUBLE_EQ(r.nyquist, 0.5 / dt);
  // A point of the curve lands where the frame's mapping puts it.
  const std::size_t j = 700;
  const double px = 50.0 + 900.0 / (plot.x_max - plot.x_min) * (plot.curves[0].x[j] - plot.x_min);
  const double py = 0.85 * 600 - 450.0 / (plot.y_max - plot.y_min) * (plot.curves[0].y[j] - plot.y_min);
  EXPECT_TRUE(AnyNear(image, px, py, 1, IsBlack));

  // Clicks on or left of the vertical axis are refused; the frame's right end is the Nyquist
  // frequency.
  EXPECT_FALSE(MarkerFrequency(r, 50.0).has_value());
  EXPECT_FALSE(MarkerFrequency(r, 10.0).has_value());
  ASSERT_TRUE(MarkerFrequency(r, 950.0).has_value());
  EXPECT_DOUBLE_EQ(*MarkerFrequency(r, 950.0), 0.5 / dt);
  EXPECT_DOUBLE_EQ(*MarkerFrequency(r, 500.0), 0.25 / dt);
  EXPECT_EQ(MarkerLine(1, 12.5), "F1= 12.500 Hz");
  EXPECT_EQ(MarkerLine(3, 123.4567), "F3= 123.45 Hz");  // first six characters only
  EXPECT_EQ(MarkerLine(2, 0.25), "F2= .250 Hz");

  QImage marked = image.copy();
  {
    QPainter painter(&marked);
    DrawFrequencyMarker(painter, r, 1, 500.0, 300.0, *MarkerFrequency(r, 500.0));
  }
  EXPECT_GT(CountPixels(marked, IsBlue), CountPixels(image, IsBlue));
}

TEST(SpectrumPlot, DensityWithNormalCurveOverlayAndStatistics) {
  SpectrumPlot plot;
  plot.mode = SpectrumMode::Pdf;
  plot.series_caption = "Gcg";
  SpectrumCurve normal, estimate;
  std::mt19937 rng(3);
  std::normal_distribution<double> noise(0.0, 0.02);
  for (int i = 0; i < 400; ++i) {
    const double h = -3.2 + 6.4 * i / 399.0;
    normal.x.push_back(h);
    normal.y.push_back(std::exp(-0.5 * h * h) / std::sqrt(2 * M_PI));
    estimate.x.push_back(h);
    estimate.y.push_back(std::max(0.0, normal.y.back() + noise(rng)));
  }
  plot.x_min = -3.2;
  plot.x_max = 3.2;
  plot.y_min = 0.0;
  plot.y_max = 0.47;
  plot.curves = {normal, estimate};
  plot.statistics = DensityStatistics{0.0012, 1.0, -0.05, 0.12, 0.998, 0.997};
  SpectrumPlotResult r;
  const auto png = SpectrumPlotPng(plot, 900, 600, &r);
  testing::KeepSample("pdf.png", png);
  const QImage image = DecodePng(png);
  ASSERT_EQ(image.size(), QSize(900, 600));
  EXPECT_GT(CountPixels(image, IsBlue), 300);  // the estimate is drawn over in blue
  // The normal density's peak at 0 sigma: x = 0.05 W + (0 - XMIN) XSCALE.
  const double px = 45.0 + 810.0 / 6.4 * 3.2;
  const double peak = 0.85 * 600 - 450.0 / 0.47 * (1.0 / std::sqrt(2 * M_PI));
  EXPECT_TRUE(AnyNear(image, px, peak, 2, [](QColor c) { return IsBlack(c) || IsBlue(c); }));

  // Flat limits and empty curves still draw.
  SpectrumPlot flat;
  flat.mode = SpectrumMode::Pdf;
  flat.curves = {SpectrumCurve{}};
  flat.x_min = flat.x_max = 1.0;
  flat.y_min = flat.y_max = 0.0;
  SpectrumPlotResult rf;
  EXPECT_EQ(DecodePng(SpectrumPlotPng(flat, 300, 200, &rf)).size(), QSize(300, 200));
  EXPECT_TRUE(std::isfinite(rf.x_scale) && std::isfinite(rf.y_scale));
}

}  // namespace
}  // namespace tarmac
