#include "ui/plot_panel.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "render/paint_support.h"

namespace tarmac::ui {

namespace {

void DrawOverlay(QPainter& painter, const LevelPlotResult& g, const IndexDetail& d) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  for (const DetailLine& line : d.lines) {
    QPen pen(line.mark ? QColor(200, 0, 0) : paint::kOverlay);
    pen.setWidthF(line.mark ? 2.0 : 2.5);
    painter.setPen(pen);
    const QPointF a(g.ToPixelX(line.x1), g.ToPixelY(line.y1));
    const QPointF b(g.ToPixelX(line.x2), g.ToPixelY(line.y2));
    painter.drawLine(a, b);
    if (line.mark) {
      painter.drawLine(a + QPointF(-4, 0), a + QPointF(4, 0));
      painter.drawLine(b + QPointF(-4, 0), b + QPointF(4, 0));
    }
  }
}

// The bands over the stretches beyond a limit, placed by the plot's own mapping of samples to x
// (sample i at s x i) and clipped to the plot window, so that a zoom shows only what is inside.
void DrawBands(QPainter& painter, const LevelPlotResult& g,
               const std::vector<std::pair<int, int>>& bands) {
  const double left = g.px_left, right = g.px_left + g.px_width;
  for (const auto& [first, end] : bands) {
    const double x1 = std::max(left, g.ToPixelX(g.s * first));
    const double x2 = std::min(right, g.ToPixelX(g.s * end));
    if (x2 <= x1) continue;
    // At least two pixels wide: a one-sample stretch on a whole runway must still be seen.
    const double w = std::max(2.0, x2 - x1);
    painter.fillRect(QRectF(x1, g.px_top, w, g.px_height), QColor(230, 90, 0, 70));
  }
}

}  // namespace

PlotPanel::PlotPanel(int level, QWidget* parent) : QWidget(parent), level_(level) {
  setObjectName(QStringLiteral("Picvariable%1").arg(level));
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setCursor(Qt::CrossCursor);
}

void PlotPanel::ShowLevel(const PlotLevel& l, const Units& units) {
  detail_.reset();
  series_.reset();
  marker_.reset();
  kind_ = l.kind;
  plot_ = DescribeDrawnLevel(l, level_, units);
  geometry_current_ = false;
  update();
}

void PlotPanel::ShowDetail(const IndexDetail& d, const Units& units) {
  if (!detail_) series_ = plot_;
  detail_ = d;
  detail_kind_ = d.kind;
  LevelPlot p;
  p.values = d.values;
  p.level = level_;
  p.first = d.first;
  p.last = d.last;
  p.step_ft = d.step_ft;
  p.length_factor = units.LengthFactor;
  p.value_factor = 1.0;  // the detail's values are already in display units
  p.title = d.title;
  p.axis_label = units.AxisLabel;
  FitValueRange(p);
  plot_ = std::move(p);
  geometry_current_ = false;
  update();
}

void PlotPanel::RestoreSeries() {
  if (!detail_) return;
  detail_.reset();
  plot_ = series_;
  series_.reset();
  geometry_current_ = false;
  update();
}

void PlotPanel::Clear() {
  plot_.reset();
  series_.reset();
  detail_.reset();
  marker_.reset();
  bands_.clear();
  kind_.clear();
  geometry_ = LevelPlotResult{};
  geometry_current_ = true;
  update();
}

void PlotPanel::SetBands(std::vector<std::pair<int, int>> bands) {
  if (bands == bands_) return;
  bands_ = std::move(bands);
  update();
}

void PlotPanel::SetMarker(std::optional<double> plot_x) {
  marker_ = plot_x;
  update();
}

const LevelPlotResult& PlotPanel::Geometry() const {
  if (!geometry_current_ && plot_) {
    QImage scratch = paint::BlankImage(std::max(1, width()), std::max(1, height()));
    QPainter painter(&scratch);
    geometry_ = RenderLevelPlot(painter, scratch.rect(), *plot_);
    geometry_current_ = true;
  }
  return geometry_;
}

QPointF PlotPanel::ToPlot(const QPointF& pos) const {
  if (!plot_) return {0.0, 0.0};
  const LevelPlotResult& g = Geometry();
  return {g.ToPlotX(pos.x()), g.ToPlotY(pos.y())};
}

QPointF PlotPanel::ToWidget(double plot_x, double plot_y) const {
  if (!plot_) return {0.0, 0.0};
  const LevelPlotResult& g = Geometry();
  return {g.ToPixelX(plot_x), g.ToPixelY(plot_y)};
}

void PlotPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!plot_) {
    painter.fillRect(rect(), Qt::white);
    painter.setPen(paint::kGrid);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    return;
  }
  geometry_ = RenderLevelPlot(painter, rect(), *plot_);
  geometry_current_ = true;
  if (!detail_) DrawBands(painter, geometry_, bands_);
  if (detail_) DrawOverlay(painter, geometry_, *detail_);
  if (marker_) {
    QPen pen(QColor(0, 140, 0));
    pen.setStyle(Qt::DashLine);
    pen.setWidthF(1.5);
    painter.setPen(pen);
    const double x = geometry_.ToPixelX(*marker_);
    painter.drawLine(QPointF(x, geometry_.px_top), QPointF(x, geometry_.px_top + geometry_.px_height));
  }
  painter.setPen(paint::kGrid);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PlotPanel::mousePressEvent(QMouseEvent* event) {
  const QPointF p = ToPlot(event->position());
  emit pressed(level_, event->button(), p.x(), p.y());
}

void PlotPanel::mouseMoveEvent(QMouseEvent* event) {
  const QPointF p = ToPlot(event->position());
  emit moved(level_, p.x(), p.y());
}

void PlotPanel::resizeEvent(QResizeEvent* event) {
  geometry_current_ = false;
  QWidget::resizeEvent(event);
}

void PanelSink::SetPanel(int level, PlotPanel* panel) {
  if (level >= 0 && level < kPanelCount) panels_[level] = panel;
}

void PanelSink::LevelDrawn(const ProfileModel& model, int level) {
  RenderPlotSink::LevelDrawn(model, level);
  if (level >= 0 && level < kPanelCount && panels_[level])
    panels_[level]->ShowLevel(model.levels[static_cast<std::size_t>(level)], model.units);
}

void PanelSink::PanelCleared(int level) {
  RenderPlotSink::PanelCleared(level);
  if (level >= 0 && level < kPanelCount && panels_[level]) panels_[level]->Clear();
}

}  // namespace tarmac::ui
