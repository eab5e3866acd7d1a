#include "ui/parameter_window.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tarmac::ui {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

constexpr const char* kAircraft[4] = {"B-727", "B-747", "DC-9", "DC-10"};
constexpr const char* kSurfaces[3] = {"Unspecified", "Asphalt", "Concrete"};

}  // namespace

// --- The distribution picture -------------------------------------------------------------------

DistributionView::DistributionView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("picOutput"));
  setMouseTracking(true);
  setMinimumSize(300, 200);
}

void DistributionView::SetPlot(ProbDistPlot plot) {
  plot_ = std::move(plot);
  // The mapping of the new curve is known at once, before the first paint.
  QImage scratch(size(), QImage::Format_RGB32);
  QPainter painter(&scratch);
  mapping_ = RenderProbDistPlot(painter, rect(), *plot_);
  update();
}

void DistributionView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (plot_) mapping_ = RenderProbDistPlot(painter, rect(), *plot_);
  painter.setPen(Qt::gray);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void DistributionView::mouseMoveEvent(QMouseEvent* event) {
  if (plot_) emit pointed(event->position().x(), event->position().y());
}

void DistributionView::mouseReleaseEvent(QMouseEvent* event) {
  if (plot_) emit pointed(event->position().x(), event->position().y());
}

void DistributionView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit clicked();
}

// --- The window ---------------------------------------------------------------------------------

ParameterWindow::ParameterWindow(Session& session, GuiPrompts& prompts,
                                 std::function<void(const std::string&, const std::string&)> readout,
                                 QWidget* parent)
    : QDialog(parent), session_(session), prompts_(prompts), readout_(std::move(readout)) {
  setObjectName(QStringLiteral("frmInputOutput"));
  setWindowTitle(QStringLiteral("Input / Output"));

  // The grid's rows: the numbers in their order, the straightedge position after its length,
  // the aircraft type after the damping factor, then the settings chosen from a list.
  for (const SettingSpec& spec : NumericSettings()) {
    rows_.push_back({RowKind::Number, &spec, std::string(spec.name)});
    if (spec.name == "StraightedgeLength")
      rows_.push_back({RowKind::Position, nullptr, "StraightedgePosition"});
    if (spec.name == "DampingFactor") rows_.push_back({RowKind::Aircraft, nullptr, "AircraftType"});
  }
  for (const SettingSpec& spec : SettingTable())
    if (spec.kind == SettingKind::Choice)
      rows_.push_back({RowKind::Choice, &spec, std::string(spec.name)});

  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  table_ = new QTableWidget(this);
  table_->setObjectName(QStringLiteral("grdParms"));
  table_->setColumnCount(2);
  table_->setHorizontalHeaderLabels({QStringLiteral("Parameter"), QStringLiteral("Value")});
  table_->verticalHeader()->setVisible(false);
  // Rows as high as their text: the whole grid shows without scrolling.
  table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
  table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  left->addWidget(table_, 1);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { EditRow(row); });

  auto* surface = new QGroupBox(QStringLiteral("Pavement Surface"), this);
  auto* sh = new QHBoxLayout(surface);
  const char* names[3] = {"optSurfaceUnspecified", "optSurfaceAsphalt", "optSurfaceConcrete"};
  for (int i = 0; i < 3; ++i) {
    auto* o = new QRadioButton(QString::fromLatin1(kSurfaces[i]), surface);
    o->setObjectName(QString::fromLatin1(names[i]));
    connect(o, &QRadioButton::clicked, this, [this, i] { ChooseSurface(kSurfaces[i]); });
    sh->addWidget(o);
    surfaces_[static_cast<std::size_t>(i)] = o;
  }
  left->addWidget(surface);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setObjectName(QStringLiteral("cmdClose"));
  close->setAutoDefault(false);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  left->addWidget(close, 0, Qt::AlignRight);
  layout->addLayout(left, 1);

  auto* dist = new QGroupBox(QStringLiteral("Probability Distribution Function"), this);
  auto* dv = new QVBoxLayout(dist);
  auto* choice = new QHBoxLayout;
  const char* captions[2] = {"Straightedge", "Boeing Bump"};
  for (int i = 0; i < 2; ++i) {
    auto* o = new QRadioButton(QString::fromLatin1(captions[i]), dist);
    o->setObjectName(QStringLiteral("optProbDist%1").arg(i));
    choice->addWidget(o);
    series_[static_cast<std::size_t>(i)] = o;
  }
  series_[0]->setChecked(true);
  auto* run = new QPushButton(QStringLiteral("Run"), dist);
  run->setObjectName(QStringLiteral("cmdProbDistRun"));
  run->setAutoDefault(false);
  connect(run, &QPushButton::clicked, this,
          [this] { RunDistribution(series_[1]->isChecked() ? 1 : 0); });
  choice->addWidget(run);
  dv->addLayout(choice);
  view_ = new DistributionView(dist);
  dv->addWidget(view_, 1);
  connect(view_, &DistributionView::pointed, this, [this](double x, double y) {
    if (!view_->plot() || !readout_) return;
    // The Boeing Bump Index has no unit; the deviations are in inches, or millimetres in
    // metric units.
    const ProbDistPlot& p = *view_->plot();
    const std::string unit = p.title == "Boeing Bump Index" ? ""
                             : session_.model().units.Metric ? " mm"
                                                             : " in";
    const ProbDistReadout r = ReadProbDist(view_->mapping(), x, y, unit);
    readout_(r.x_text, r.p_text);
  });
  connect(view_, &DistributionView::clicked, this, [this] {
    if (view_->plot()) QApplication::clipboard()->setImage(view_->grab().toImage());
  });
  layout->addWidget(dist, 1);

  resize(900, 500);
  Refresh();
}

