#include "render/index_chart.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

#include "common/number_format.h"
#include "common/rounding.h"
#include "render/axis_ticks.h"
#include "render/paint_support.h"

namespace tarmac {

IndexChartTexts ComposeIndexChartTexts(const IndexChartTextInputs& in, const Units& units) {
  IndexChartTexts t;
  const std::string& type = in.aircraft_type;
  switch (in.row) {
    case 1: t.value_axis_title = "Straightedge Deviation" + units.ElevationHeading; break;
    case 2: t.value_axis_title = "Boeing Bump Index"; break;
    case 3: t.value_axis_title = units.Metric ? "IRI, m/Km" : "IRI, " + units.RoughnessLabel; break;
    case 4: t.value_axis_title = "BandPass Filter" + units.ElevationHeading; break;
    case 5: t.value_axis_title = "CA Profilograph PI" + units.RoughnessHeading; break;
    case 6: t.value_axis_title = type + " CG rms Acceleration, G"; break;
    case 7: t.value_axis_title = type + " Cockpit rms Acceleration, G"; break;
    case 8: t.value_axis_title = type + " Nose Gear Dyn-coeff"; break;
    case 9:
      t.value_axis_title = type == "B-747" ? type + " Front Main Gear Dyn-coeff" : type + " Main Gear Dyn-coeff";
      break;
    case 10: t.value_axis_title = type + " Rear Main Gear Dyn-coeff"; break;
    default: break;
  }
  if (in.row == 6 || in.row == 7) {
    t.title = in.graph_title + ", RMS(Total Length) = " + FormatNumber(in.total, "0.0000");
  } else if (in.row >= 8 && in.row <= 10) {
    t.title = in.graph_title + ",  RMS(Total Length) = " + FormatNumber(in.total, "#.0000");
  } else {
    t.title = in.index_chart_title;
  }
  const double section_ft = in.row == 5 ? in.ca_section_length_ft : in.averaging_distance_ft;
  t.section_axis_title = "Section " + FormatNumber(section_ft * units.LengthFactor, "0.0") + units.LengthHeading;
  return t;
}

IndexChart MakeIndexChart(const IndexChartTextInputs& in, const Units& units, std::vector<double> values) {
  const IndexChartTexts t = ComposeIndexChartTexts(in, units);
  return IndexChart{t.title, t.section_axis_title, t.value_axis_title, std::move(values)};
}

IndexChartResult RenderIndexChart(QPainter& painter, const QRect& area, const IndexChart& chart) {
  paint::EnsureGuiApplication();
  const QRectF box(area);
  const double H = box.height();
  IndexChartResult r;
  r.bars = static_cast<int>(chart.values.size());

  // Value axis from zero (columns stand on it) to the largest value, rounded out to ticks.
  double lo = 0.0, hi = 0.0;
  for (double v : chart.values) {
    if (!std::isfinite(v)) continue;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  if (!(hi > lo)) hi = lo + 1.0;
  // Headroom above the tallest column for its value label.
  hi += 0.06 * (hi - lo);
  const AxisTicks ticks = ChooseTicks(lo, hi);
  r.tick = ticks.step;
  r.axis_min = std::floor(lo / r.tick + 1e-9) * r.tick;
  r.axis_max = std::ceil(hi / r.tick - 1e-9) * r.tick;
  if (!(r.axis_max > r.axis_min)) r.axis_max = r.axis_min + r.tick;

  painter.save();
  painter.setClipRect(box);
  painter.fillRect(box, Qt::white);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  const QFont title_font = paint::PlotFont(false, paint::FontPixels(H, 0.042, 11, 20), true);
  const QFont axis_font = paint::PlotFont(false, paint::FontPixels(H, 0.036, 10, 16));
  const QFont tick_font = paint::PlotFont(false, paint::FontPixels(H, 0.032, 9, 14));
  const QFontMetricsF title_m(title_font), axis_m(axis_font), tick_m(tick_font);
  const double pad = std::max(4.0, 0.015 * H);

  // Tick values decide the left band; titles take the top and bottom bands.
  double tick_w = 0;
  const int tick_count = CLng((r.axis_max - r.axis_min) / r.tick);
  for (int k = 0; k <= tick_count; ++k) {
    tick_w = std::max(tick_w, tick_m.horizontalAdvance(QString::fromStdString(TickLabel(r.axis_min + k * r.tick, ticks.decimals))));
  }
  const double left_band = pad + axis_m.height() + pad + tick_w + pad;
  const double top_band = pad + title_m.height() + pad;
  const double bottom_band = pad + tick_m.height() + pad + axis_m.height() + pad;
  r.plot_left = box.left() + left_band;
  r.plot_top = box.top() + top_band;
  r.plot_width = std::max(1.0, box.width() - left_band - 2.0 * pad);
  r.plot_height = std::max(1.0, H - top_band - bottom_band);
  const QRectF plot(r.plot_left, r.plot_top, r.plot_width, r.plot_height);

  painter.setFont(tick_font);
  for (int k = 0; k <= tick_count; ++k) {
    const double v = r.axis_min + k * r.tick;
    const double y = r.ToPixelY(v);
    painter.setPen(QPen(std::abs(v) < 0.5 * r.tick ? paint::kInk : paint::kGrid, 1.0));
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    painter.setPen(paint::kInk);
    paint::DrawAnchoredText(painter, QString::fromStdString(TickLabel(v, ticks.decimals)), plot.left() - pad, y, 1, 0, box);
  }
  painter.setPen(QPen(paint::kInk, 1.0));
  painter.drawLine(plot.bottomLeft(), plot.topLeft());

  // Columns from zero to each section's value, numbered 1..count beneath.
  if (r.bars > 0) {
    const double slot = r.plot_width / r.bars;
    const double bar_w = std::max(1.0, slot * 0.7);
    const double zero_y = r.ToPixelY(0.0);
    const int label_every = std::max(1, Int(std::ceil((tick_m.horizontalAdvance(QString::number(r.bars)) + 6.0) / slot)));
    const bool show_values = tick_m.horizontalAdvance(QStringLiteral("0.000")) + 4.0 < slot && r.bars <= 40;
    for (int i = 1; i <= r.bars; ++i) {
      const double v = chart.values[static_cast<std::size_t>(i - 1)];
      const double cx = r.BarCenterX(i);
      if (std::isfinite(v)) {
        const double y = r.ToPixelY(v);
        painter.fillRect(QRectF(QPointF(cx - bar_w / 2.0, std::min(y, zero_y)), QPointF(cx + bar_w / 2.0, std::max(y, zero_y))),
                         QColor(52, 101, 164));
        if (show_values) {
          painter.setPen(paint::kInk);
          paint::DrawAnchoredText(painter, QString::fromStdString(FormatNumber(v, "0.000")), cx, v >= 0 ? y - 2.0 : y + 2.0,
                                  0, v >= 0 ? 1 : -1, box);
        }
      }
      if ((i - 1) % label_every == 0 || i == r.bars) {
        painter.setPen(paint::kInk);
        paint::DrawAnchoredText(painter, QString::number(i), cx, plot.bottom() + pad / 2.0, 0, -1, box);
      }
    }
  }
  painter.setPen(QPen(paint::kInk, 1.0));
  painter.drawLine(QPointF(plot.left(), r.ToPixelY(std::clamp(0.0, r.axis_min, r.axis_max))),
                   QPointF(plot.right(), r.ToPixelY(std::clamp(0.0, r.axis_min, r.axis_max))));

  painter.setFont(title_font);
  paint::DrawAnchoredText(painter, paint::ToQString(chart.title), box.center().x(), box.top() + pad, 0, -1, box);
  painter.setFont(axis_font);
  paint::DrawAnchoredText(painter, paint::ToQString(chart.section_axis_title), plot.center().x(), box.bottom() - pad, 0, 1, box);
  paint::DrawVerticalText(painter, paint::ToQString(chart.value_axis_title), box.left() + pad + axis_m.height() / 2.0,
                          plot.center().y());
  painter.restore();
  return r;
}

std::vector<unsigned char> IndexChartPng(const IndexChart& chart, int width, int height, IndexChartResult* result) {
  return paint::RenderPng(width, height, result, [&](QPainter& painter, const QRect& rect) {
    return RenderIndexChart(painter, rect, chart);
  });
}

std::vector<unsigned char> IndexChartPrintPng(const IndexChart& chart, const paint::PrintSize& size,
                                              IndexChartResult* result) {
  return paint::RenderPrintPng(size, result, [&](QPainter& painter, const QRect& rect) {
    return RenderIndexChart(painter, rect, chart);
  });
}

}  // namespace tarmac
