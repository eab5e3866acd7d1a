#include "ui/spectra_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "workflow/spectra_texts.h"
#include "workflow/session_jobs.h"
#include "workflow/wavenumber_spectrum.h"
#include "workflow/spectra_texts.h"

namespace tarmac::ui {

// --- One picture --------------------------------------------------------------------------------

SpectrumView::SpectrumView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(240, 160);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void SpectrumView::SetPlot(std::optional<SpectrumPlot> plot) {
  plot_ = std::move(plot);
  loglog_.reset();
  picture_ = QPixmap();
  markers_.clear();
  mapping_valid_ = false;
  update();
}

void SpectrumView::SetPicture(const QPixmap& picture) {
  plot_.reset();
  loglog_.reset();
  picture_ = picture;
  markers_.clear();
  update();
}

void SpectrumView::SetLogLogPlot(LogLogPlot plot) {
  plot_.reset();
  loglog_ = std::move(plot);
  picture_ = QPixmap();
  markers_.clear();
  mapping_ = {};
  mapping_valid_ = false;
  update();
}

void SpectrumView::Clear() {
  plot_.reset();
  loglog_.reset();
  picture_ = QPixmap();
  markers_.clear();
  mapping_ = {};
  mapping_valid_ = false;
  update();
}

void SpectrumView::AddMarker(const Marker& m) {
  markers_.push_back(m);
  update();
}

void SpectrumView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  mapping_valid_ = false;
}

const SpectrumPlotResult& SpectrumView::mapping() {
  if (!mapping_valid_ && plot_) {
    // Drawn once off screen at the present size: the mapping of what the person sees.
    QImage scratch(size(), QImage::Format_RGB32);
    QPainter painter(&scratch);
    mapping_ = RenderSpectrumPlot(painter, rect(), *plot_);
    mapping_valid_ = true;
  }
  return mapping_;
}

void SpectrumView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (plot_) {
    mapping_ = RenderSpectrumPlot(painter, rect(), *plot_);
    mapping_valid_ = true;
    for (std::size_t i = 0; i < markers_.size(); ++i) {
      const Marker& m = markers_[i];
      const double x = mapping_.nyquist > 0
                           ? mapping_.x_origin + m.frequency / mapping_.nyquist * mapping_.frame_width
                           : mapping_.x_origin;
      DrawFrequencyMarker(painter, mapping_, static_cast<int>(i + 1), x,
                          m.height_fraction * height(), m.frequency);
    }
  } else if (loglog_) {
    RenderLogLogPlot(painter, rect(), *loglog_);
  } else if (!picture_.isNull()) {
    // The panel's picture at its own proportions, centred: its labels stay legible.
    const QPixmap shown =
        picture_.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    painter.drawPixmap((width() - shown.width()) / 2, (height() - shown.height()) / 2, shown);
  }
  painter.setPen(Qt::gray);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void SpectrumView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit clicked(event->position().x(), event->position().y());
}

// --- The window ---------------------------------------------------------------------------------