int ParameterWindow::RowOf(const std::string& name) const {
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].name == name) return static_cast<int>(i);
  return -1;
}

void ParameterWindow::Refresh() {
  const ProfileModel& m = session_.model();
  table_->setRowCount(static_cast<int>(rows_.size()));
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const Row& r = rows_[i];
    QString label, value;
    switch (r.kind) {
      case RowKind::Number:
      case RowKind::Choice:
        label = Q(SettingLabel(*r.spec, m.units));
        value = Q(SettingDisplayValue(*r.spec, m.settings, m.units));
        break;
      case RowKind::Position:
        label = QStringLiteral(" Straightedge Eval. Position");
        value = Q(m.settings.StraightedgePosition);
        break;
      case RowKind::Aircraft:
        label = QStringLiteral(" Aircraft Type");
        value = Q(m.settings.AircraftType);
        break;
    }
    table_->setItem(static_cast<int>(i), 0, new QTableWidgetItem(label));
    table_->setItem(static_cast<int>(i), 1, new QTableWidgetItem(value));
  }
  for (int i = 0; i < 3; ++i) {
    const QSignalBlocker block(surfaces_[static_cast<std::size_t>(i)]);
    surfaces_[static_cast<std::size_t>(i)]->setChecked(m.settings.SurfaceType == kSurfaces[i]);
  }
}

bool ParameterWindow::EditRow(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return false;
  const ProfileModel& m = session_.model();
  const Row& r = rows_[static_cast<std::size_t>(row)];
  bool ok = false;
  switch (r.kind) {
    case RowKind::Position:
      ok = session_.SetSetting(r.name, m.settings.StraightedgePosition == "Between" ? "Full Length"
                                                                                    : "Between");
      break;
    case RowKind::Aircraft: {
      QStringList items;
      int current = 0;
      for (int i = 0; i < 4; ++i) {
        items << QString::fromLatin1(kAircraft[i]);
        if (m.settings.AircraftType == kAircraft[i]) current = i;
      }
      const auto chosen =
          prompts_.Choose(QStringLiteral("Aircraft Type"), QStringLiteral("Aircraft Type"), items, current);
      if (!chosen) return false;
      ok = session_.SetSetting(r.name, kAircraft[*chosen]);
      break;
    }
    case RowKind::Choice: {
      QStringList items;
      int current = 0;
      for (std::size_t i = 0; i < r.spec->choices.size(); ++i) {
        items << Q(r.spec->choices[i]);
        if (r.spec->choices[i] == r.spec->get_choice(m.settings)) current = static_cast<int>(i);
      }
      const auto chosen =
          prompts_.Choose(Q(r.spec->dialog_name), Q(r.spec->dialog_name), items, current);
      if (!chosen) return false;
      ok = session_.SetSetting(r.name, std::string(r.spec->choices[static_cast<std::size_t>(*chosen)]));
      break;
    }
    case RowKind::Number: {
      // A setting the surface fixes is refused before any dialog: the settings' own check,
      // asked with a stand-in entry on a copy.
      Settings trial = m.settings;
      const SettingEdit refusal = ApplySettingEntry(trial, m.units, *r.spec, "0");
      if (refusal.title == "Cannot Change") {
        prompts_.Message(refusal.message, refusal.title);
        return false;
      }
      const auto answer = prompts_.Input(SettingPrompt(*r.spec, m.settings, m.units),
                                         "Changing " + std::string(r.spec->dialog_name));
      // An empty or cancelled box keeps the old value and says nothing.
      if (!answer || answer->find_first_not_of(" \t") == std::string::npos) return false;
      ok = session_.SetSetting(r.name, *answer);
      break;
    }
  }
  Refresh();
  return ok;
}

void ParameterWindow::ChooseSurface(const std::string& option) {
  session_.SetSurface(option);
  Refresh();
}

bool ParameterWindow::RunDistribution(int series) {
  series_[static_cast<std::size_t>(series == 1 ? 1 : 0)]->setChecked(true);
  const auto request = session_.RunDistribution(series == 1 ? Session::DistributionSeries::BoeingBump
                                                            : Session::DistributionSeries::Straightedge);
  if (!request) return false;
  view_->SetPlot({request->cdf, request->x_max, request->title, request->unit_label});
  return true;
}

}  // namespace tarmac::ui
