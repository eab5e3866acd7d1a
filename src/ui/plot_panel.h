#pragma once
// One of the main window's six plot panels: it draws its level with the same drawing code as the
// pictures of the reports, redraws at any size, turns mouse positions into plot coordinates, marks
// the first click of a pending selection and shows the right-click details of an index.
#include <QWidget>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "render/level_plot.h"
#include "render/session_plots.h"
#include "ui/readouts.h"
#include "workflow/profile_model.h"

namespace tarmac::ui {

class PlotPanel : public QWidget {
  Q_OBJECT

 public:
  PlotPanel(int level, QWidget* parent = nullptr);

  int level() const { return level_; }
  // Shows the level as the model last drew it.
  void ShowLevel(const PlotLevel& l, const Units& units);
  // Shows an index detail (until the level is drawn again or RestoreSeries).
  void ShowDetail(const IndexDetail& detail, const Units& units);
  // Back from a detail to the series.
  void RestoreSeries();
  void Clear();

  bool empty() const { return !plot_.has_value(); }
  bool showing_detail() const { return detail_.has_value(); }
  // The kind of what the panel shows ("ZProfile", "Straightedge Plot", ...; empty when empty).
  const std::string& kind() const { return detail_ ? detail_kind_ : kind_; }
  const LevelPlot* plot() const { return plot_ ? &*plot_ : nullptr; }
  const LevelPlotResult& geometry() const { return Geometry(); }

  // Stretches beyond a limit, marked as translucent bands over the series: sample ranges
  // [first, end) of the level (end is one past the last sample). Kept until set again.
  void SetBands(std::vector<std::pair<int, int>> bands);
  const std::vector<std::pair<int, int>>& bands() const { return bands_; }

  // The first click of a pending selection is marked until the second one.
  void SetMarker(std::optional<double> plot_x);
  std::optional<double> marker() const { return marker_; }

  // Plot coordinates of a point of the widget (x in hundreds of display length units).
  QPointF ToPlot(const QPointF& widget_pos) const;
  // The widget point of plot coordinates, for tests and for placing the marker.
  QPointF ToWidget(double plot_x, double plot_y) const;

  QSize sizeHint() const override { return {520, 200}; }
  QSize minimumSizeHint() const override { return {240, 110}; }

 signals:
  void pressed(int level, Qt::MouseButton button, double x, double y);
  void moved(int level, double x, double y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The geometry of the last drawing at the current size, drawn off screen when the panel has
  // not been painted since it changed.
  const LevelPlotResult& Geometry() const;

  int level_;
  std::optional<LevelPlot> plot_;  // what is drawn (the series or a detail)
  std::optional<LevelPlot> series_;  // the series, kept while a detail is shown
  std::string kind_, detail_kind_;
  std::optional<IndexDetail> detail_;
  std::optional<double> marker_;
  std::vector<std::pair<int, int>> bands_;
  mutable LevelPlotResult geometry_;
  mutable bool geometry_current_ = false;
};

// The plot sink of the window: the panels show every level the Session draws; the pictures of
// the report documents are drawn as the command line draws them.
class PanelSink final : public RenderPlotSink {
 public:
  void SetPanel(int level, PlotPanel* panel);
  void LevelDrawn(const ProfileModel& model, int level) override;
  void PanelCleared(int level) override;

 private:
  PlotPanel* panels_[kPanelCount] = {};
};

}  // namespace tarmac::ui
