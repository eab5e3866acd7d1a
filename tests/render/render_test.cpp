#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "common/units.h"
#include "render/index_chart.h"
#include "render/level_plot.h"
#include "render/prob_dist_plot.h"
#include "render/spectrum_plot.h"

namespace tarmac {
namespace {

QImage DecodePng(const std::vector<unsigned char>& png) {
  return QImage::fromData(png.data(), static_cast<int>(png.size()), "PNG");
}
bool IsRed(QColor c) { return c.red() > 200 && c.green() < 110 && c.blue() < 110; }
bool IsDark(QColor c) { return c.red() + c.green() + c.blue() < 3 * 170; }
bool IsBlack(QColor c) { return c.red() < 90 && c.green() < 90 && c.blue() < 90; }
bool IsBlue(QColor c) { return c.blue() > 150 && c.red() < 110 && c.green() < 110; }
bool IsBar(QColor c) {
  return std::abs(c.red() - 52) < 30 && std::abs(c.green() - 101) < 30 &&
         std::abs(c.blue() - 164) < 30;
}

// True when a pixel within `radius` of (x, y) satisfies the predicate.
template <class Pred>
bool AnyNear(const QImage& image, double x, double y, int radius, Pred pred) {
  const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
  for (int py = std::max(0, cy - radius); py <= std::min(image.height() - 1, cy + radius); ++py) {
    for (int px = std::max(0, cx - radius); px <= std::min(image.width() - 1, cx + radius); ++px) {
      if (pred(image.pixelColor(px, py))) return true;
    }
  }
  return false;
}

template <class Pred>
int CountPixels(const QImage& image, Pred pred) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += pred(image.pixelColor(x, y));
  }
  return count;
}

const Units us = MakeUnits(false);
const Units si = MakeUnits(true);

TEST(LevelPlot, DisplayFactorsAndTitlesFollowTheUnitsAndTheKindOfSeries) {
  EXPECT_EQ(LevelValueFactor(0, "ZProfile", si), si.CmFactor);
  EXPECT_EQ(LevelValueFactor(4, "CA Profilograph", si), si.MmFactor);
  EXPECT_EQ(LevelValueFactor(2, "Boeing Bump Index", si), 1.0);
  // In/mile to m/km for the IRI slope: 100 in/mile is about 1.58 m/km, never 8331.
  EXPECT_NEAR(100.0 * LevelValueFactor(3, "IRI (1/4 Car)", si), 1.5778787, 1e-9);
  EXPECT_EQ(LevelValueFactor(1, "Speed", si), 1.0);  // stored in m/s already
  EXPECT_EQ(LevelPlotTitle(1, "x", us, 12.0), "Straightedge,inch,Edgelength = 12.0ft");
  EXPECT_EQ(LevelPlotTitle(1, "x", si, 12.0), "Straightedge,mm,Edgelength = 3.7m");
  EXPECT_EQ(LevelPlotTitle(3, "x", us, 12.0), "IRI(1/4 Car), Rectified Slope,inch/mile");
  EXPECT_EQ(LevelPlotTitle(4, "x", si, 12.0), "CA Profilograph,m/km");
}

TEST(LevelPlot, RangesInDisplayUnitsWithoutTouchingTheSeries) {
  std::vector<float> z = {0.0f, 1.0f, -0.5f, 0.25f, 0.0f};
  LevelPlot plot = MakeLevelPlot(0, "ZProfile", "ZProfile,T,cm", z, 10.0, 1, 5, si);
  LevelPlotResult r;
  LevelPlotPng(plot, 800, 300, &r);
  EXPECT_EQ(r.y_max, static_cast<float>(1.0f * 2.54));  // 1 inch drawn as 2.54 cm
  EXPECT_EQ(r.y_min, static_cast<float>(-0.5f * 2.54));
  EXPECT_EQ(plot.values, z);
  // Four spacings of 10 ft are 12.192 m, i.e. 0.12192 hundreds of metres.
  EXPECT_FLOAT_EQ(r.x_end, static_cast<float>(0.01 * (10.0 * si.LengthFactor) * 4));
  EXPECT_EQ(plot.axis_label, "Hundreds of Meters");
  EXPECT_NEAR(r.left, r.x_start - 0.04 * (r.x_end - r.x_start), 1e-9);
  EXPECT_NEAR(r.top, r.y_max + 0.1 * (double(r.y_max) - r.y_min), 1e-6);
  EXPECT_EQ(r.SampleAt(r.s * 2.5, 5), 2);  // halves to even, as the selection rounds
  EXPECT_EQ(r.SampleAt(r.s * 3.5, 5), 4);
  EXPECT_EQ(r.SampleAt(99.0, 5), 5);
}

