#include "render/prob_dist_plot.h"

#include <QFontMetricsF>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "common/number_format.h"
#include "common/rounding.h"
#include "render/paint_support.h"

namespace tarmac {

namespace {

// The smallest of 1, 2, 5, 10, 20, 50, ... ticks that puts at least `min_px` between marks.
int ThinOut(double px_per_tick, double min_px) {
  static const int kSteps[] = {1, 2, 5};
  for (int decade = 1; decade <= 1000000; decade *= 10) {
    for (int step : kSteps) {
      if (px_per_tick * step * decade >= min_px) return step * decade;
    }
  }
  return 10000000;
}

}  // namespace

ProbDistPlotResult RenderProbDistPlot(QPainter& painter, const QRect& area, const ProbDistPlot& plot) {
  paint::EnsureGuiApplication();
  const QRectF box(area);
  const double L = box.left(), T = box.top(), W = box.width(), H = box.height();
  ProbDistPlotResult r;
  r.y_origin = T + 0.89 * H;
  r.x_origin = L + 0.14 * W;
  // All values zero (a perfectly even stretch) or nothing at all: the axis still spans one unit.
  const bool usable = std::isfinite(plot.x_max) && plot.x_max > 0.0;
  const double x_span = usable ? plot.x_max : 1.0;
  r.x_scale = (L + 0.9 * W - r.x_origin) / x_span;
  r.y_scale = (T + 0.1 * H - r.y_origin) / 1.0;
  auto px = [&](double x) { return r.x_origin + x * r.x_scale; };
  auto py = [&](double p) { return r.y_origin + p * r.y_scale; };

  painter.save();
  painter.setClipRect(box);
  painter.fillRect(box, Qt::white);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  const QFont text_font = paint::PlotFont(false, paint::FontPixels(H, 0.034, 9, 15));
  const QFont title_font = paint::PlotFont(false, paint::FontPixels(H, 0.04, 10, 17), true);
  const QFontMetricsF metrics(text_font);
  painter.setFont(text_font);

  // Light grid every tenth of the fraction, with its values.
  const double x_end = L + 0.9 * W;
  const double y_top = T + 0.1 * H;
  for (int k = 0; k <= 10; ++k) {
    const double y = py(k / 10.0);
    if (k > 0) {
      painter.setPen(QPen(paint::kGrid, 1.0));
      painter.drawLine(QPointF(r.x_origin, y), QPointF(x_end, y));
    }
    painter.setPen(QPen(paint::kInk, 1.0));
    painter.drawLine(QPointF(r.x_origin - 0.01 * W, y), QPointF(r.x_origin, y));
    paint::DrawAnchoredText(painter, QString::fromStdString(FormatNumber(k / 10.0, "0.0")),
                            r.x_origin - 0.01 * W - 3.0, y, 1, 0, box);
  }

  painter.setPen(QPen(paint::kInk, 1.2));
  painter.drawLine(QPointF(r.x_origin, r.y_origin), QPointF(x_end, r.y_origin));
  painter.drawLine(QPointF(r.x_origin, r.y_origin), QPointF(r.x_origin, y_top));

  // A tick every 0.1 of the value, thinned where they would crowd, with values in the display unit.
  const int ticks = usable ? Int(10.0 * plot.x_max) : 10;
  const double px_per_tick = 0.1 * r.x_scale;
  const int tick_every = ThinOut(px_per_tick, 4.0);
  const double label_width = metrics.horizontalAdvance(QString::fromStdString(FormatNumber(ticks / 10.0, "0.0")));
  const int label_every = ThinOut(px_per_tick, label_width + 10.0);
  painter.setPen(QPen(paint::kInk, 1.0));
  for (int k = 0; k <= ticks; k += tick_every) {
    const double x = px(k / 10.0);
    painter.drawLine(QPointF(x, r.y_origin), QPointF(x, r.y_origin + 0.01 * H));
    if (k % label_every == 0) {
      paint::DrawAnchoredText(painter, QString::fromStdString(FormatNumber(k / 10.0, "0.0")), x,
                              r.y_origin + 0.01 * H + 1.0, 0, -1, box);
    }
  }

  // Titles: the series and its unit under the axis; "PDF" written up the value axis, on the left
  // of its tick values.
  painter.setFont(title_font);
  const double title_y = std::min(box.bottom() - 2.0, r.y_origin + 0.01 * H + metrics.height() + 4.0);
  paint::DrawAnchoredText(painter, paint::ToQString(plot.title), (r.x_origin + x_end) / 2.0, title_y, 0, -1, box);
  paint::DrawAnchoredText(painter, paint::ToQString(plot.unit_label), x_end, title_y, 1, -1, box);
  const QFontMetricsF title_metrics(title_font);
  const double widest_fraction = metrics.horizontalAdvance(QStringLiteral("0.0"));
  const double title_x = std::max(L + title_metrics.height() / 2.0 + 1.0,
                                  r.x_origin - 0.01 * W - 3.0 - widest_fraction - 4.0 - title_metrics.height() / 2.0);
  paint::DrawVerticalText(painter, QStringLiteral("PDF"), title_x, (r.y_origin + y_top) / 2.0);

  // The curve through (J x XMAX / NB, CDF(J)).
  const std::size_t nb = plot.cdf.size();
  QPen pen(paint::kCurve, std::max(1.5, H / 350.0));
  pen.setJoinStyle(Qt::RoundJoin);
  painter.setPen(pen);
  QPolygonF line;
  for (std::size_t j = 1; j <= nb; ++j) {
    const double x = static_cast<double>(j) * plot.x_max / static_cast<double>(nb);
    const double p = plot.cdf[j - 1];
    if (!std::isfinite(x) || !std::isfinite(p)) continue;
    line << QPointF(px(usable ? x : 0.0), py(p));
  }
  if (line.size() == 1) painter.drawPoint(line.front());
  if (line.size() > 1) painter.drawPolyline(line);
  painter.restore();
  return r;
}

std::vector<unsigned char> ProbDistPlotPng(const ProbDistPlot& plot, int width, int height,
                                           ProbDistPlotResult* result) {
  return paint::RenderPng(width, height, result, [&](QPainter& painter, const QRect& rect) {
    return RenderProbDistPlot(painter, rect, plot);
  });
}

std::vector<unsigned char> ProbDistPlotPrintPng(const ProbDistPlot& plot, const paint::PrintSize& size,
                                                ProbDistPlotResult* result) {
  return paint::RenderPrintPng(size, result, [&](QPainter& painter, const QRect& rect) {
    return RenderProbDistPlot(painter, rect, plot);
  });
}

ProbDistReadout ReadProbDist(const ProbDistPlotResult& plot, double mouse_x, double mouse_y,
                             std::string_view unit) {
  const std::string x = FormatNumber((mouse_x - plot.x_origin) / plot.x_scale, "0.000");
  const std::string p = FormatNumber((mouse_y - plot.y_origin) / plot.y_scale * 100.0, "###.000");
  return {"x= " + x + std::string(unit), "P(x<=" + x + ")= " + p + " %"};
}

}  // namespace tarmac
