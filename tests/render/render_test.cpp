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
#include "render/loglog_plot.h"
#include "render/session_plots.h"
#include "render/spectrum_plot.h"
#include "workflow/session.h"
#include "workflow/session_access.h"
#include "workflow/test_support.h"

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

// A level drawn the way the program draws it: the session records the level's ranges, the plot
// sink describes the level from them, and the render layer draws that description.
struct DrawnLevel {
  testing::RecordingPrompts prompts;
  RenderPlotSink sink;
  Session session{prompts, &sink};

  DrawnLevel(bool metric, int level, const std::string& kind, std::vector<float> values, double step_ft) {
    session.SetMetric(metric);
    PlotLevel& l = SessionTestAccess::Model(session).levels.at(static_cast<std::size_t>(level));
    l.data = std::move(values);
    l.step_ft = step_ft;
    l.kind = kind;
  }
  const PlotLevel& level(int k) const { return session.model().levels.at(static_cast<std::size_t>(k)); }
  LevelPlot Describe(int k) const { return DescribeDrawnLevel(level(k), k, session.model().units); }
};

TEST(LevelPlot, TitlesFollowTheUnits) {
  EXPECT_EQ(LevelPlotTitle(1, "x", us, 12.0), "Straightedge,inch,Edgelength = 12.0ft");
  EXPECT_EQ(LevelPlotTitle(1, "x", si, 12.0), "Straightedge,mm,Edgelength = 3.7m");
  EXPECT_EQ(LevelPlotTitle(3, "x", us, 12.0), "IRI(1/4 Car), Rectified Slope,inch/mile");
  EXPECT_EQ(LevelPlotTitle(4, "x", si, 12.0), "CA Profilograph,m/km");
}

TEST(LevelPlot, DrawnRangesAreTheSessionsInDisplayUnits) {
  const std::vector<float> z = {0.0f, 1.0f, -0.5f, 0.25f, 0.0f};
  DrawnLevel d(true, 0, "ZProfile", z, 10.0);
  d.session.ShowLevelPlot(0, "ZProfile,T,cm", 1, 5, true);
  const LevelPlot plot = d.Describe(0);
  LevelPlotResult r;
  LevelPlotPng(plot, 800, 300, &r);
  EXPECT_EQ(r.y_max, static_cast<float>(1.0f * 2.54));  // 1 inch drawn as 2.54 cm
  EXPECT_EQ(r.y_min, static_cast<float>(-0.5f * 2.54));
  EXPECT_EQ(r.y_max, d.session.model().plotted_profile_max);
  EXPECT_EQ(d.level(0).data, z);  // the stored profile stays in inches
  EXPECT_EQ(plot.value_label, "cm");
  // Four spacings of 10 ft are 12.192 m, i.e. 0.12192 hundreds of metres.
  EXPECT_FLOAT_EQ(r.x_end, static_cast<float>(0.01 * (10.0 * si.LengthFactor) * 4));
  EXPECT_EQ(r.x_end, d.level(0).plot_x_end);
  EXPECT_EQ(plot.axis_label, "Hundreds of Meters");
  EXPECT_NEAR(r.left, r.x_start - 0.04 * (r.x_end - r.x_start), 1e-9);
  EXPECT_NEAR(r.top, r.y_max + 0.1 * (double(r.y_max) - r.y_min), 1e-6);
  EXPECT_EQ(r.SampleAt(r.s * 2.5, 5), 2);  // halves to even, as the selection rounds
  EXPECT_EQ(r.SampleAt(r.s * 3.5, 5), 4);
  EXPECT_EQ(r.SampleAt(99.0, 5), 5);

  // A measured speed is held in ft/s and shown in m/s: the picture's range is the one the batch
  // report records as the plotted speed maximum.
  DrawnLevel speed(true, 1, "Speed", {20.0f, 30.0f, 25.0f}, 1.0);
  speed.session.ShowLevelPlot(1, "Speed", 1, 3, true);
  speed.sink.LevelPicture(speed.session.model(), 1);
  LevelPlotPng(speed.Describe(1), 600, 200, &r);
  EXPECT_FLOAT_EQ(r.y_max, static_cast<float>(30.0 * si.LengthFactor));
  EXPECT_EQ(r.y_max, speed.session.model().plotted_speed_max);
  EXPECT_EQ(speed.Describe(1).value_label, "m/s");

  // An aircraft response is drawn as stored, in g.
  DrawnLevel response(false, 1, "B-727", {0.05f, -0.02f, 0.01f}, 2.0);
  response.session.ShowResponsePlot(1, "B-727 (VUG=100 knots ), G cg", 1, 3, true);
  LevelPlotPng(response.Describe(1), 600, 200, &r);
  EXPECT_EQ(r.y_max, 0.05f);
  EXPECT_EQ(response.Describe(1).value_label, "g");
}

