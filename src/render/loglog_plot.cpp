#include "render/loglog_plot.h"

#include <QFontMetricsF>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "render/axis_ticks.h"

namespace tarmac {

double LogLogPlotResult::ToPixelX(double x) const {
  return px_left + (std::log10(x) - x_first_decade) / (x_last_decade - x_first_decade) * px_width;
}

double LogLogPlotResult::ToPixelY(double y) const {
  return px_top + (y_last_decade - std::log10(y)) / (y_last_decade - y_first_decade) * px_height;
}

namespace {

// The whole decades around the positive values of a series; 10^0..10^1 when there are none.
void DecadeRange(const std::vector<double>& v, int& first, int& last) {
  double lo = INFINITY, hi = 0.0;
  for (double x : v) {
    if (!(x > 0.0) || !std::isfinite(x)) continue;
    lo = std::min(lo, x);
    hi = std::max(hi, x);
  }
  if (!(hi > 0.0)) {
    first = 0;
    last = 1;
    return;
  }
  const std::vector<int> decades = DecadeTicks(lo, hi);
  first = std::min(decades.front(), static_cast<int>(std::floor(std::log10(lo) + 1e-9)));
  last = std::max(decades.back(), static_cast<int>(std::ceil(std::log10(hi) - 1e-9)));
  if (last <= first) last = first + 1;
}

}  // namespace

LogLogPlotResult RenderLogLogPlot(QPainter& painter, const QRect& area, const LogLogPlot& plot) {
  paint::EnsureGuiApplication();
  LogLogPlotResult r;
  const std::size_t n = std::min(plot.x.size(), plot.y.size());
  std::vector<double> xs(plot.x.begin(), plot.x.begin() + static_cast<std::ptrdiff_t>(n));
  std::vector<double> ys(plot.y.begin(), plot.y.begin() + static_cast<std::ptrdiff_t>(n));
  // Only points with both coordinates positive can be shown; the ranges are theirs.
  for (std::size_t i = 0; i < n; ++i) {
    if (!(xs[i] > 0.0) || !(ys[i] > 0.0)) xs[i] = ys[i] = 0.0;
  }
  DecadeRange(xs, r.x_first_decade, r.x_last_decade);
  DecadeRange(ys, r.y_first_decade, r.y_last_decade);

  const QRectF box(area);
  const double h = box.height();
  painter.save();
  painter.setClipRect(box);
  painter.fillRect(box, Qt::white);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  const QFont title_font = paint::PlotFont(false, paint::FontPixels(h, 0.045, 12, 20), true);
  const QFont label_font = paint::PlotFont(false, paint::FontPixels(h, 0.036, 11, 15));
  const QFontMetricsF title_m(title_font), label_m(label_font);
  const double pad = std::max(4.0, 0.012 * h);
  const double tick_len = std::max(3.0, 0.012 * h);

  double y_label_w = 0.0;
  for (int e = r.y_first_decade; e <= r.y_last_decade; ++e)
    y_label_w = std::max(y_label_w, label_m.horizontalAdvance(QString::fromStdString(DecadeLabel(e))));
  const double last_x_label_w =
      label_m.horizontalAdvance(QString::fromStdString(DecadeLabel(r.x_last_decade)));
  const double left_band = pad + label_m.height() + pad + y_label_w + pad / 2.0 + tick_len;
  const double right_band = std::max(2.0 * pad, last_x_label_w / 2.0 + pad);
  const double top_band = pad + title_m.height() + pad;
  const double bottom_band = tick_len + 2.0 * label_m.height() + 1.5 * pad;
  const QRectF window(box.left() + left_band, box.top() + top_band,
                      std::max(1.0, box.width() - left_band - right_band),
                      std::max(1.0, h - top_band - bottom_band));
  r.px_left = window.left();
  r.px_top = window.top();
  r.px_width = window.width();
  r.px_height = window.height();

  // Grid: each decade in grey, its 2..9 multiples lighter where they are far enough apart.
  const QColor minor(240, 240, 240);
  const double x_decade_px = r.px_width / (r.x_last_decade - r.x_first_decade);
  const double y_decade_px = r.px_height / (r.y_last_decade - r.y_first_decade);
  for (int e = r.x_first_decade; e < r.x_last_decade; ++e) {
    if (x_decade_px < 40.0) break;
    painter.setPen(QPen(minor, 1.0));
    for (int k = 2; k <= 9; ++k) {
      const double px = r.ToPixelX(k * std::pow(10.0, e));
      painter.drawLine(QPointF(px, window.top()), QPointF(px, window.bottom()));
    }
  }
  for (int e = r.y_first_decade; e < r.y_last_decade; ++e) {
    if (y_decade_px < 40.0) break;
    painter.setPen(QPen(minor, 1.0));
    for (int k = 2; k <= 9; ++k) {
      const double py = r.ToPixelY(k * std::pow(10.0, e));
      painter.drawLine(QPointF(window.left(), py), QPointF(window.right(), py));
    }
  }
  // Decade labels, thinned to every second or third decade when they would crowd.
  painter.setFont(label_font);
  const int x_every = std::max(1, static_cast<int>(std::ceil((last_x_label_w + 2.0 * pad) / x_decade_px)));
  const int y_every = std::max(1, static_cast<int>(std::ceil(label_m.height() * 1.1 / y_decade_px)));
  for (int e = r.x_first_decade; e <= r.x_last_decade; ++e) {
    const double px = r.ToPixelX(std::pow(10.0, e));
    painter.setPen(QPen(paint::kGrid, 1.0));
    painter.drawLine(QPointF(px, window.top()), QPointF(px, window.bottom()));
    painter.setPen(QPen(paint::kInk, 1.0));
    painter.drawLine(QPointF(px, window.bottom()), QPointF(px, window.bottom() + tick_len));
    if ((e - r.x_first_decade) % x_every == 0)
      paint::DrawAnchoredText(painter, QString::fromStdString(DecadeLabel(e)), px, window.bottom() + tick_len, 0, -1, box);
  }
  for (int e = r.y_first_decade; e <= r.y_last_decade; ++e) {
    const double py = r.ToPixelY(std::pow(10.0, e));
    painter.setPen(QPen(paint::kGrid, 1.0));
    painter.drawLine(QPointF(window.left(), py), QPointF(window.right(), py));
    painter.setPen(QPen(paint::kInk, 1.0));
    painter.drawLine(QPointF(window.left() - tick_len, py), QPointF(window.left(), py));
    if ((e - r.y_first_decade) % y_every == 0)
      paint::DrawAnchoredText(painter, QString::fromStdString(DecadeLabel(e)), window.left() - tick_len - pad / 2.0, py, 1, 0, box);
  }
  painter.setPen(QPen(paint::kFrame, 1.0));
  painter.drawRect(window);

  painter.setPen(paint::kInk);
  paint::DrawAnchoredText(painter, paint::ToQString(plot.x_title), window.center().x(), box.bottom() - pad / 2.0, 0, 1, box);
  paint::DrawVerticalText(painter, paint::ToQString(plot.y_title), box.left() + pad + label_m.height() / 2.0, window.center().y());
  painter.setFont(title_font);
  paint::DrawAnchoredText(painter, paint::ToQString(plot.title), window.center().x(), box.top() + pad, 0, -1, box);

  // The curve; a point that cannot be shown breaks it.
  painter.setClipRect(window.adjusted(-1, -1, 1, 1));
  QPen pen(paint::kCurve, std::max(1.0, 0.9 * paint::DeviceScale(painter)));
  pen.setCosmetic(true);
  painter.setPen(pen);
  QPolygonF line;
  auto flush = [&]() {
    if (line.size() == 1) painter.drawPoint(line.front());
    if (line.size() > 1) painter.drawPolyline(line);
    line.clear();
  };
  for (std::size_t i = 0; i < n; ++i) {
    if (!(xs[i] > 0.0) || !std::isfinite(xs[i]) || !std::isfinite(ys[i])) {
      flush();
      continue;
    }
    line << QPointF(r.ToPixelX(xs[i]), r.ToPixelY(ys[i]));
  }
  flush();
  painter.restore();
  return r;
}

std::vector<unsigned char> LogLogPlotPng(const LogLogPlot& plot, int width, int height, LogLogPlotResult* result) {
  return paint::RenderPng(width, height, result, [&](QPainter& painter, const QRect& rect) {
    return RenderLogLogPlot(painter, rect, plot);
  });
}

std::vector<unsigned char> LogLogPlotPrintPng(const LogLogPlot& plot, const paint::PrintSize& size,
                                              LogLogPlotResult* result) {
  return paint::RenderPrintPng(size, result, [&](QPainter& painter, const QRect& rect) {
    return RenderLogLogPlot(painter, rect, plot);
  });
}

}  // namespace tarmac
