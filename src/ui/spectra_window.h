#pragma once
// The spectra window ("PSD"): the series options of the frame "Transform" (the profile or one
// response of the last simulation; "Rear MainForce" only for the B-747), the exponent box, the
// PSD and PDF runs (jobs computed on the window's worker), the picture of the chosen series, the
// density and the spectrum plots, frequency markers on the spectrum, and a click on a plot puts
// its picture on the clipboard.
#include <QDialog>
#include <QPixmap>
#include <functional>
#include <optional>
#include <vector>

#include "render/loglog_plot.h"
#include "render/spectrum_plot.h"
#include "ui/command_runner.h"
#include "ui/gui_prompts.h"
#include "workflow/session.h"

class QCheckBox;
class QLineEdit;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tarmac::ui {

// One picture of the window: a series picture, or a density or spectrum plot drawn by the
// render layer. A click copies the picture; on the spectrum a click also places a marker.
class SpectrumView : public QWidget {
  Q_OBJECT

 public:
  explicit SpectrumView(QWidget* parent = nullptr);
  void SetPlot(std::optional<SpectrumPlot> plot);
  void SetPicture(const QPixmap& picture);
  // The profile spectrum against wavenumber (no frequency markers on it).
  void SetLogLogPlot(LogLogPlot plot);
  void Clear();
  bool empty() const { return !plot_ && !loglog_ && picture_.isNull(); }
  const std::optional<SpectrumPlot>& plot() const { return plot_; }
  const std::optional<LogLogPlot>& loglog_plot() const { return loglog_; }
  // The mapping of the plot at the view's present size (frame, x origin, Nyquist frequency).
  const SpectrumPlotResult& mapping();
  // A marker keeps its frequency and its height as a fraction of the view's, so that it stays
  // on its frequency when the window is resized.
  struct Marker {
    double frequency, height_fraction;
  };
  const std::vector<Marker>& markers() const { return markers_; }
  void AddMarker(const Marker& m);
  QSize sizeHint() const override { return {420, 300}; }

 signals:
  void clicked(double x, double y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::optional<SpectrumPlot> plot_;
  std::optional<LogLogPlot> loglog_;
  QPixmap picture_;
  SpectrumPlotResult mapping_;
  bool mapping_valid_ = false;
  std::vector<Marker> markers_;
};

class SpectraWindow : public QDialog {
 public:
  // `panel_picture(level)` is the main window's plot panel `level` as shown.
  SpectraWindow(Session& session, CommandRunner& runner, GuiPrompts& prompts,
                std::function<QPixmap(int)> panel_picture, QWidget* parent = nullptr);
  // As the window opens: "Rear MainForce" only for the B-747.
  void Refresh();
  // The option buttons of the frame "Transform".
  void ChooseSeries(int index);
  // The PSD and PDF buttons; false when refused or another command runs.
  bool RunPsd();
  bool RunPdf();
  // A click on the spectrum at widget pixel (x, y): a marker, or the refusal left of the axis.
  bool PlaceMarker(double x, double y);

  QRadioButton* option(int i) const { return options_[static_cast<std::size_t>(i)]; }
  QLineEdit* exponent_box() const { return exponent_; }
  // When checked, a PSD run of the profile shows its spectrum against wavenumber.
  QCheckBox* wavenumber_box() const { return wavenumber_; }
  SpectrumView* series_view() const { return views_[0]; }
  SpectrumView* pdf_view() const { return views_[1]; }
  SpectrumView* psd_view() const { return views_[2]; }
  int series_index() const { return series_; }

 private:
  void CopyToClipboard(SpectrumView* view);
  void UpdateBusy(bool busy);

  Session& session_;
  CommandRunner& runner_;
  GuiPrompts& prompts_;
  std::function<QPixmap(int)> panel_picture_;
  std::array<QRadioButton*, 6> options_{};
  std::array<SpectrumView*, 3> views_{};
  QLineEdit* exponent_ = nullptr;
  QCheckBox* wavenumber_ = nullptr;
  std::vector<QPushButton*> run_buttons_;
  int series_ = 0;
};

}  // namespace tarmac::ui
