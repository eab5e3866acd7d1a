#include "render/level_plot.h"

#include <QFontMetricsF>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "common/number_format.h"
#include "common/rounding.h"
#include "render/paint_support.h"

namespace tarmac {

double LevelValueFactor(int level, std::string_view kind, const Units& units) {
  if (kind == "Speed" || kind == "Other") return 1.0;
  switch (level) {
    case 0: return units.CmFactor;
    case 1: return units.MmFactor;
    case 2: return 1.0;
    case 3: return units.RoughnessFactor;
    case 4: return units.MmFactor;
    case 5: return units.MmFactor;
    default: return 1.0;
  }
}

std::string LevelPlotTitle(int level, const std::string& caller_title, const Units& units,
                           double edge_used_ft) {
  switch (level) {
    case 1:
      return "Straightedge," + units.ElevationLabel + ",Edgelength = " +
             FormatNumber(edge_used_ft * units.LengthFactor, "0.0") + units.LengthLabel;
    case 2: return "Boeing Bump Index";
    case 3: return "IRI(1/4 Car)" + std::string(", Rectified Slope,") + units.RoughnessLabel;
    case 4: return "CA Profilograph" + std::string(",") + units.RoughnessLabel;
    case 5: return "BandPass Filter" + std::string(",") + units.ElevationLabel;
    default: return caller_title;
  }
}

LevelPlot MakeLevelPlot(int level, std::string_view kind, const std::string& title,
                        std::vector<float> values, double step_ft, int first, int last,
                        const Units& units, bool redraw) {
  LevelPlot plot;
  plot.values = std::move(values);
  plot.level = level;
  plot.first = first;
  plot.last = last;
  plot.step_ft = step_ft;
  plot.length_factor = units.LengthFactor;
  plot.value_factor = LevelValueFactor(level, kind, units);
  plot.title = title;
  plot.axis_label = units.AxisLabel;
  plot.redraw = redraw;
  return plot;
}

LevelPlot MakeResponsePlot(int level, const std::string& title, std::vector<float> values,
                           double step_ft, int first, int last, const Units& units, bool redraw) {
  LevelPlot plot = MakeLevelPlot(level, "", title, std::move(values), step_ft, first, last, units,
                                 redraw);
  plot.value_factor = 1.0;
  return plot;
}

int LevelPlotResult::SampleAt(double plot_x, int n) const {
  if (n < 1) return 0;
  if (!(s > 0.0) || !std::isfinite(plot_x)) return 1;
  // The same rule as the two-click selection: the nearest sample to x / s, halves to even.
  const double k = std::clamp(plot_x / s, 1.0, static_cast<double>(n));
  return CLng(k);
}

namespace {

// The sample range and value range the plotter works with; the arithmetic and its single
// precision storage follow the program's plotter so recorded extremes match digit for digit.
struct Ranges {
  LevelPlotResult r;
  bool empty = true;
};

Ranges ComputeRanges(const LevelPlot& plot) {
  Ranges out;
  LevelPlotResult& r = out.r;
  const int n = static_cast<int>(plot.values.size());
  const double step = plot.step_ft * plot.length_factor;  // display length units per sample
  r.scale = 1.0 / 100.0;
  r.s = r.scale * step;
  const double x0 = r.s * (plot.first - 1);
  const double w = r.s * (plot.last - plot.first);
  if (r.s > 0.0 && std::isfinite(r.s)) {
    r.i1 = CLng(x0 / r.s + 1);
    r.i2 = CLng((x0 + w) / r.s + 1);
  } else {
    // No usable spacing: the range is the one asked for, all samples at distance 0.
    r.s = 0.0;
    r.i1 = plot.first;
    r.i2 = plot.last;
  }
  r.i2 = std::min(r.i2, n);
  r.i1 = std::max(r.i1, 1);
  out.empty = r.i1 > r.i2;
  r.x_start = static_cast<float>(x0);
  r.x_end = static_cast<float>(r.s * (r.i2 - 1));
  if (out.empty) r.x_end = r.x_start;

  if (plot.redraw) {
    float ymax = -1000000.0f;
    float ymin = 1000000.0f;
    for (int i = r.i1; i <= r.i2; ++i) {
      const float v = plot.values[static_cast<std::size_t>(i - 1)];
      if (!std::isfinite(v)) continue;  // a lost reading must not stretch the scale to infinity
      if (v > ymax) ymax = v;
      if (v < ymin) ymin = v;
    }
    if (ymax < ymin) {  // nothing (or nothing finite) to range over
      ymax = 0.0f;
      ymin = 0.0f;
    }
    r.y_max = static_cast<float>(ymax * plot.value_factor);
    r.y_min = static_cast<float>(ymin * plot.value_factor);
  } else {
    r.y_max = plot.kept_y_max;
    r.y_min = plot.kept_y_min;
  }
  if (r.y_max == r.y_min) r.y_max = static_cast<float>(r.y_min + 0.01);
  return out;
}

void DrawSeries(QPainter& painter, const LevelPlot& plot, const LevelPlotResult& r) {
  // Min/max per pixel column: every extreme of the series reaches its pixel (a single spike among
  // a hundred thousand samples stays visible) while at most four points per column are drawn.
  QPolygonF line;
  line.reserve(static_cast<int>(std::min<double>(4.0 * r.px_width + 8.0, r.i2 - r.i1 + 2.0)));
  struct Pt {
    int i;
    double x;
    float v;
  };
  bool open = false;
  int column = 0;
  Pt first{}, last{}, lo{}, hi{};
  auto to_point = [&](const Pt& p) { return QPointF(p.x, r.ToPixelY(p.v)); };
  auto flush_column = [&]() {
    if (!open) return;
    Pt pts[4] = {first, lo, hi, last};
    std::sort(pts, pts + 4, [](const Pt& a, const Pt& b) { return a.i < b.i; });
    int previous = -1;
    for (const Pt& p : pts) {
      if (p.i == previous) continue;
      previous = p.i;
      line << to_point(p);
    }
    open = false;
  };
  auto flush_line = [&]() {
    flush_column();
    if (line.size() == 1) {
      painter.drawPoint(line.front());
    } else if (line.size() > 1) {
      painter.drawPolyline(line);
    }
    line.clear();
  };
  for (int i = r.i1; i <= r.i2; ++i) {
    const float v = static_cast<float>(plot.values[static_cast<std::size_t>(i - 1)] * plot.value_factor);
    if (!std::isfinite(v)) {
      flush_line();  // a gap in the series is left as a gap
      continue;
    }
    // Sample i sits at s x i, where a click turns back into sample i (see SampleAt).
    const double x = r.ToPixelX(r.s * i);
    const int c = Int(x);
    const Pt p{i, x, v};
    if (open && c == column) {
      last = p;
      if (v < lo.v) lo = p;
      if (v > hi.v) hi = p;
    } else {
      flush_column();
      open = true;
      column = c;
      first = last = lo = hi = p;
    }
  }
  flush_line();
}

}  // namespace

LevelPlotResult RenderLevelPlot(QPainter& painter, const QRect& area, const LevelPlot& plot) {
  paint::EnsureGuiApplication();
  Ranges ranges = ComputeRanges(plot);
  LevelPlotResult& r = ranges.r;

  // Plot window in plot units, with the program's margins around the plotted ranges.
  double dx = static_cast<double>(r.x_end) - r.x_start;
  if (!(dx > 0.0)) dx = r.s > 0.0 ? r.s : 1.0;  // a single sample still gets a window
  double dy = static_cast<double>(r.y_max) - r.y_min;
  if (!(dy > 0.0)) dy = std::max(0.01, std::fabs(static_cast<double>(r.y_min)) * 1e-6);
  r.left = r.x_start - 0.04 * dx;
  r.right = r.x_end + 0.01 * dx;
  r.top = r.y_max + 0.1 * dy;
  r.bottom = r.y_min - 0.1 * dy;

  const QRectF box(area);
  painter.save();
  painter.setClipRect(box);
  painter.fillRect(box, Qt::white);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);

