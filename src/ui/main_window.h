#pragma once
// The main window: six plot panels, the "Indexes" frame, the check boxes, the "Operations"
// frame, a menu bar and a status bar of six panels, over one Session. Every command is a call of
// the Session; the window only asks, shows and draws.
#include <QMainWindow>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "ui/command_runner.h"
#include "ui/gui_prompts.h"
#include "ui/plot_panel.h"
#include "ui/readouts.h"
#include "workflow/session.h"

class QAction;
class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSettings;

namespace tarmac::ui {

class ChartWindow;
class ExceedanceDock;
class ParameterWindow;
class SpectraWindow;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `prompts` answers the window's questions (QtPrompts on screen, a script in tests); when
  // `settings` is given the window keeps its size and last folder there.
  explicit MainWindow(GuiPrompts& prompts, QSettings* settings = nullptr,
                      QWidget* parent = nullptr);
  ~MainWindow() override;

  Session& session() { return *session_; }
  const ProfileModel& model() const { return session_->model(); }
  CommandRunner& runner() { return runner_; }
  // Serves events until the running command has finished (or `ms` have passed); true when idle.
  bool WaitForCommand(int ms = 120000) { return runner_.WaitIdle(ms); }

  // --- Commands (the buttons and menu entries call these) ----------------------------------
  void ReadFile();                      // asks for the file
  bool ReadProfile(const std::string& path);  // the read command with a chosen file
  void SaveProfile();
  void SaveIndexes();
  void ImportErd();
  void ImportCsv();
  void ExportLevelCsv();
  void ExportErd();
  void RunIndexOption(int k);           // the option buttons, Ctrl+1 .. Ctrl+6
  void RunSimulation();
  void AutoProcessAll();
  void ProcessSimAll();
  void HighPass();
  void Repair();
  void UndoRepair();
  void Zoom();
  void UndoZoom();
  void NewLength();
  void UndoNewLength();
  void VerticalCurve();
  void CancelOperation();
  void SetMetric(bool metric);
  void ShowBars();  // the index chart window, without waiting for it
  void ShowParameters();  // the parameter window ("In / Out"), without waiting for it
  void ShowSpectra();     // the spectra window ("PSD"), without waiting for it
  // Puts the picture of plot panel `level` on the clipboard; false when the panel is empty.
  bool CopyPlot(int level);

  // --- Selection state ---------------------------------------------------------------------
  // The level the last selection ended with: the panel of both clicks, or -1 (cancelled,
  // refused, or none yet).
  int last_selection_level() const { return last_selection_level_; }
  bool selecting() const { return selection_.active(); }
  int clicked_level() const { return clicked_level_; }

  // Widgets, for the keyboard, the tests and the screenshots.
  PlotPanel* panel(int level) const { return panels_[static_cast<std::size_t>(level)]; }
  QRadioButton* option(int k) const { return options_[static_cast<std::size_t>(k)]; }
  QLineEdit* value_box(int k) const { return values_[static_cast<std::size_t>(k)]; }
  QLabel* status_panel(int i) const { return status_[static_cast<std::size_t>(i - 1)]; }
  QProgressBar* progress_bar() const { return progress_bar_; }
  QCheckBox* metric_box() const { return metric_; }
  ChartWindow* chart_window() const { return chart_window_; }
  ParameterWindow* parameter_window() const { return parameter_window_; }
  SpectraWindow* spectra_window() const { return spectra_window_; }
  ExceedanceDock* exceedance_dock() const { return exceedance_dock_; }
  // Zooms the panel of a listed stretch to it (the dock's double-click); false when refused.
  bool ZoomToStretch(ExceedanceKind kind, int stretch);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  enum class SelectionUse { Zoom, NewLength, VerticalCurve };

  void BuildPanels(QWidget* area);
  QWidget* BuildControls();
  void BuildMenus();
  void Refresh();  // caption, value boxes, check boxes, enabled commands
  void SetStatus(const std::string& text);
  void UpdateBusy(bool busy);
  // Runs a command through the runner and refreshes the window after it.
  bool Run(const QString& what, const std::function<bool()>& command);
  // Computes a prepared job on the worker and publishes it here; false when refused.
  bool StartJob(const QString& what, std::unique_ptr<Job> job);
  // Redraws what a command changed.
  void OnModelChanged(const ModelChange& change);
  void BeginSelection(SelectionUse use, const char* status);
  void FinishSelection(const TwoClickSelection::Outcome& outcome);
  void OnPanelPressed(int level, Qt::MouseButton button, double x, double y);
  void OnPanelMoved(int level, double x, double y);
  void ShowIndexDetail(int level, double x);
  void RedrawForUnits();
  // The dock's list and the bands over the panels, from the stretches the model holds.
  void ShowExceedances();
  QString LastFolder() const;
  void RememberFolder(const std::string& path);
  void ShowAbout();
  void ShowShortcuts();
  void ShowGettingStarted();

  GuiPrompts& prompts_;
  QSettings* settings_;
  PanelSink sink_;
  CommandRunner runner_;
  std::unique_ptr<Session> session_;

  std::array<PlotPanel*, kPanelCount> panels_{};
  std::array<QRadioButton*, 6> options_{};
  std::array<QLineEdit*, 6> values_{};
  std::array<QLabel*, 6> status_{};
  QProgressBar* progress_bar_ = nullptr;
  QCheckBox *metric_ = nullptr, *concrete_ = nullptr, *runway_ = nullptr, *smooth_ends_ = nullptr;
  // Commands that would conflict with a running one; disabled while it runs.
  std::vector<QWidget*> busy_widgets_;
  std::vector<QAction*> busy_actions_;
  QPushButton* cancel_button_ = nullptr;
  ChartWindow* chart_window_ = nullptr;
  ParameterWindow* parameter_window_ = nullptr;
  SpectraWindow* spectra_window_ = nullptr;
  ExceedanceDock* exceedance_dock_ = nullptr;
  QDialog* getting_started_ = nullptr;

  TwoClickSelection selection_;
  SelectionUse selection_use_ = SelectionUse::Zoom;
  std::string status_before_selection_;
  int last_selection_level_ = -1;
  int clicked_level_ = -1;
  std::array<double, kPanelCount> click_x_{}, click_y_{};
  bool close_after_run_ = false;
  QString folder_;
};

}  // namespace tarmac::ui