TEST(LevelPlot, SampleRangeIsLimitedAndAZoomKeepsItsValueRange) {
  std::vector<float> z(1000);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = static_cast<float>(i % 100) / 10.0f;
  DrawnLevel d(false, 0, "ZProfile", z, 0.5);
  d.session.ShowLevelPlot(0, "", 101, 5000, true);
  LevelPlotResult r;
  LevelPlotPng(d.Describe(0), 600, 200, &r);
  EXPECT_EQ(r.i1, 101);
  EXPECT_EQ(r.i2, 1000);
  EXPECT_FLOAT_EQ(r.x_start, static_cast<float>(0.005 * 100));
  EXPECT_EQ(r.y_max, 9.9f);
  // Zoom without redraw: the stretch 5..15 holds only 0.4..1.4, yet the last redraw's range stays.
  d.session.ShowLevelPlot(0, "", 5, 15, false);
  LevelPlotResult rz;
  LevelPlotPng(d.Describe(0), 600, 200, &rz);
  EXPECT_EQ(rz.i1, 5);
  EXPECT_EQ(rz.i2, 15);
  EXPECT_EQ(rz.y_max, 9.9f);
  EXPECT_EQ(rz.y_min, 0.0f);
}

TEST(LevelPlot, DegenerateSeriesDrawWithAFiniteRange) {
  DrawnLevel flat(false, 2, "Boeing Bump Index", std::vector<float>(500, 0.75f), 0.5);
  flat.session.ShowLevelPlot(2, "", 1, 500, true);
  LevelPlotResult r;
  LevelPlotPng(flat.Describe(2), 400, 150, &r);
  EXPECT_EQ(r.y_max, 0.75f + 0.01f);  // a constant gets 0.01 above its value
  EXPECT_EQ(r.y_min, 0.75f);
  // Only finite readings set the range, in the session's record as in the picture.
  DrawnLevel lost(false, 0, "ZProfile", {1.0f, NAN, 2.0f, INFINITY, 0.5f}, 0.5);
  lost.session.ShowLevelPlot(0, "", 1, 5, true);
  LevelPlotPng(lost.Describe(0), 300, 120, &r);
  EXPECT_EQ(r.y_max, 2.0f);
  EXPECT_EQ(r.y_min, 0.5f);
  EXPECT_EQ(lost.session.model().plotted_profile_max, 2.0f);
  // A single sample, and a detail that is no level of the model, fitted by the same rule.
  LevelPlot one;
  one.values = {1.5f};
  one.last = 1;
  one.step_ft = 0.5;
  FitValueRange(one);
  LevelPlotPng(one, 300, 120, &r);
  EXPECT_TRUE(std::isfinite(r.left) && std::isfinite(r.right) && r.right > r.left);
  EXPECT_EQ(r.y_max, 1.5f + 0.01f);
}

TEST(LevelPlot, ZeroLineRedGridLightAndNoRulerAcrossTheData) {
  std::vector<float> z(400, 2.0f);
  z[0] = -1.0f;
  z[1] = 3.0f;  // range -1..3: zero a quarter up, the middle of the range at 1
  DrawnLevel d(false, 5, "BandPass", z, 1.0);
  d.session.ShowLevelPlot(5, "BandPass Filter,inch", 1, 400, true);
  LevelPlotResult r;
  const QImage image = DecodePng(LevelPlotPng(d.Describe(5), 800, 400, &r));
  for (double x : {0.3, 0.55, 0.8}) {
    const double px = r.ToPixelX(r.x_start + x * (r.x_end - r.x_start));
    EXPECT_TRUE(AnyNear(image, px, r.ToPixelY(0.0), 1, IsRed)) << x;
    EXPECT_FALSE(AnyNear(image, px, r.ToPixelY(0.5), 2, IsRed)) << x;
    EXPECT_TRUE(AnyNear(image, px, r.ToPixelY(2.0), 1, IsDark)) << x;  // the series
    // Nothing dark at the middle of the value range: no axis line or tick ruler through the data.
    EXPECT_FALSE(AnyNear(image, px, r.ToPixelY(1.25), 2, IsDark)) << x;
  }
  // Grid lines at round values: 0.5 steps over -1.4..3.4, light grey across the window.
  const auto is_grid = [](QColor c) { return c.red() > 200 && c.red() < 245 && c.red() == c.blue(); };
  EXPECT_TRUE(AnyNear(image, r.ToPixelX(r.x_start + 0.45 * (r.x_end - r.x_start)), r.ToPixelY(1.5), 0, is_grid));
  // Text stays inside the picture: its outermost pixels are blank.
  for (int y = 0; y < image.height(); ++y) {
    EXPECT_FALSE(IsDark(image.pixelColor(0, y)) || IsDark(image.pixelColor(image.width() - 1, y))) << y;
  }
  DrawnLevel above(false, 5, "BandPass", {1.0f, 2.0f, 1.5f}, 1.0);
  above.session.ShowLevelPlot(5, "", 1, 3, true);
  EXPECT_EQ(CountPixels(DecodePng(LevelPlotPng(above.Describe(5), 800, 400, &r)), IsRed), 0);
}