  const double h = box.height();
  QFont title_font = paint::PlotFont(false, paint::FontPixels(h, 0.048, 11, 20), true);
  const QFont label_font = paint::PlotFont(false, paint::FontPixels(h, 0.036, 9, 15));
  {
    // A long title (an aircraft response on a narrow panel) is set smaller rather than clipped.
    const double room = 0.9 * box.width();
    const double wide = QFontMetricsF(title_font).horizontalAdvance(paint::ToQString(plot.title));
    if (wide > room && room > 0.0)
      title_font.setPixelSize(std::max(8, static_cast<int>(title_font.pixelSize() * room / wide)));
  }
  const QString top_label = QString::fromStdString(FormatNumber(r.y_max, ".0000"));
  const QString bottom_label = QString::fromStdString(FormatNumber(r.y_min, ".0000"));
  const QString caption = paint::ToQString(plot.axis_label);
  const QFontMetricsF label_metrics(label_font);
  const QFontMetricsF title_metrics(title_font);

  // Bands around the plot window: the value labels on the left, the title above, the distance
  // caption below, so no text sits on the curve whatever the size of the picture.
  const double pad = std::max(3.0, h * 0.012);
  double left_band = std::max(label_metrics.horizontalAdvance(top_label),
                              label_metrics.horizontalAdvance(bottom_label)) + 2.0 * pad;
  if (!plot.value_label.empty()) left_band += label_metrics.height() + pad;
  const double top_band = plot.title.empty() ? pad : title_metrics.height() + 1.5 * pad;
  const double bottom_band = caption.isEmpty() ? pad : label_metrics.height() + 1.5 * pad;
  QRectF window(box.left() + left_band, box.top() + top_band,
                std::max(1.0, box.width() - left_band - 2.0 * pad),
                std::max(1.0, h - top_band - bottom_band));
  r.px_left = window.left();
  r.px_top = window.top();
  r.px_width = window.width();
  r.px_height = window.height();