TEST(LevelPlot, SampleRangeIsLimitedAndAZoomKeepsItsValueRange) {
  std::vector<float> z(1000);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = static_cast<float>(i % 100) / 10.0f;
  LevelPlotResult r;
  LevelPlotPng(MakeLevelPlot(0, "ZProfile", "", z, 0.5, 101, 5000, us), 600, 200, &r);
  EXPECT_EQ(r.i2, 1000);
  EXPECT_FLOAT_EQ(r.x_start, static_cast<float>(0.005 * 100));
  EXPECT_EQ(r.y_max, 9.9f);
  // Zoom without redraw: the stretch 5..15 holds only 0.4..1.4, yet the last redraw's range stays.
  LevelPlot zoom = MakeLevelPlot(0, "ZProfile", "", z, 0.5, 5, 15, us, false);
  zoom.kept_y_max = r.y_max;
  zoom.kept_y_min = r.y_min;
  LevelPlotResult rz;
  LevelPlotPng(zoom, 600, 200, &rz);
  EXPECT_EQ(rz.i1, 5);
  EXPECT_EQ(rz.y_max, 9.9f);
  EXPECT_EQ(rz.y_min, 0.0f);
}

TEST(LevelPlot, DegenerateSeriesDrawWithAFiniteRange) {
  LevelPlotResult r;
  LevelPlotPng(MakeLevelPlot(2, "", "", std::vector<float>(500, 0.75f), 0.5, 1, 500, us), 400, 150,
               &r);
  EXPECT_EQ(r.y_max, static_cast<float>(0.75f + 0.01));  // a constant gets 0.01 above its value
  for (const std::vector<float>& series : {std::vector<float>{1.5f}, std::vector<float>{}}) {
    const auto n = static_cast<int>(series.size());
    LevelPlotPng(MakeLevelPlot(0, "", "", series, 0.5, 1, n, us), 300, 120, &r);
    EXPECT_TRUE(std::isfinite(r.y_max) && std::isfinite(r.y_min) && r.y_max > r.y_min);
  }
  // Only finite readings set the range.
  LevelPlotPng(MakeLevelPlot(0, "", "", {1.0f, NAN, 2.0f, INFINITY, 0.5f}, 0.5, 1, 5, us), 300,
               120, &r);
  EXPECT_EQ(r.y_max, 2.0f);
  EXPECT_EQ(r.y_min, 0.5f);
}

TEST(LevelPlot, ZeroLineIsRedAtTheHeightOfZero) {
  std::vector<float> z(400, 2.0f);
  z[0] = -1.0f;
  z[1] = 3.0f;  // range -1..3: the distance axis lies at 1, zero a quarter up
  LevelPlotResult r;
  const QImage image =
      DecodePng(LevelPlotPng(MakeLevelPlot(5, "", "", z, 1.0, 1, 400, us), 800, 400, &r));
  for (double x : {0.3, 0.8}) {
    const double px = r.ToPixelX(r.x_start + x * (r.x_end - r.x_start));
    EXPECT_TRUE(AnyNear(image, px, r.ToPixelY(0.0), 1, IsRed)) << x;
    EXPECT_FALSE(AnyNear(image, px, r.ToPixelY(0.5), 2, IsRed)) << x;
    EXPECT_TRUE(AnyNear(image, px, r.ToPixelY(2.0), 1, IsDark)) << x;  // the series
  }
  const QImage above = DecodePng(LevelPlotPng(
      MakeLevelPlot(5, "", "", std::vector<float>{1.0f, 2.0f, 1.5f}, 1.0, 1, 3, us), 800, 400, &r));
  EXPECT_EQ(CountPixels(above, IsRed), 0);
}