SpectraWindow::SpectraWindow(Session& session, CommandRunner& runner, GuiPrompts& prompts,
                             std::function<QPixmap(int)> panel_picture, QWidget* parent)
    : QDialog(parent),
      session_(session),
      runner_(runner),
      prompts_(prompts),
      panel_picture_(std::move(panel_picture)) {
  setObjectName(QStringLiteral("PDFPSD"));
  setWindowTitle(QStringLiteral("PSD"));
  auto* layout = new QHBoxLayout(this);

  auto* side = new QWidget(this);
  auto* sv = new QVBoxLayout(side);
  sv->setContentsMargins(0, 0, 0, 0);
  auto* transform = new QGroupBox(QStringLiteral("Transform"), side);
  auto* tv = new QVBoxLayout(transform);
  for (int i = 0; i < 6; ++i) {
    auto* o = new QRadioButton(
        QString::fromStdString(Session::SpectrumSeriesCaption(static_cast<Session::SpectrumSeries>(i))),
        transform);
    o->setObjectName(QStringLiteral("Option1_%1").arg(i));
    connect(o, &QRadioButton::clicked, this, [this, i] { ChooseSeries(i); });
    tv->addWidget(o);
    options_[static_cast<std::size_t>(i)] = o;
  }
  options_[0]->setChecked(true);
  sv->addWidget(transform);
  exponent_ = new QLineEdit(QStringLiteral("10"), side);
  exponent_->setObjectName(QStringLiteral("Text1"));
  exponent_->setMaximumWidth(60);
  auto* exponent_row = new QHBoxLayout;
  exponent_row->addWidget(exponent_);
  exponent_row->addWidget(new QLabel(QStringLiteral(" n of 10^n (PSD)"), side));
  sv->addLayout(exponent_row);
  wavenumber_ = new QCheckBox(QStringLiteral("Against wavenumber (log-log)"), side);
  wavenumber_->setObjectName(QStringLiteral("chkWavenumber"));
  wavenumber_->setToolTip(QStringLiteral("PSD of the profile against wavenumber, per cycle of "
                                         "wavelength; the profile only"));
  sv->addWidget(wavenumber_);
  auto button = [&](const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromLatin1(caption), side);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    sv->addWidget(b);
    return b;
  };
  QPushButton* psd = button("PSD", "PSD");
  QPushButton* pdf = button("PDF", "PDF");
  QPushButton* exit = button("cmdEXIT", "EXIT");
  connect(psd, &QPushButton::clicked, this, [this] { RunPsd(); });
  connect(pdf, &QPushButton::clicked, this, [this] { RunPdf(); });
  connect(exit, &QPushButton::clicked, this, &QDialog::close);
  run_buttons_ = {psd, pdf};
  sv->addStretch(1);
  layout->addWidget(side, 0);

  auto* pictures = new QWidget(this);
  auto* grid = new QGridLayout(pictures);
  grid->setContentsMargins(0, 0, 0, 0);
  for (int i = 0; i < 3; ++i) {
    auto* v = new SpectrumView(pictures);
    v->setObjectName(QStringLiteral("Picture1_%1").arg(i));
    views_[static_cast<std::size_t>(i)] = v;
    connect(v, &SpectrumView::clicked, this, [this, v, i](double x, double y) {
      if (i == 2) PlaceMarker(x, y);
      CopyToClipboard(v);
    });
  }
  // The series picture above, the density and the spectrum side by side below.
  grid->addWidget(views_[0], 0, 0, 1, 2);
  grid->addWidget(views_[1], 1, 0);
  grid->addWidget(views_[2], 1, 1);
  layout->addWidget(pictures, 1);

  connect(&runner_, &CommandRunner::started, this, [this](const QString&) { UpdateBusy(true); });
  connect(&runner_, &CommandRunner::finished, this, [this](bool) { UpdateBusy(false); });
  resize(1000, 680);
  Refresh();
}

void SpectraWindow::UpdateBusy(bool busy) {
  for (QPushButton* b : run_buttons_) b->setEnabled(!busy);
  for (QRadioButton* o : options_) o->setEnabled(!busy);
  wavenumber_->setEnabled(!busy && series_ == 0);
  if (!busy) Refresh();
}

void SpectraWindow::Refresh() {
  const bool b747 = session_.model().settings.AircraftType == "B-747";
  options_[5]->setEnabled(b747 && !runner_.running());
  if (!b747 && series_ == 5) {
    series_ = 0;
    options_[0]->setChecked(true);
  }
}