  // Frame and light guides at the value labels.
  painter.setPen(QPen(paint::kGrid, 1.0));
  painter.drawRect(window);
  painter.drawLine(QPointF(window.left(), r.ToPixelY(r.y_max)), QPointF(window.right(), r.ToPixelY(r.y_max)));
  painter.drawLine(QPointF(window.left(), r.ToPixelY(r.y_min)), QPointF(window.right(), r.ToPixelY(r.y_min)));

  // Distance axis through the middle of the value range, with a tick every 10 units (1000 display
  // length units) and every unit (100 display length units); ticks packed tighter than a few
  // pixels would only blacken the axis and are left out.
  const double ym = (static_cast<double>(r.y_max) + r.y_min) / 2.0;
  const double axis_y = r.ToPixelY(ym);
  const double px_per_unit = r.px_width / (r.right - r.left);
  painter.setPen(QPen(paint::kInk, std::max(1.0, h / 500.0)));
  painter.drawLine(QPointF(r.ToPixelX(r.x_start), axis_y), QPointF(r.ToPixelX(r.x_end), axis_y));
  auto ticks = [&](double every, double height_share) {
    if (px_per_unit * every < 3.0) return;
    const double tick_px = height_share * dy / (r.top - r.bottom) * r.px_height;
    for (int k = 1;; ++k) {
      const double x = r.x_start + every * k;
      if (!(x < r.x_end)) break;
      const double px = r.ToPixelX(x);
      painter.drawLine(QPointF(px, axis_y), QPointF(px, axis_y - tick_px));
    }
  };
  ticks(10.0, 0.1);
  ticks(1.0, 0.06);

  painter.setFont(label_font);
  painter.setPen(paint::kInk);
  const double label_right = window.left() - pad;
  paint::DrawAnchoredText(painter, top_label, label_right, r.ToPixelY(r.y_max), 1, 0, box);
  paint::DrawAnchoredText(painter, bottom_label, label_right, r.ToPixelY(r.y_min), 1, 0, box);
  if (!plot.value_label.empty()) {
    paint::DrawVerticalText(painter, paint::ToQString(plot.value_label),
                            box.left() + pad + label_metrics.height() / 2.0, window.center().y());
  }
  if (!caption.isEmpty()) {
    paint::DrawAnchoredText(painter, caption, window.center().x(), box.bottom() - pad / 2.0, 0, 1, box);
  }
  if (!plot.title.empty()) {
    painter.setFont(title_font);
    paint::DrawAnchoredText(painter, paint::ToQString(plot.title), window.center().x(),
                            box.top() + pad, 0, -1, box);
  }

  // Red line at value 0 when the value range holds it.
  if (r.y_min <= 0.0f && 0.0f <= r.y_max) {
    r.zero_line = true;
    painter.setPen(QPen(paint::kZeroLine, std::max(1.5, h / 400.0)));
    const double y0 = r.ToPixelY(0.0);
    painter.drawLine(QPointF(r.ToPixelX(r.x_start), y0), QPointF(r.ToPixelX(r.x_end), y0));
  }

  if (!ranges.empty) {
    painter.setClipRect(window.adjusted(-1, -1, 1, 1));
    QPen pen(paint::kCurve, 1.0);
    pen.setCosmetic(true);  // the fast antialiased path: thousands of short strokes per picture
    painter.setPen(pen);
    DrawSeries(painter, plot, r);
  }
  // The distance labels sit on the axis, inside the curve's band: drawn last, on a white ground,
  // so that the curve never hides them.
  painter.setClipRect(box);
  painter.setFont(label_font);
  painter.setPen(paint::kInk);
  const double dist_label_y = r.ToPixelY(ym - 0.05 * dy);
  paint::DrawAnchoredText(painter, QString::fromStdString(FormatNumber(r.x_start, "0.000")),
                          r.ToPixelX(r.x_start), dist_label_y, 0, -1, window, true);
  if (r.x_end > r.x_start) {
    paint::DrawAnchoredText(painter, QString::fromStdString(FormatNumber(r.x_end, "0.000")),
                            r.ToPixelX(r.x_end), dist_label_y, 0, -1, window, true);
  }
  painter.restore();
  return r;
}

std::vector<unsigned char> LevelPlotPng(const LevelPlot& plot, int width, int height,
                                        LevelPlotResult* result) {
  return paint::RenderPng(width, height, result, [&](QPainter& painter, const QRect& rect) {
    return RenderLevelPlot(painter, rect, plot);
  });
}

}  // namespace tarmac
