#pragma once
// The parameter window ("Input / Output"): every analysis setting with its value in display units
// in a grid; selecting a row changes it (a number through the edit dialog, which the Session
// checks against the setting's range; the straightedge position by a toggle; the aircraft from
// its list), the pavement surface by three options, and the frame "Probability Distribution
// Function": the cumulative distribution of the straightedge deviations or of the Boeing Bump
// Index, its read-out under the mouse in the main window's status bar, copied by a click.
#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "render/prob_dist_plot.h"
#include "ui/gui_prompts.h"
#include "workflow/session.h"
#include "workflow/settings.h"

class QRadioButton;
class QTableWidget;

namespace tarmac::ui {

// The distribution picture; tells where the mouse is over the curve.
class DistributionView : public QWidget {
  Q_OBJECT

 public:
  explicit DistributionView(QWidget* parent = nullptr);
  void SetPlot(ProbDistPlot plot);
  const std::optional<ProbDistPlot>& plot() const { return plot_; }
  QSize sizeHint() const override { return {420, 260}; }

 signals:
  void pointed(double x, double y);  // mouse moved or released over the picture
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 public:
  // The mapping of the last drawing.
  const ProbDistPlotResult& mapping() const { return mapping_; }

 private:
  std::optional<ProbDistPlot> plot_;
  ProbDistPlotResult mapping_;
};

class ParameterWindow : public QDialog {
 public:
  // `readout(x_text, p_text)` shows the distribution read-out in the main window's status bar.
  ParameterWindow(Session& session, GuiPrompts& prompts,
                  std::function<void(const std::string&, const std::string&)> readout = {},
                  QWidget* parent = nullptr);
  // The values as the settings hold them now (after a change of units, say).
  void Refresh();
  // The edit of one row, as selecting it starts it; false when nothing changed.
  bool EditRow(int row);
  // The row of a setting by its name ("AveragingDistance", "StraightedgePosition", ...); -1.
  int RowOf(const std::string& name) const;
  // The three surface options: "Unspecified", "Asphalt", "Concrete".
  void ChooseSurface(const std::string& option);
  // The distribution frame's Run: 0 straightedge, 1 Boeing Bump. False when refused.
  bool RunDistribution(int series);

  QTableWidget* table() const { return table_; }
  QRadioButton* surface_option(int i) const { return surfaces_[static_cast<std::size_t>(i)]; }
  DistributionView* distribution_view() const { return view_; }

 private:
  enum class RowKind { Number, Position, Aircraft, Choice };
  struct Row {
    RowKind kind;
    const SettingSpec* spec;  // Number and Choice rows
    std::string name;
  };

  Session& session_;
  GuiPrompts& prompts_;
  std::function<void(const std::string&, const std::string&)> readout_;
  std::vector<Row> rows_;
  QTableWidget* table_;
  std::array<QRadioButton*, 3> surfaces_{};
  std::array<QRadioButton*, 2> series_{};
  DistributionView* view_;
};

}  // namespace tarmac::ui