void SpectraWindow::ChooseSeries(int index) {
  if (index < 0 || index > 5 || !options_[static_cast<std::size_t>(index)]->isEnabled()) return;
  series_ = index;
  options_[static_cast<std::size_t>(index)]->setChecked(true);
  // A response is a function of time: only the profile has a spectrum against wavenumber.
  wavenumber_->setEnabled(index == 0 && !runner_.running());
  views_[0]->Clear();
  // The picture of the main window's panel of that number, on the clipboard and shown here.
  const QPixmap picture = panel_picture_ ? panel_picture_(index) : QPixmap();
  if (!picture.isNull()) {
    QApplication::clipboard()->setPixmap(picture);
    views_[0]->SetPicture(picture);
  }
}

bool SpectraWindow::RunPsd() {
  if (runner_.running()) return false;
  const auto series = static_cast<Session::SpectrumSeries>(series_);
  std::unique_ptr<Session::PsdJob> job =
      session_.PreparePsd(series, exponent_->text().toStdString());
  if (!job) return false;
  views_[2]->Clear();  // the markers start again from F1
  Session::PsdJob* psd = job.get();
  const std::string caption = Session::SpectrumSeriesCaption(series);
  const bool wavenumber = wavenumber_->isChecked() && series == Session::SpectrumSeries::Profile;
  return runner_.StartJob(QStringLiteral("PSD"), std::move(job), [this, psd, caption, wavenumber](bool ok) {
    if (!ok || !psd->Result()) return;
    const PsdResult& r = *psd->Result();
    if (wavenumber) {
      WavenumberSpectrum w = ProfileWavenumberSpectrum(r, session_.model().units);
      views_[2]->SetLogLogPlot({std::move(w.wavenumber), std::move(w.density), w.title,
                                w.wavenumber_title, w.density_title});
      return;
    }
    SpectrumPlot plot;
    plot.mode = SpectrumMode::Psd;
    plot.curves.push_back({r.frequency, r.smoothed});
    plot.y_max = r.ymax;
    plot.y_min = r.ymin;
    plot.x_max = r.xmax;
    plot.x_min = r.xmin;
    plot.series_caption = caption;
    plot.nexp = r.exponent;
    plot.dt = r.dt;
    views_[2]->SetPlot(std::move(plot));
  });
}

bool SpectraWindow::RunPdf() {
  if (runner_.running()) return false;
  const auto series = static_cast<Session::SpectrumSeries>(series_);
  std::unique_ptr<Session::PdfJob> job = session_.PreparePdf(series);
  if (!job) return false;
  views_[1]->Clear();
  Session::PdfJob* pdf = job.get();
  const std::string caption = Session::SpectrumSeriesCaption(series);
  return runner_.StartJob(QStringLiteral("PDF"), std::move(job), [this, pdf, caption](bool ok) {
    if (!ok || !pdf->Result()) return;
    const PdfResult& r = *pdf->Result();
    SpectrumPlot plot;
    plot.mode = SpectrumMode::Pdf;
    plot.curves.push_back({r.h, r.normal});  // the normal density, with the axes
    plot.curves.push_back({r.h, r.pdf});     // the estimate over it
    plot.y_max = r.ymax;
    plot.y_min = r.ymin;
    plot.x_max = r.xmax;
    plot.x_min = r.xmin;
    plot.series_caption = caption;
    plot.statistics = DensityStatistics{r.amean, r.asdev, r.cskew, r.ckurt, r.area, r.arean};
    views_[1]->SetPlot(std::move(plot));
  });
}

bool SpectraWindow::PlaceMarker(double x, double y) {
  SpectrumView* v = views_[2];
  if (!v->plot()) return false;
  const auto frequency = MarkerFrequency(v->mapping(), x);
  if (!frequency) {
    prompts_.Message(std::string(kMarkerLeftOfAxisMessage), "PSD");
    return false;
  }
  v->AddMarker({*frequency, v->height() > 0 ? y / v->height() : 0.0});
  return true;
}

void SpectraWindow::CopyToClipboard(SpectrumView* view) {
  if (view->empty()) return;
  QApplication::clipboard()->setImage(view->grab().toImage());
}

}  // namespace tarmac::ui
