#include "render/spectrum_plot.h"

#include <QFontMetricsF>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "common/number_format.h"
#include "common/rounding.h"
#include "render/paint_support.h"
#include "workflow/spectra_texts.h"

namespace tarmac {

namespace {

std::string Head(const std::string& text, std::size_t count) { return text.substr(0, count); }

double TextPixels(double height) { return paint::FontPixels(height, 0.032, 9, 15); }
double TitlePixels(double height) { return paint::FontPixels(height, 0.038, 10, 17); }

}  // namespace

SpectrumPlotResult RenderSpectrumPlot(QPainter& painter, const QRect& area, const SpectrumPlot& plot) {
  paint::EnsureGuiApplication();
  const QRectF box(area);
  const double W = box.width();
  const double H = box.height();
  SpectrumPlotResult r;
  r.px_left = box.left();
  r.px_top = box.top();
  r.width = W;
  r.height = H;

  // A flat or empty range has no scale of its own; a unit span keeps the mapping finite.
  const double x_span = plot.x_max > plot.x_min ? plot.x_max - plot.x_min : 1.0;
  const double y_span = plot.y_max > plot.y_min ? plot.y_max - plot.y_min : 1.0;
  // The statistics of a density stand in a column of their own right of the curves, so that no
  // curve runs through them whatever the shape of the density.
  const QFont text_font = paint::PlotFont(true, TextPixels(H));
  QStringList statistics;
  double statistics_w = 0.0;
  if (plot.mode == SpectrumMode::Pdf && plot.statistics) {
    const DensityStatistics& s = *plot.statistics;
    const std::pair<const char*, double> lines[] = {{"AMEAN=", s.amean}, {"ASDEV=", s.asdev},
                                                    {"Cskew=", s.cskew}, {"Ckurt=", s.ckurt},
                                                    {"Area=", s.area},   {"AreaN=", s.arean}};
    const QFontMetricsF m(text_font);
    double widest = 0.0;
    for (const auto& [name, value] : lines) {
      statistics << QString::fromStdString(PdfStatisticLine(name, value));
      widest = std::max(widest, m.horizontalAdvance(statistics.back()));
    }
    statistics_w = std::min(0.4 * W, widest + 0.03 * W);
  }
  r.x_scale = (0.9 * W - statistics_w) / x_span;
  r.y_scale = 0.75 * H / y_span;
  r.frame_width = static_cast<float>(0.9 * W);
  r.frame_height = static_cast<float>(0.75 * H);
  r.x_origin = static_cast<float>(box.left() + 0.05 * W - r.x_scale * plot.x_min);
  if (plot.mode == SpectrumMode::Psd && plot.dt > 0.0) r.nyquist = 0.5 / plot.dt;

  auto px = [&](double x) { return box.left() + 0.05 * W + r.x_scale * (x - plot.x_min); };
  auto py = [&](double y) { return box.top() + 0.85 * H - r.y_scale * (y - plot.y_min); };

  painter.save();
  painter.setClipRect(box);
  painter.fillRect(box, Qt::white);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);

  const double left = box.left() + 0.05 * W, right = box.left() + 0.95 * W - statistics_w;
  const double top = box.top() + 0.1 * H, bottom = box.top() + 0.85 * H;
  const QFont title_font = paint::PlotFont(false, TitlePixels(H));
  const double tick = std::max(3.0, 0.012 * H);

  // Axes, ticks and their values belong to the first curve only.
  if (!plot.curves.empty()) {
    painter.setPen(QPen(paint::kGrid, 1.0));
    painter.drawRect(QRectF(QPointF(left, top), QPointF(right, bottom)));
    painter.setPen(QPen(paint::kInk, 1.2));
    painter.drawLine(QPointF(left, bottom), QPointF(right, bottom));
    painter.drawLine(QPointF(left, bottom), QPointF(left, top));
    painter.setFont(text_font);
    const SpectrumCurve& c = plot.curves.front();
    const int n = static_cast<int>(std::min(c.x.size(), c.y.size()));
    if (plot.mode == SpectrumMode::Psd) {
      // A tick at every fifth of the points, from the first, labelled with its frequency.
      const int every = std::max(1, n > 0 ? CLng(n / 5.0) : 1);
      for (int j = 1; j <= n; j += every) {
        const double x = px(c.x[static_cast<std::size_t>(j - 1)]);
        painter.drawLine(QPointF(x, bottom), QPointF(x, bottom + tick));
        paint::DrawAnchoredText(painter,
                                QString::fromStdString(Head(GeneralNumber(c.x[static_cast<std::size_t>(j - 1)]), 5)),
                                x, bottom + tick + 1.0, 0, -1, box);
      }
      paint::DrawAnchoredText(painter, QString::fromStdString(Head(FormatNumber(plot.y_max, "##.########"), 5)),
                              left + 3.0, top, -1, 1, box);
      paint::DrawAnchoredText(painter, QString::fromStdString(FormatNumber(plot.y_min, "###.#######")),
                              left + 3.0, bottom - 2.0, -1, 1, box);
    } else {
      // Whole standard deviations along the density's axis.
      if (plot.x_max - plot.x_min < 200.0) {
        for (double s = std::ceil(plot.x_min); s <= plot.x_max; s += 1.0) {
          const double x = px(s);
          painter.drawLine(QPointF(x, bottom), QPointF(x, bottom + tick));
          paint::DrawAnchoredText(painter, QString::fromStdString(FormatNumber(s, "0")), x,
                                  bottom + tick + 1.0, 0, -1, box);
        }
      }
      // The density's limits inside the frame, as the spectrum's are: the 5 % margin is too
      // narrow to hold them on a small picture.
      painter.drawLine(QPointF(left, top), QPointF(left + tick, top));
      double y = 0.15;
      for (const QString& text : statistics) {
        paint::DrawAnchoredText(painter, text, right + 0.03 * W, box.top() + y * H, -1, -1, box);
        y += 0.1;
      }
    }
    // Axis titles, printed last.
    painter.setFont(title_font);
    std::string vertical, horizontal;
    if (plot.mode == SpectrumMode::Psd) {
      vertical = PsdAxisTitle(plot.nexp, plot.series_caption);
      horizontal = "Frequency";
    } else {
      vertical = "PDF, " + plot.series_caption;
      horizontal = "Sigma";
    }
    paint::DrawVerticalText(painter, paint::ToQString(vertical), box.left() + 0.022 * W + 2.0, (top + bottom) / 2.0);
    const double under_ticks = bottom + tick + 2.0 + QFontMetricsF(text_font).height() + 0.01 * H;
    paint::DrawAnchoredText(painter, paint::ToQString(horizontal), (left + right) / 2.0,
                            under_ticks, 0, -1, box);
  }