TEST(LevelPlot, DecimationKeepsASingleSpike) {
  const int n = 120000;
  for (int spike : {1, 60000, 87654, n}) {
    for (float sign : {1.0f, -1.0f}) {
      std::vector<float> z(n, 0.0f);
      z[static_cast<std::size_t>(spike - 1)] = sign;
      z[static_cast<std::size_t>(spike == 1 ? n - 1 : 0)] = -sign * 0.2f;  // keep zero inside
      LevelPlotResult r;
      const QImage image =
          DecodePng(LevelPlotPng(MakeLevelPlot(4, "", "", z, 0.082, 1, n, us), 1600, 500, &r));
      const double px = r.ToPixelX(r.s * (spike - 1));
      EXPECT_TRUE(AnyNear(image, px, r.ToPixelY(sign), 1, IsDark)) << spike << " " << sign;
      EXPECT_TRUE(AnyNear(image, px, r.ToPixelY(sign * 0.5), 1, IsDark)) << spike;  // the stroke
    }
  }
}

TEST(ProbDistPlot, MappingCurveAndReadout) {
  ProbDistPlot plot{{}, 1.6, "Boeing Bump Index", "Index Value"};
  for (int j = 1; j <= 100; ++j) plot.cdf.push_back(float(1 - std::exp(-j / 20.0) * (1 - j / 1e2)));
  ProbDistPlotResult r;
  const QImage image = DecodePng(ProbDistPlotPng(plot, 1000, 500, &r));
  // Frame from (140, 445), 760 px across to XMAX and 395 px up to 1: J = 50 lies at x = 0.8.
  EXPECT_TRUE(AnyNear(image, 140.0 + 0.8 * 760.0 / 1.6, 445.0 - 395.0 * plot.cdf[49], 1, IsDark));
  EXPECT_TRUE(AnyNear(image, 900.0, 50.0, 1, IsDark));
  const ProbDistReadout at = ReadProbDist(r, 140.0 + 0.5 * 760 / 1.6, 445.0 - 0.25 * 395, " in");
  EXPECT_EQ(at.x_text, "x= 0.500 in");
  EXPECT_EQ(at.p_text, "P(x<=0.500)= 25.000 %");
  // Every value zero: the axis still spans a unit and nothing is infinite.
  ProbDistPlotPng({std::vector<float>(100, 1.0f), 0.0, "Straightedge", "mm"}, 400, 300, &r);
  EXPECT_TRUE(std::isfinite(r.x_scale) && r.x_scale > 0);
}

TEST(IndexChart, TitlesOfTheRowsInBothUnitSystems) {
  IndexChartTextInputs in;
  in.aircraft_type = "B-727";
  in.graph_title = "ZProfile  RWY09";
  in.total = 0.5;
  in.index_chart_title = "ZProfile  RWY09,  Boeing Mean(Total Length) = 0.1234";
  in.averaging_distance_ft = 1000;
  in.ca_section_length_ft = 500;
  auto texts = [&](int row, const Units& u) {
    in.row = row;
    return ComposeIndexChartTexts(in, u);
  };
  EXPECT_EQ(texts(1, si).value_axis_title, "Straightedge Deviation(mm)");
  EXPECT_EQ(texts(2, us).title, in.index_chart_title);
  EXPECT_EQ(texts(3, si).value_axis_title, "IRI, m/Km");
  EXPECT_EQ(texts(5, us).value_axis_title, "CA Profilograph PI(in/mile)");
  EXPECT_EQ(texts(6, us).value_axis_title, "B-727 CG rms Acceleration, G");
  EXPECT_EQ(texts(6, us).title, "ZProfile  RWY09, RMS(Total Length) = 0.5000");
  EXPECT_EQ(texts(8, us).title, "ZProfile  RWY09,  RMS(Total Length) = .5000");
  in.aircraft_type = "B-747";
  EXPECT_EQ(texts(9, us).value_axis_title, "B-747 Front Main Gear Dyn-coeff");
  // Section lengths in display units, the profilograph with its own section length.
  EXPECT_EQ(texts(6, si).section_axis_title, "Section 304.8(m)");
  EXPECT_EQ(texts(5, si).section_axis_title, "Section 152.4(m)");
}

