#include "render/level_plot.h"

#include <QFontMetricsF>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "common/number_format.h"
#include "common/rounding.h"
#include "render/axis_ticks.h"
#include "render/paint_support.h"
#include "workflow/plot_range.h"

namespace tarmac {

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

void FitValueRange(LevelPlot& plot) {
  const PlotRange r = ComputePlotRange(plot.values, plot.step_ft * plot.length_factor, plot.first,
                                       plot.last, plot.value_factor);
  plot.y_min = r.y_min;
  plot.y_max = r.y_max;
  WidenFlatRange(plot.y_min, plot.y_max);
}

int LevelPlotResult::SampleAt(double plot_x, int n) const {
  if (n < 1) return 0;
  if (!(s > 0.0) || !std::isfinite(plot_x)) return 1;
  // The same rule as the two-click selection: the nearest sample to x / s, halves to even.
  const double k = std::clamp(plot_x / s, 1.0, static_cast<double>(n));
  return CLng(k);
}

namespace {

// The samples drawn and the plotted distance range, from the range the session recorded.
struct Ranges {
  LevelPlotResult r;
  bool empty = true;
};

Ranges ComputeRanges(const LevelPlot& plot) {
  Ranges out;
  LevelPlotResult& r = out.r;
  const double step = plot.step_ft * plot.length_factor;  // display length units per sample
  r.scale = 1.0 / 100.0;
  r.s = std::isfinite(step) && step > 0.0 ? r.scale * step : 0.0;  // no spacing: all at 0
  const int n = static_cast<int>(plot.values.size());
  r.i1 = std::max(plot.first, 1);
  r.i2 = std::min(plot.last, n);
  out.empty = r.i1 > r.i2;
  r.x_start = static_cast<float>(r.s * (r.i1 - 1));
  r.x_end = out.empty ? r.x_start : static_cast<float>(r.s * (r.i2 - 1));
  r.y_max = plot.y_max;
  r.y_min = plot.y_min;
  WidenFlatRange(r.y_min, r.y_max);
  return out;
}

void DrawSeries(QPainter& painter, const LevelPlot& plot, const LevelPlotResult& r) {
  // Min/max per pixel column: every extreme of the series reaches its pixel (a single spike among
  // a hundred thousand samples stays visible) while at most four points per column are drawn.
  // Columns of device pixels: a printed picture keeps its full resolution.
  const double device = paint::DeviceScale(painter);
  QPolygonF line;
  line.reserve(static_cast<int>(std::min<double>(4.0 * r.px_width * device + 8.0, r.i2 - r.i1 + 2.0)));
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
    const int c = Int(x * device);
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
  QFont title_font = paint::PlotFont(false, paint::FontPixels(h, 0.05, 12, 20), true);
  const QFont label_font = paint::PlotFont(false, paint::FontPixels(h, 0.04, 11, 15));
  const QFontMetricsF label_metrics(label_font);
  const double pad = std::max(3.0, h * 0.012);
  const double tick_len = std::max(3.0, h * 0.012);
  {
    // A long title (an aircraft response on a narrow panel) is set smaller, down to the smallest
    // readable size, rather than clipped.
    const double room = box.width() - 2.0 * pad;
    const double wide = QFontMetricsF(title_font).horizontalAdvance(paint::ToQString(plot.title));
    if (wide > room && room > 0.0)
      title_font.setPixelSize(std::max(static_cast<int>(paint::kMinTextPixels),
                                       static_cast<int>(title_font.pixelSize() * room / wide)));
  }
  const QFontMetricsF title_metrics(title_font);

  // Round ticks: the values over the whole window, the distances over the samples shown.
  const AxisTicks y_ticks = ChooseTicks(r.bottom, r.top);
  const AxisTicks x_ticks = ChooseTicks(r.x_start, ranges.empty || r.x_end > r.x_start ? r.x_end : r.x_start + dx);
  std::vector<QString> y_labels, x_labels;
  double y_label_w = 0.0, x_label_w = 0.0;
  for (double v : y_ticks.values) {
    y_labels.push_back(QString::fromStdString(TickLabel(v, y_ticks.decimals)));
    y_label_w = std::max(y_label_w, label_metrics.horizontalAdvance(y_labels.back()));
  }
  for (double v : x_ticks.values) {
    x_labels.push_back(QString::fromStdString(TickLabel(v, x_ticks.decimals)));
    x_label_w = std::max(x_label_w, label_metrics.horizontalAdvance(x_labels.back()));
  }
  const QString caption = paint::ToQString(plot.axis_label);
  const QString unit = paint::ToQString(plot.value_label);

  // Bands around the plot window hold every text, so nothing is written over the curve: the value
  // unit and tick values on the left, the title above, the distance values and caption below.
  const double left_band = pad + (unit.isEmpty() ? 0.0 : label_metrics.height() + pad) + y_label_w + pad + tick_len;
  const double right_band = std::max(2.0 * pad, x_label_w / 2.0 + pad);
  const double top_band = plot.title.empty() ? 2.0 * pad : title_metrics.height() + 1.5 * pad;
  const double bottom_band = tick_len + label_metrics.height() + (caption.isEmpty() ? 0.0 : label_metrics.height()) + 1.5 * pad;
  const QRectF window(box.left() + left_band, box.top() + top_band,
                      std::max(1.0, box.width() - left_band - right_band),
                      std::max(1.0, h - top_band - bottom_band));
  r.px_left = window.left();
  r.px_top = window.top();
  r.px_width = window.width();
  r.px_height = window.height();

  // Light grid at the ticks, then the frame.
  painter.setPen(QPen(paint::kGrid, 1.0));
  for (double v : y_ticks.values) {
    const double y = r.ToPixelY(v);
    painter.drawLine(QPointF(window.left(), y), QPointF(window.right(), y));
  }
  for (double x : x_ticks.values) {
    const double px = r.ToPixelX(x);
    if (px < window.left() - 0.5 || px > window.right() + 0.5) continue;
    painter.drawLine(QPointF(px, window.top()), QPointF(px, window.bottom()));
  }
  painter.setPen(QPen(paint::kFrame, 1.0));
  painter.drawRect(window);

  // Tick marks outside the frame and their values; where the labels would touch, every second
  // (or fifth...) one is written.
  painter.setFont(label_font);
  auto every = [](double room_per_tick, double need) {
    for (int k : {1, 2, 5, 10}) {
      if (room_per_tick * k >= need) return k;
    }
    return 20;
  };
  const double y_room = y_ticks.values.size() > 1 ? std::fabs(r.ToPixelY(y_ticks.step) - r.ToPixelY(0.0)) : h;
  const int y_every = every(y_room, label_metrics.height() * 1.1);
  for (std::size_t k = 0; k < y_ticks.values.size(); ++k) {
    const double y = r.ToPixelY(y_ticks.values[k]);
    painter.setPen(QPen(paint::kInk, 1.0));
    painter.drawLine(QPointF(window.left() - tick_len, y), QPointF(window.left(), y));
    const long long multiple = std::llround(y_ticks.values[k] / y_ticks.step);
    if (multiple % y_every != 0) continue;
    paint::DrawAnchoredText(painter, y_labels[k], window.left() - tick_len - pad / 2.0, y, 1, 0, box);
  }
  const double x_room = std::fabs(r.ToPixelX(x_ticks.step) - r.ToPixelX(0.0));
  const int x_every = every(x_room, x_label_w + 2.0 * pad);
  for (std::size_t k = 0; k < x_ticks.values.size(); ++k) {
    const double px = r.ToPixelX(x_ticks.values[k]);
    if (px < window.left() - 0.5 || px > window.right() + 0.5) continue;
    painter.setPen(QPen(paint::kInk, 1.0));
    painter.drawLine(QPointF(px, window.bottom()), QPointF(px, window.bottom() + tick_len));
    const long long multiple = std::llround(x_ticks.values[k] / x_ticks.step);
    if (multiple % x_every != 0) continue;
    paint::DrawAnchoredText(painter, x_labels[k], px, window.bottom() + tick_len, 0, -1, box);
  }
  if (!unit.isEmpty()) {
    paint::DrawVerticalText(painter, unit, box.left() + pad + label_metrics.height() / 2.0, window.center().y());
  }
  if (!caption.isEmpty()) {
    paint::DrawAnchoredText(painter, caption, window.center().x(), box.bottom() - pad / 2.0, 0, 1, box);
  }
  if (!plot.title.empty()) {
    painter.setFont(title_font);
    paint::DrawAnchoredText(painter, paint::ToQString(plot.title), window.center().x(), box.top() + pad, 0, -1, box);
  }

  // Red line at value 0 when the value range holds it.
  painter.setClipRect(window);
  if (r.y_min <= 0.0f && 0.0f <= r.y_max) {
    r.zero_line = true;
    painter.setPen(QPen(paint::kZeroLine, 1.5));
    const double y0 = r.ToPixelY(0.0);
    painter.drawLine(QPointF(r.ToPixelX(r.x_start), y0), QPointF(r.ToPixelX(r.x_end), y0));
  }

  if (!ranges.empty) {
    painter.setClipRect(window.adjusted(-1, -1, 1, 1));
    // A hairline of about a quarter of a millimetre on paper, one pixel on a screen: the fast
    // antialiased path, as a long profile is thousands of short strokes. At print resolution
    // the curve is drawn without antialiasing: at 300 dpi its steps are finer than the eye
    // resolves, and a wide antialiased pen doubles the time of a report's pictures.
    const double device = paint::DeviceScale(painter);
    QPen pen(paint::kCurve, std::max(1.0, 0.9 * device));
    pen.setCosmetic(true);
    painter.setPen(pen);
    if (device >= 2.5) painter.setRenderHint(QPainter::Antialiasing, false);
    DrawSeries(painter, plot, r);
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

std::vector<unsigned char> LevelPlotPrintPng(const LevelPlot& plot, const paint::PrintSize& size,
                                             LevelPlotResult* result) {
  return paint::RenderPrintPng(size, result, [&](QPainter& painter, const QRect& rect) {
    return RenderLevelPlot(painter, rect, plot);
  });
}

}  // namespace tarmac