TEST(LevelPlot, DecimationKeepsASingleSpikeOnScreenAndInPrint) {
  const int n = 120000;
  for (int spike : {1, 60000, 87654, n}) {
    for (float sign : {1.0f, -1.0f}) {
      std::vector<float> z(n, 0.0f);
      z[static_cast<std::size_t>(spike - 1)] = sign;
      z[static_cast<std::size_t>(spike == 1 ? n - 1 : 0)] = -sign * 0.2f;  // keep zero inside
      DrawnLevel d(false, 4, "CA Profilograph", std::move(z), 0.082);
      d.session.ShowLevelPlot(4, "", 1, n, true);
      LevelPlotResult r;
      const QImage image = DecodePng(LevelPlotPng(d.Describe(4), 1600, 500, &r));
      const double px = r.ToPixelX(r.s * (spike - 1));
      EXPECT_TRUE(AnyNear(image, px, r.ToPixelY(sign), 1, IsDark)) << spike << " " << sign;
      EXPECT_TRUE(AnyNear(image, px, r.ToPixelY(sign * 0.5), 1, IsDark)) << spike;  // the stroke
      if (spike != 87654) continue;
      // The printed picture maps the layout onto 300 dpi: 300/96 device pixels per layout pixel.
      const QImage print = DecodePng(LevelPlotPrintPng(d.Describe(4), paint::PrintSize{}, &r));
      const double k = 300.0 / 96.0;
      EXPECT_TRUE(AnyNear(print, k * r.ToPixelX(r.s * (spike - 1)), k * r.ToPixelY(sign), 2, IsDark)) << sign;
    }
  }
}

TEST(LevelPlot, DocumentPicturesAreDrawnAtTheirPrintedSize) {
  std::vector<float> z(3000);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = static_cast<float>(std::sin(i * 0.01));
  for (bool metric : {false, true}) {
    DrawnLevel d(metric, 0, "ZProfile", z, 0.25);
    d.session.ShowLevelPlot(0, "ZProfile  sample", 1, 3000, true);
    const QImage image = DecodePng(d.sink.LevelPicture(d.session.model(), 0));
    // Letter text width 6.5 in, A4 6.3 in (160 mm), at 300 dpi, with the resolution stated.
    EXPECT_EQ(image.width(), metric ? 1890 : 1950);
    EXPECT_EQ(image.height(), static_cast<int>(RenderPlotSink::kLevelHeightIn * 300 + 0.5));
    EXPECT_EQ(image.dotsPerMeterX(), 11811);
    EXPECT_EQ(image.dotsPerMeterY(), 11811);
  }
  RenderPlotSink narrow;
  narrow.print_width_in = 4.0;
  narrow.print_dpi = 150;
  const QImage chart = DecodePng(narrow.ChartPicture(ChartRequest{}, ProfileModel{}));
  EXPECT_EQ(chart.width(), 600);
  EXPECT_EQ(chart.height(), static_cast<int>(RenderPlotSink::kChartHeightIn * 150 + 0.5));
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

TEST(LogLogPlot, DecadesAndPointsOnLogarithmicAxes) {
  LogLogPlot plot;
  plot.title = "Profile PSD against wavenumber";
  for (int i = 1; i <= 400; ++i) {
    const double k = 0.002 * i;  // 0.002 .. 0.8 cycles per foot
    plot.x.push_back(k);
    plot.y.push_back(i == 100 ? 0.0 : 1e-6 * std::pow(k, -2.0));  // one bin without power
  }
  LogLogPlotResult r;
  const QImage image = DecodePng(LogLogPlotPng(plot, 900, 600, &r));
  EXPECT_EQ(r.x_first_decade, -3);
  EXPECT_EQ(r.x_last_decade, 0);
  EXPECT_EQ(r.y_first_decade, -6);  // 1.6e-6 .. 0.25: the zero is left out of the range
  EXPECT_EQ(r.y_last_decade, 0);
  // A decade is the same length everywhere: k = 0.01 lies a third of the way from 10^-3 to 10^0.
  EXPECT_NEAR(r.ToPixelX(0.01), r.px_left + r.px_width / 3.0, 1e-9);
  for (double k : {0.004, 0.05, 0.6}) {
    EXPECT_TRUE(AnyNear(image, r.ToPixelX(k), r.ToPixelY(1e-6 / (k * k)), 1, IsDark)) << k;
  }
}

}  // namespace
}  // namespace tarmac
