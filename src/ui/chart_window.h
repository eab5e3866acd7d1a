#pragma once
// The index chart window ("ShowBars"): the section values of one chart row as bars, drawn by the
// same code as the chart documents, and the command that appends the chart shown to the chart
// document beside the profile.
#include <QDialog>
#include <optional>

#include "render/index_chart.h"
#include "workflow/session.h"

class QComboBox;
class QPushButton;

namespace tarmac::ui {

class ChartView : public QWidget {
 public:
  explicit ChartView(QWidget* parent = nullptr) : QWidget(parent) {}
  void SetChart(std::optional<IndexChart> chart);
  QSize sizeHint() const override { return {760, 440}; }
  // The geometry of the last drawing (its number of columns among it); no columns when empty.
  const IndexChartResult& drawn() const { return drawn_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<IndexChart> chart_;
  IndexChartResult drawn_;
};

class ChartWindow : public QDialog {
 public:
  ChartWindow(Session& session, QWidget* parent = nullptr);
  // The rows whose index or simulation has run: the chart's options.
  void Refresh();
  // Shows chart row `row` (1..10); false when it is not available.
  bool ShowRow(int row);
  ChartView* view() const { return view_; }

 private:
  Session& session_;
  QComboBox* rows_;
  QPushButton* save_;
  ChartView* view_;
};

}  // namespace tarmac::ui
