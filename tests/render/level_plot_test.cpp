#include "render/level_plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "common/units.h"
#include "render_test_support.h"

namespace tarmac {
namespace {

using testing::AnyNear;
using testing::CountPixels;
using testing::DecodePng;
using testing::IsDark;
using testing::IsRed;

constexpr double kSpacingFt = 0.08202099737532809;

// A runway-like profile in inches: long waves, a short bump and a little texture.
std::vector<float> SyntheticProfile(int n) {
  std::mt19937 rng(7);
  std::normal_distribution<double> texture(0.0, 0.01);
  std::vector<float> z(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double x = i * kSpacingFt;
    double v = 0.6 * std::sin(2 * M_PI * x / 2500.0) + 0.15 * std::sin(2 * M_PI * x / 180.0) +
               texture(rng);
    if (x > 6200 && x < 6240) v += 0.5 * std::sin(M_PI * (x - 6200) / 40.0);
    z[static_cast<std::size_t>(i)] = static_cast<float>(v);
  }
  return z;
}

TEST(LevelPlot, DisplayFactorsFollowTheUnitsAndTheKindOfSeries) {
  const Units us = MakeUnits(false);
  const Units si = MakeUnits(true);
  for (int level = 0; level <= 6; ++level) {
    EXPECT_EQ(LevelValueFactor(level, "", us), 1.0) << level;
  }
  EXPECT_EQ(LevelValueFactor(0, "ZProfile", si), si.CmFactor);
  EXPECT_EQ(LevelValueFactor(1, "Straightedge", si), si.MmFactor);
  EXPECT_EQ(LevelValueFactor(2, "Boeing Bump Index", si), 1.0);
  // In/mile to m/km for the IRI slope: 100 in/mile is about 1.58 m/km, never 8331.
  EXPECT_NEAR(100.0 * LevelValueFactor(3, "IRI (1/4 Car)", si), 1.5778787, 1e-9);
  EXPECT_EQ(LevelValueFactor(4, "CA Profilograph", si), si.MmFactor);
  EXPECT_EQ(LevelValueFactor(5, "Bandpass Filter", si), si.MmFactor);
  // Speed is stored in m/s already; the filter test's impulse response has no unit.
  EXPECT_EQ(LevelValueFactor(1, "Speed", si), 1.0);
  EXPECT_EQ(LevelValueFactor(4, "Other", si), 1.0);
}

TEST(LevelPlot, IndexLevelTitles) {
  const Units us = MakeUnits(false);
  const Units si = MakeUnits(true);
  EXPECT_EQ(LevelPlotTitle(1, "x", us, 12.0), "Straightedge,inch,Edgelength = 12.0ft");
  EXPECT_EQ(LevelPlotTitle(1, "x", si, 12.0), "Straightedge,mm,Edgelength = 3.7m");
  EXPECT_EQ(LevelPlotTitle(2, "x", si, 12.0), "Boeing Bump Index");
  EXPECT_EQ(LevelPlotTitle(3, "x", us, 12.0), "IRI(1/4 Car), Rectified Slope,inch/mile");
  EXPECT_EQ(LevelPlotTitle(4, "x", si, 12.0), "CA Profilograph,m/km");
  EXPECT_EQ(LevelPlotTitle(5, "x", us, 12.0), "BandPass Filter,inch");
  EXPECT_EQ(LevelPlotTitle(0, "ZProfile,R09,inch", us, 12.0), "ZProfile,R09,inch");
}

TEST(LevelPlot, RangesInDisplayUnitsWithoutTouchingTheSeries) {
  const Units si = MakeUnits(true);
  std::vector<float> z = {0.0f, 1.0f, -0.5f, 0.25f, 0.0f};
  LevelPlot plot = MakeLevelPlot(0, "ZProfile", "ZProfile,T,cm", z, 10.0, 1, 5, si);
  LevelPlotResult r;
  const auto png = LevelPlotPng(plot, 800, 300, &r);
  ASSERT_FALSE(png.empty());
  // 1 inch is drawn as 2.54 cm, and the series handed in is unchanged.
  EXPECT_EQ(r.y_max, static_cast<float>(1.0f * 2.54));
  EXPECT_EQ(r.y_min, static_cast<float>(-0.5f * 2.54));
  EXPECT_EQ(plot.values, z);
  // Four spacings of 10 ft are 12.192 m, i.e. 0.12192 hundreds of metres.
  EXPECT_EQ(r.scale, 0.01);
  EXPECT_EQ(r.x_start, 0.0f);
  EXPECT_FLOAT_EQ(r.x_end, static_cast<float>(0.01 * (10.0 * si.LengthFactor) * 4));
  EXPECT_EQ(plot.axis_label, "Hundreds of Meters");
  EXPECT_EQ(MakeLevelPlot(0, "ZProfile", "", z, 10.0, 1, 5, MakeUnits(false)).axis_label,
            "Hundreds of Feet");
  // The plot window carries the margins around the plotted ranges.
  const double dx = r.x_end - r.x_start, dy = static_cast<double>(r.y_max) - r.y_min;
  EXPECT_NEAR(r.left, r.x_start - 0.04 * dx, 1e-9);
  EXPECT_NEAR(r.right, r.x_end + 0.01 * dx, 1e-9);
  EXPECT_NEAR(r.top, r.y_max + 0.1 * dy, 1e-6);
  EXPECT_NEAR(r.bottom, r.y_min - 0.1 * dy, 1e-6);
  // Pixels and plot units convert both ways, and a distance finds its sample.
  EXPECT_NEAR(r.ToPlotX(r.ToPixelX(0.07)), 0.07, 1e-12);
  EXPECT_NEAR(r.ToPlotY(r.ToPixelY(-0.3)), -0.3, 1e-12);
  EXPECT_EQ(r.SampleAt(r.s * 2.4, 5), 2);
  EXPECT_EQ(r.SampleAt(r.s * 2.5, 5), 2);  // halves to even, as the selection rounds
  EXPECT_EQ(r.SampleAt(r.s * 3.5, 5), 4);
  EXPECT_EQ(r.SampleAt(-1.0, 5), 1);
  EXPECT_EQ(r.SampleAt(99.0, 5), 5);
}

TEST(LevelPlot, SampleRangeIsLimitedAndAZoomKeepsItsValueRange) {
  const Units us = MakeUnits(false);
  std::vector<float> z(1000);
  for (int i = 0; i < 1000; ++i) z[static_cast<std::size_t>(i)] = static_cast<float>(i % 100) / 10.0f;
  LevelPlotResult r;
  LevelPlotPng(MakeLevelPlot(0, "ZProfile", "", z, 0.5, 101, 5000, us), 600, 200, &r);
  EXPECT_EQ(r.i1, 101);
  EXPECT_EQ(r.i2, 1000);
  EXPECT_FLOAT_EQ(r.x_start, static_cast<float>(0.005 * 100));
  EXPECT_FLOAT_EQ(r.x_end, static_cast<float>(0.005 * 999));
  EXPECT_EQ(r.y_max, 9.9f);
  EXPECT_EQ(r.y_min, 0.0f);

  // Zoom without redraw: the stretch 5..15 holds only 0.4..1.4, yet the range of the last
  // redraw stays.
  LevelPlot zoom = MakeLevelPlot(0, "ZProfile", "", z, 0.5, 5, 15, us, false);
  zoom.kept_y_max = r.y_max;
  zoom.kept_y_min = r.y_min;
  LevelPlotResult rz;
  LevelPlotPng(zoom, 600, 200, &rz);
  EXPECT_EQ(rz.i1, 5);
  EXPECT_EQ(rz.i2, 15);
  EXPECT_EQ(rz.y_max, 9.9f);
  EXPECT_EQ(rz.y_min, 0.0f);
}

TEST(LevelPlot, DegenerateSeriesDrawWithoutFault) {
  const Units us = MakeUnits(false);
  // A constant series gets a value range of 0.01 above its value.
  LevelPlotResult r;
  auto png = LevelPlotPng(MakeLevelPlot(2, "", "const", std::vector<float>(500, 0.75f), 0.5, 1, 500, us),
                          400, 150, &r);
  EXPECT_EQ(r.y_min, 0.75f);
  EXPECT_EQ(r.y_max, static_cast<float>(0.75f + 0.01));
  EXPECT_EQ(DecodePng(png).size(), QSize(400, 150));
  // One sample, no samples, no spacing, a reading that is not a number: a picture, no fault.
  for (const std::vector<float>& series : {std::vector<float>{1.5f}, std::vector<float>{}}) {
    LevelPlotResult ro;
    png = LevelPlotPng(MakeLevelPlot(0, "", "odd", series, 0.5, 1, static_cast<int>(series.size()), us),
                       300, 120, &ro);
    const QImage image = DecodePng(png);
    EXPECT_EQ(image.size(), QSize(300, 120));
    EXPECT_TRUE(std::isfinite(ro.y_max) && std::isfinite(ro.y_min));
    EXPECT_GT(ro.y_max, ro.y_min);
  }
  LevelPlotResult rs;
  LevelPlotPng(MakeLevelPlot(0, "", "no step", {1.0f, 2.0f}, 0.0, 1, 2, us), 300, 120, &rs);
  EXPECT_EQ(rs.i2, 2);
  // Finite values only set the range; the infinite reading is left out of the scale.
  LevelPlotResult rn;
  png = LevelPlotPng(MakeLevelPlot(0, "", "", {1.0f, NAN, 2.0f, INFINITY, 0.5f}, 0.5, 1, 5, us), 300, 120, &rn);
  EXPECT_EQ(DecodePng(png).size(), QSize(300, 120));
  EXPECT_EQ(rn.y_max, 2.0f);
  EXPECT_EQ(rn.y_min, 0.5f);
}

TEST(LevelPlot, ZeroLineIsRedAtTheHeightOfZero) {
  const Units us = MakeUnits(false);
  std::vector<float> z(400, 2.0f);
  z[0] = -1.0f;
  z[1] = 3.0f;  // range -1..3: the distance axis lies at 1, zero a quarter up
  LevelPlotResult r;
  const QImage image = DecodePng(LevelPlotPng(MakeLevelPlot(5, "", "z", z, 1.0, 1, 400, us), 800, 400, &r));
  ASSERT_TRUE(r.zero_line);
  const double y0 = r.ToPixelY(0.0);
  for (double x : {0.3, 0.5, 0.8}) {
    const double px = r.ToPixelX(r.x_start + x * (r.x_end - r.x_start));
    EXPECT_TRUE(AnyNear(image, px, y0, 1, IsRed)) << x;
    EXPECT_FALSE(AnyNear(image, px, r.ToPixelY(-0.5), 2, IsRed)) << x;
    EXPECT_FALSE(AnyNear(image, px, r.ToPixelY(0.5), 2, IsRed)) << x;
    // The series (at 2) is drawn there.
    EXPECT_TRUE(AnyNear(image, px, r.ToPixelY(2.0), 1, IsDark)) << x;
  }
  // A series entirely above zero has no red line anywhere.
  LevelPlotResult above;
  const QImage clean = DecodePng(LevelPlotPng(
      MakeLevelPlot(5, "", "z", std::vector<float>{1.0f, 2.0f, 1.5f}, 1.0, 1, 3, us), 800, 400, &above));
  EXPECT_FALSE(above.zero_line);
  EXPECT_EQ(CountPixels(clean, IsRed), 0);
}

TEST(LevelPlot, DecimationKeepsASingleSpike) {
  const Units us = MakeUnits(false);
  const int n = 120000;
  for (int spike : {1, 59999, 60000, 87654, n}) {
    for (float sign : {1.0f, -1.0f}) {
      std::vector<float> z(n, 0.0f);
      z[static_cast<std::size_t>(spike - 1)] = sign;
      z[static_cast<std::size_t>(spike == 1 ? n - 1 : 0)] = -sign * 0.2f;  // keep zero inside
      LevelPlotResult r;
      const QImage image =
          DecodePng(LevelPlotPng(MakeLevelPlot(4, "", "", z, kSpacingFt, 1, n, us), 1600, 500, &r));
      const double px = r.ToPixelX(r.s * (spike - 1));
      EXPECT_TRUE(AnyNear(image, px, r.ToPixelY(sign), 1, IsDark)) << spike << " " << sign;
      // Half-way to the spike's tip the vertical stroke is there too.
      EXPECT_TRUE(AnyNear(image, px, r.ToPixelY(sign * 0.5), 1, IsDark)) << spike;
    }
  }
}

TEST(LevelPlot, SampleProfilesInBothUnitSystems) {
  const std::vector<float> z = SyntheticProfile(122000);
  for (bool metric : {false, true}) {
    const Units u = MakeUnits(metric);
    const auto png = LevelPlotPng(
        MakeLevelPlot(0, "ZProfile", "ZProfile,RWY09L" + u.ElevationSuffix, z, kSpacingFt, 1,
                      static_cast<int>(z.size()), u),
        1600, 500);
    const QImage image = DecodePng(png);
    ASSERT_EQ(image.size(), QSize(1600, 500));
    // Ink covers a real share of the picture but far from all of it.
    const int dark = CountPixels(image, IsDark);
    EXPECT_GT(dark, 1600 * 5);
    EXPECT_LT(dark, 1600 * 500 / 3);
    testing::KeepSample(metric ? "profile_metric.png" : "profile_us.png", png);
    testing::KeepSample(metric ? "profile_metric_panel.png" : "profile_us_panel.png",
                        LevelPlotPng(MakeLevelPlot(0, "ZProfile", "ZProfile,RWY09L" + u.ElevationSuffix,
                                                   z, kSpacingFt, 20000, 32000, u),
                                     700, 180));
  }
}

}  // namespace
}  // namespace tarmac