  // The curves: the first black, overlays blue. Points that are not numbers (the logarithm of a
  // bin without power) leave a gap.
  for (std::size_t k = 0; k < plot.curves.size(); ++k) {
    const SpectrumCurve& c = plot.curves[k];
    QPen pen(k == 0 ? QColor(0, 0, 0) : paint::kOverlay, std::max(1.2, H / 450.0));
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    QPolygonF line;
    auto flush = [&]() {
      if (line.size() == 1) painter.drawPoint(line.front());
      if (line.size() > 1) painter.drawPolyline(line);
      line.clear();
    };
    const std::size_t n = std::min(c.x.size(), c.y.size());
    for (std::size_t i = 0; i < n; ++i) {
      if (!std::isfinite(c.x[i]) || !std::isfinite(c.y[i])) {
        flush();
        continue;
      }
      line << QPointF(px(c.x[i]), py(c.y[i]));
    }
    flush();
  }
  // The density's limits are written over the curves on a white ground: a curve starting in the
  // corner of the frame must not make them unreadable.
  if (plot.mode == SpectrumMode::Pdf && !plot.curves.empty()) {
    painter.setFont(text_font);
    painter.setPen(paint::kInk);
    paint::DrawAnchoredText(painter, QString::fromStdString(FormatNumber(plot.y_max, "0.000")),
                            left + tick + 2.0, top, -1, 0, box, true);
    paint::DrawAnchoredText(painter, QString::fromStdString(FormatNumber(plot.y_min, "0.000")),
                            left + 3.0, bottom - 2.0, -1, 1, box, true);
  }
  painter.restore();
  return r;
}

std::vector<unsigned char> SpectrumPlotPng(const SpectrumPlot& plot, int width, int height,
                                           SpectrumPlotResult* result) {
  return paint::RenderPng(width, height, result, [&](QPainter& painter, const QRect& rect) {
    return RenderSpectrumPlot(painter, rect, plot);
  });
}

std::vector<unsigned char> SpectrumPlotPrintPng(const SpectrumPlot& plot, const paint::PrintSize& size,
                                                SpectrumPlotResult* result) {
  return paint::RenderPrintPng(size, result, [&](QPainter& painter, const QRect& rect) {
    return RenderSpectrumPlot(painter, rect, plot);
  });
}

std::optional<double> MarkerFrequency(const SpectrumPlotResult& plot, double click_x) {
  if (!(click_x > plot.x_origin) || !(plot.frame_width > 0.0f)) return std::nullopt;
  return (click_x - plot.x_origin) / plot.frame_width * plot.nyquist;
}

void DrawFrequencyMarker(QPainter& painter, const SpectrumPlotResult& plot, int marker_count,
                         double click_x, double click_y, double frequency) {
  paint::EnsureGuiApplication();
  painter.save();
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  const QRectF box(plot.px_left, plot.px_top, plot.width, plot.height);
  painter.setFont(paint::PlotFont(false, paint::FontPixels(plot.height, 0.026, 8, 12), true));
  painter.setPen(paint::kOverlay);
  paint::DrawAnchoredText(painter, QString::number(marker_count), click_x - 2.0, click_y - 2.0, 1, 1, box);
  painter.setFont(paint::PlotFont(true, TextPixels(plot.height)));
  painter.setPen(QColor(0, 0, 0));
  paint::DrawAnchoredText(painter, QString::fromStdString(MarkerLabel(marker_count, frequency)),
                          plot.px_left + plot.frame_width / 2.0,
                          plot.px_top + (0.05 + 0.08 * marker_count) * plot.frame_height, -1, -1, box);
  painter.restore();
}

}  // namespace tarmac