TEST(IndexChart, ColumnHeightsFollowTheValues) {
  IndexChartTextInputs in;
  in.row = 2;
  in.index_chart_title = "ZProfile  RWY09,  Boeing Mean(Total Length) = 0.3100";
  const std::vector<double> values{1.0, 2.0, 4.0, 0.25};
  IndexChartResult r;
  const QImage image = DecodePng(IndexChartPng(MakeIndexChart(in, us, values), 1000, 500, &r));
  EXPECT_EQ(r.axis_min, 0.0);  // columns of positive values stand on the bottom of the chart
  for (int i = 1; i <= 4; ++i) {
    for (double level : {0.2, 0.9, 1.5, 1.9, 3.0, 3.9}) {
      const QColor c = image.pixelColor(int(r.BarCenterX(i)), int(r.ToPixelY(level)));
      EXPECT_EQ(IsBar(c), level < values[static_cast<std::size_t>(i - 1)]) << i << " at " << level;
    }
  }
  // A row that has not been computed: no columns, but the frame and titles.
  const QImage none = DecodePng(IndexChartPng(MakeIndexChart(in, si, {}), 800, 400));
  EXPECT_EQ(CountPixels(none, IsBar), 0);
  EXPECT_GT(CountPixels(none, IsDark), 200);
}

TEST(SpectrumPlot, PsdMappingAndFrequencyMarkers) {
  const double dt = 0.0820209973753 * 10 / 58.0;
  SpectrumPlot plot;
  plot.dt = dt;
  SpectrumCurve c;
  for (int j = 1; j <= 2048; ++j) {
    c.x.push_back((j - 1) / 4096.0 / dt);
    c.y.push_back(j == 1 ? -std::numeric_limits<double>::infinity()  // a bin without power
                         : 4.0 - 2.0 * std::log10(1.0 + c.x.back()) + 0.3 * std::sin(j * 0.05));
  }
  plot.x_min = c.x.front();
  plot.x_max = c.x.back();
  plot.y_min = *std::min_element(c.y.begin() + 1, c.y.end());
  plot.y_max = *std::max_element(c.y.begin(), c.y.end());
  plot.curves.push_back(c);
  SpectrumPlotResult r;
  const QImage image = DecodePng(SpectrumPlotPng(plot, 1000, 600, &r));
  // A point lands where the frame puts it: 900 wide from x = 50, 450 high up from 85 % down.
  const double px = 50.0 + 900.0 / (plot.x_max - plot.x_min) * (c.x[700] - plot.x_min);
  const double py = 0.85 * 600 - 450.0 / (plot.y_max - plot.y_min) * (c.y[700] - plot.y_min);
  EXPECT_TRUE(AnyNear(image, px, py, 1, IsBlack));
  // Clicks on or left of the vertical axis are refused; the frame's right end is Nyquist.
  EXPECT_FALSE(MarkerFrequency(r, 50.0).has_value());
  EXPECT_DOUBLE_EQ(MarkerFrequency(r, 950.0).value(), 0.5 / dt);
  EXPECT_DOUBLE_EQ(MarkerFrequency(r, 500.0).value(), 0.25 / dt);
  QImage marked = image.copy();
  {
    QPainter painter(&marked);
    DrawFrequencyMarker(painter, r, 1, 500.0, 300.0, *MarkerFrequency(r, 500.0));
  }
  EXPECT_GT(CountPixels(marked, IsBlue), CountPixels(image, IsBlue));
}

TEST(SpectrumPlot, DensityWithNormalCurveOverlay) {
  SpectrumPlot plot;
  plot.mode = SpectrumMode::Pdf;
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
  plot.x_min = -3.2, plot.x_max = 3.2, plot.y_min = 0.0, plot.y_max = 0.47;
  plot.curves = {normal, estimate};
  const QImage image = DecodePng(SpectrumPlotPng(plot, 900, 600));
  EXPECT_GT(CountPixels(image, IsBlue), 300);  // the estimate is drawn over in blue
  // The normal density's peak at 0 sigma: x = 0.05 W + (0 - XMIN) XSCALE.
  const double peak = 0.85 * 600 - 450.0 / 0.47 * (1.0 / std::sqrt(2 * M_PI));
  EXPECT_TRUE(AnyNear(image, 45.0 + 810.0 / 6.4 * 3.2, peak, 2,
                      [](QColor c) { return IsBlack(c) || IsBlue(c); }));
}

}  // namespace
}  // namespace tarmac
