#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QElapsedTimer>
#include <QThread>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <memory>

#include "editing/new_length.h"
#include "editing/repair.h"
#include "editing/selection.h"
#include "editing/vertical_curve.h"
#include "render/level_plot.h"
#include "render/session_plots.h"
#include "ui/batch_support.h"
#include "ui/chart_window.h"
#include "ui/exceedance_dock.h"
#include "ui/getting_started.h"
#include "ui/parameter_window.h"
#include "ui/spectra_window.h"
#include "workflow/batch_runner.h"
#include "workflow/erd.h"
#include "workflow/editing_texts.h"

#ifndef TARMAC_VERSION
#define TARMAC_VERSION "0"
#endif

namespace tarmac::ui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

constexpr const char* kBaseCaption = "Profile and Roughness Indexes";
constexpr const char* kOptionCaptions[6] = {"Straightedge", "Boeing Bump", "IRI (1/4 car)",
                                            "CA Profilograph", "Bandpass Filter", "Other"};
constexpr const char* kIndexNames[5] = {"Straightedge", "Boeing Bump", "IRI", "CA Profilograph",
                                        "Bandpass Filter"};

// The series the plotter converts into display units itself (the profile and the index
// series); everything else (the aircraft responses) is stored in display units already.
bool IsLevelPlotKind(const std::string& kind) {
  static const char* const kKinds[] = {"ZProfile", "ZHiPass",         "Speed",
                                       "Other",    "Straightedge",    "Boeing Bump Index",
                                       "IRI (1/4 Car)", "CA Profilograph", "Bandpass Filter"};
  for (const char* k : kKinds)
    if (kind == k) return true;
  return kind == kRepairLevelKind;
}

// The index series each panel holds once its index has run.
constexpr const char* kIndexKindOfLevel[6] = {"", "Straightedge", "Boeing Bump Index",
                                              "IRI (1/4 Car)", "CA Profilograph",
                                              "Bandpass Filter"};

// A title whose unit text belongs to the unit system left: the same title in the new one.
std::string SwapSuffix(const std::string& title, const std::string& from, const std::string& to) {
  if (!from.empty() && title.size() >= from.size() &&
      title.compare(title.size() - from.size(), from.size(), from) == 0)
    return title.substr(0, title.size() - from.size()) + to;
  return title;
}

}  // namespace

MainWindow::MainWindow(GuiPrompts& prompts, QSettings* settings, QWidget* parent)
    : QMainWindow(parent), prompts_(prompts), settings_(settings) {
  setObjectName(QStringLiteral("frmStart"));
  session_ = std::make_unique<Session>(prompts_, &sink_);
  session_->SetProgress(&runner_.progress());
  session_->SetChangeListener([this](const ModelChange& c) { OnModelChanged(c); });
  prompts_.SetStatusSink([this](const std::string& text) { SetStatus(text); });

  auto* central = new QWidget(this);
  auto* layout = new QHBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* plots = new QWidget(central);
  BuildPanels(plots);
  layout->addWidget(plots, 1);
  layout->addWidget(BuildControls(), 0);
  setCentralWidget(central);
  exceedance_dock_ = new ExceedanceDock(this);
  addDockWidget(Qt::BottomDockWidgetArea, exceedance_dock_);
  // Shown once something has been judged, so that the window keeps its size until then.
  exceedance_dock_->hide();
  connect(exceedance_dock_, &ExceedanceDock::stretchChosen, this,
          [this](ExceedanceKind kind, int stretch) { ZoomToStretch(kind, stretch); });
  BuildMenus();

  // The status bar: six panels, the first for the status texts, then the progress of a command.
  for (int i = 0; i < 6; ++i) {
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("sbrStart%1").arg(i + 1));
    label->setMinimumWidth(i == 0 ? 170 : 60);
    statusBar()->addWidget(label, i == 0 ? 2 : 1);
    status_[static_cast<std::size_t>(i)] = label;
  }
  progress_bar_ = new QProgressBar(this);
  progress_bar_->setRange(0, 100);
  progress_bar_->setMaximumWidth(160);
  progress_bar_->setVisible(false);
  statusBar()->addPermanentWidget(progress_bar_);

  connect(&runner_, &CommandRunner::started, this, [this](const QString&) { UpdateBusy(true); });
  connect(&runner_, &CommandRunner::progressed, progress_bar_, &QProgressBar::setValue);
  connect(&runner_, &CommandRunner::statusChanged, this,
          [this](const QString& text) { status_[0]->setText(text); });
  connect(&runner_, &CommandRunner::finished, this, [this](bool) {
    UpdateBusy(false);
    if (close_after_run_) QTimer::singleShot(0, this, &QWidget::close);
  });

  // Start-up: the caption, the boxes as the form sets them, the units of the "metric" box.
  setWindowTitle(QString::fromLatin1(kBaseCaption));
  runway_->setChecked(true);
  metric_->setChecked(false);
  concrete_->setChecked(false);
  smooth_ends_->setChecked(false);
  session_->SetMetric(false);

  resize(1280, 800);
  if (settings_) {
    const QByteArray geometry = settings_->value(QStringLiteral("window/geometry")).toByteArray();
    if (!geometry.isEmpty()) restoreGeometry(geometry);
    folder_ = settings_->value(QStringLiteral("files/lastFolder")).toString();
  }
  Refresh();
}

MainWindow::~MainWindow() {
  // A worker still computing is stopped before the Session it was prepared from goes; the sink
  // outlives no panel: the Session goes first.
  runner_.Abandon();
  session_->SetChangeListener({});
  session_.reset();
}

void MainWindow::BuildPanels(QWidget* area) {
  auto* grid = new QGridLayout(area);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(4);
  for (int level = 0; level < kPanelCount; ++level) {
    auto* p = new PlotPanel(level, area);
    panels_[static_cast<std::size_t>(level)] = p;
    sink_.SetPanel(level, p);
    grid->addWidget(p, level / 2, level % 2);
    connect(p, &PlotPanel::pressed, this, &MainWindow::OnPanelPressed);
    connect(p, &PlotPanel::moved, this, &MainWindow::OnPanelMoved);
  }
}

QWidget* MainWindow::BuildControls() {
  auto* side = new QWidget(this);
  side->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  auto* v = new QVBoxLayout(side);
  v->setContentsMargins(0, 0, 0, 0);

  auto* indexes = new QGroupBox(QStringLiteral("Indexes"), side);
  auto* ig = new QGridLayout(indexes);
  for (int k = 0; k < 6; ++k) {
    auto* option = new QRadioButton(QString::fromLatin1(kOptionCaptions[k]), indexes);
    option->setObjectName(QStringLiteral("optIndex%1").arg(k));
    auto* value = new QLineEdit(indexes);
    value->setObjectName(QStringLiteral("index_text%1").arg(k));
    value->setReadOnly(true);
    value->setMaximumWidth(90);
    value->setAlignment(Qt::AlignRight);
    ig->addWidget(option, k, 0);
    ig->addWidget(value, k, 1);
    options_[static_cast<std::size_t>(k)] = option;
    values_[static_cast<std::size_t>(k)] = value;
    // A left click on an option runs its index; other buttons do nothing.
    connect(option, &QRadioButton::clicked, this, [this, k] { RunIndexOption(k); });
    busy_widgets_.push_back(option);
  }
  v->addWidget(indexes);

  auto* boxes = new QWidget(side);
  auto* bg = new QGridLayout(boxes);
  bg->setContentsMargins(6, 0, 6, 0);
  metric_ = new QCheckBox(QStringLiteral("metric"), boxes);
  metric_->setObjectName(QStringLiteral("chkMeter"));
  concrete_ = new QCheckBox(QStringLiteral("Concrete"), boxes);
  concrete_->setObjectName(QStringLiteral("ChkConcrete"));
  runway_ = new QCheckBox(QStringLiteral("Runway"), boxes);
  runway_->setObjectName(QStringLiteral("ChkRunway"));
  smooth_ends_ = new QCheckBox(QStringLiteral("SmoothEnds"), boxes);
  smooth_ends_->setObjectName(QStringLiteral("chkSmoothEnds"));
  bg->addWidget(metric_, 0, 0);
  bg->addWidget(runway_, 0, 1);
  bg->addWidget(smooth_ends_, 1, 0);
  bg->addWidget(concrete_, 1, 1);
  for (QWidget* w : {static_cast<QWidget*>(metric_), static_cast<QWidget*>(concrete_),
                     static_cast<QWidget*>(runway_), static_cast<QWidget*>(smooth_ends_)})
    busy_widgets_.push_back(w);
  connect(metric_, &QCheckBox::toggled, this, &MainWindow::SetMetric);
  connect(concrete_, &QCheckBox::toggled, this, [this](bool on) { session_->SetConcrete(on); });
  // The two boxes are plain settings of the analysis.
  connect(runway_, &QCheckBox::toggled, this,
          [this](bool on) { session_->SetRunway(on); });
  connect(smooth_ends_, &QCheckBox::toggled, this,
          [this](bool on) { session_->SetSmoothEnds(on); });
  v->addWidget(boxes);

  auto* ops = new QGroupBox(QStringLiteral("Operations"), side);
  auto* og = new QGridLayout(ops);
  og->setSpacing(4);
  int n = 0;
  auto add = [&](const char* name, const QString& caption, auto slot, bool conflicts = true) {
    auto* b = new QPushButton(caption, ops);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    og->addWidget(b, n / 2, n % 2);
    ++n;
    connect(b, &QPushButton::clicked, this, slot);
    if (conflicts) busy_widgets_.push_back(b);
    return b;
  };
  add("cmdReadFile", QStringLiteral("Read &File"), &MainWindow::ReadFile);
  add("cmdSave", QStringLiteral("&Save Profile"), &MainWindow::SaveProfile);
  add("cmdSaveIndexes", QStringLiteral("Save Indexes"), &MainWindow::SaveIndexes);
  add("cmdAuto", QStringLiteral("&Automatically Process All"), &MainWindow::AutoProcessAll)
      ->setToolTip(QStringLiteral("Automatically Process All"));
  add("cmdRunSim", QStringLiteral("Run Si&m"), &MainWindow::RunSimulation);
  add("cmdInputOutput", QStringLiteral("In / Out"), &MainWindow::ShowParameters);
  add("BarChartPlot", QStringLiteral("ShowBars"), &MainWindow::ShowBars);
  add("cmdZoom", QStringLiteral("&Zoom"), &MainWindow::Zoom);
  add("cmdUndoZoom", QStringLiteral("Un&do Zoom"), &MainWindow::UndoZoom);
  add("cmdNewLength", QStringLiteral("New &Length"), &MainWindow::NewLength);
  add("cmdUndoNewLength", QStringLiteral("Undo NewLen"), &MainWindow::UndoNewLength);
  // The commands the original form kept out of sight, offered beside the others.
  add("cmdRepair", QStringLiteral("&Repair"), &MainWindow::Repair);
  add("cmdUndoRepair", QStringLiteral("U&ndoRepair"), &MainWindow::UndoRepair);
  add("cmdHighPass", QStringLiteral("High &Pass"), &MainWindow::HighPass);
  add("cmdVerticalCurve", QStringLiteral("Vertical Curve"), &MainWindow::VerticalCurve);
  // Its caption's mnemonic would be Alt+A, which belongs to "Automatically Process All": the
  // caption keeps its text without the second claim on the key.
  add("cmdProcessAll", QStringLiteral("ProcessSim All"), &MainWindow::ProcessSimAll);
  add("PSD", QStringLiteral("PSD"), &MainWindow::ShowSpectra);
  cancel_button_ =
      add("cmdCancelOperation", QStringLiteral("Cancel Op."), &MainWindow::CancelOperation, false);
  add("cmdEXIT", QStringLiteral("E&xit"), &QWidget::close, false);
  v->addWidget(ops);
  v->addStretch(1);
  side->setFixedWidth(300);
  return side;
}

void MainWindow::BuildMenus() {
  // Menu titles carry mnemonics that no button caption uses, so Alt+F stays Read File.
  QMenu* file = menuBar()->addMenu(QStringLiteral("F&ile"));
  auto act = [&](QMenu* menu, const QString& text, const QKeySequence& key, auto slot,
                 bool conflicts = true) {
    QAction* a = menu->addAction(text);
    if (!key.isEmpty()) {
      a->setShortcut(key);
      a->setShortcutContext(Qt::WindowShortcut);
    }
    connect(a, &QAction::triggered, this, slot);
    if (conflicts) busy_actions_.push_back(a);
    return a;
  };
  act(file, QStringLiteral("Read File..."), QKeySequence(Qt::CTRL | Qt::Key_O), &MainWindow::ReadFile);
  act(file, QStringLiteral("Save Profile..."), QKeySequence(Qt::CTRL | Qt::Key_S),
      &MainWindow::SaveProfile);
  act(file, QStringLiteral("Save Indexes"), {}, &MainWindow::SaveIndexes);
  file->addSeparator();
  act(file, QStringLiteral("Import ERD..."), {}, &MainWindow::ImportErd);
  act(file, QStringLiteral("Import CSV..."), {}, &MainWindow::ImportCsv);
  act(file, QStringLiteral("Export Plot as CSV..."), {}, &MainWindow::ExportLevelCsv);
  act(file, QStringLiteral("Export Profile as ERD..."), {}, &MainWindow::ExportErd);
  file->addSeparator();
  QAction* exit = act(file, QStringLiteral("Exit"), QKeySequence(Qt::CTRL | Qt::Key_Q),
                      &QWidget::close, false);
  exit->setMenuRole(QAction::QuitRole);

  QMenu* analyze = menuBar()->addMenu(QStringLiteral("Anal&yze"));
  for (int k = 0; k < 5; ++k)
    act(analyze, QString::fromLatin1(kIndexNames[k]),
        QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + k)), [this, k] {
          options_[static_cast<std::size_t>(k)]->setChecked(true);
          RunIndexOption(k);
        });
  act(analyze, QStringLiteral("Filter Test"), QKeySequence(Qt::CTRL | Qt::Key_6), [this] {
    options_[5]->setChecked(true);
    RunIndexOption(5);
  });
  analyze->addSeparator();
  act(analyze, QStringLiteral("Run Sim"), {}, &MainWindow::RunSimulation);
  act(analyze, QStringLiteral("Automatically Process All..."), {}, &MainWindow::AutoProcessAll);
  act(analyze, QStringLiteral("ProcessSim All..."), {}, &MainWindow::ProcessSimAll);

  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  act(edit, QStringLiteral("Repair"), {}, &MainWindow::Repair);
  act(edit, QStringLiteral("Undo Repair"), {}, &MainWindow::UndoRepair);
  edit->addSeparator();
  act(edit, QStringLiteral("Zoom"), {}, &MainWindow::Zoom);
  act(edit, QStringLiteral("Undo Zoom"), {}, &MainWindow::UndoZoom);
  act(edit, QStringLiteral("New Length"), {}, &MainWindow::NewLength);
  act(edit, QStringLiteral("Undo NewLen"), {}, &MainWindow::UndoNewLength);
  act(edit, QStringLiteral("Vertical Curve"), {}, &MainWindow::VerticalCurve);
  act(edit, QStringLiteral("High Pass"), {}, &MainWindow::HighPass);
  edit->addSeparator();
  act(edit, QStringLiteral("Cancel Op."), QKeySequence(Qt::Key_Escape),
      &MainWindow::CancelOperation, false);
  edit->addSeparator();
  // The panel last clicked, or the profile's when none has been.
  act(edit, QStringLiteral("Copy Plot"), QKeySequence(QKeySequence::Copy),
      [this] { CopyPlot(clicked_level_ < 0 ? 0 : clicked_level_); }, false);

  QMenu* windows = menuBar()->addMenu(QStringLiteral("&Windows"));
  for (const char* name : {"cmdInputOutput", "BarChartPlot", "PSD"}) {
    auto* button = findChild<QPushButton*>(QString::fromLatin1(name));
    QString text = button->text();
    act(windows, text, {}, [button] { button->click(); });
  }

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  act(help, QStringLiteral("Getting Started"), QKeySequence(QKeySequence::HelpContents),
      &MainWindow::ShowGettingStarted, false);
  act(help, QStringLiteral("Keyboard Shortcuts"), {}, &MainWindow::ShowShortcuts, false);
  act(help, QStringLiteral("About Tarmac"), {}, &MainWindow::ShowAbout, false);
}

void MainWindow::Refresh() {
  const ProfileModel& m = model();
  setWindowTitle(m.data_file.empty() ? QString::fromLatin1(kBaseCaption) : Q(m.caption));
  for (int k = 0; k < 6; ++k) values_[static_cast<std::size_t>(k)]->setText(Q(m.index_text[static_cast<std::size_t>(k)]));
  const QSignalBlocker b1(metric_), b2(runway_), b3(smooth_ends_), b4(concrete_);
  metric_->setChecked(m.settings.Metric);
  runway_->setChecked(m.settings.Runway);
  smooth_ends_->setChecked(m.settings.SmoothEnds);
  concrete_->setChecked(m.settings.Concrete);
}

void MainWindow::SetStatus(const std::string& text) { status_[0]->setText(Q(text)); }

void MainWindow::OnModelChanged(const ModelChange& c) {
  const ProfileModel& m = model();
  setWindowTitle(m.data_file.empty() ? QString::fromLatin1(kBaseCaption) : Q(m.caption));
  if (c.profile || c.units || !c.indexes.empty() || c.simulation)
    for (int k = 0; k < 6; ++k)
      values_[static_cast<std::size_t>(k)]->setText(Q(m.index_text[static_cast<std::size_t>(k)]));
  if (c.settings && spectra_window_) spectra_window_->Refresh();
  if (c.settings || c.units) {
    const QSignalBlocker b1(metric_), b2(runway_), b3(smooth_ends_), b4(concrete_);
    metric_->setChecked(m.settings.Metric);
    runway_->setChecked(m.settings.Runway);
    smooth_ends_->setChecked(m.settings.SmoothEnds);
    concrete_->setChecked(m.settings.Concrete);
    if (parameter_window_) parameter_window_->Refresh();
  }
  if ((c.profile || c.units || !c.indexes.empty() || c.simulation) && chart_window_ &&
      chart_window_->isVisible())
    chart_window_->Refresh();
  if (c.profile || c.units || !c.indexes.empty() || c.simulation || !c.levels.empty())
    ShowExceedances();
}

void MainWindow::ShowExceedances() {
  const ProfileModel& m = model();
  exceedance_dock_->Refresh(m);
  const bool judged = !ExceedanceCounts(m.exceedances).empty();
  if (judged && exceedance_dock_->isHidden()) {
    exceedance_dock_->show();
    // The panels keep most of the height; the list scrolls.
    resizeDocks({exceedance_dock_}, {170}, Qt::Vertical);
  }
  for (int level = 0; level < kPanelCount; ++level) {
    std::vector<std::pair<int, int>> bands;
    for (const ExceedanceKind kind : m.exceedances.on_level.at(static_cast<std::size_t>(level)))
      if (const auto& list = m.exceedances.of(kind))
        for (const ExceedanceStretch& s : list->stretches) bands.emplace_back(s.first, s.last + 1);
    panels_[static_cast<std::size_t>(level)]->SetBands(std::move(bands));
  }
}

bool MainWindow::ZoomToStretch(ExceedanceKind kind, int stretch) {
  if (runner_.running()) return false;
  const auto zoom = ZoomOnStretch(model(), kind, stretch);
  if (!zoom) {
    SetStatus("That stretch's series is no longer drawn: run its index again to see it.");
    return false;
  }
  PlotPanel* p = panels_[static_cast<std::size_t>(zoom->level)];
  if (p->showing_detail()) p->RestoreSeries();
  const bool done = session_->Zoom(zoom->level, zoom->x1, zoom->x2);
  Refresh();
  return done;
}

void MainWindow::UpdateBusy(bool busy) {
  for (QWidget* w : busy_widgets_) w->setEnabled(!busy);
  for (QAction* a : busy_actions_) a->setEnabled(!busy);
  // The settings and the chart shown must not change under a computation.
  if (parameter_window_) parameter_window_->setEnabled(!busy);
  if (chart_window_) chart_window_->setEnabled(!busy);
  progress_bar_->setValue(0);
  progress_bar_->setVisible(busy);
}

bool MainWindow::Run(const QString& what, const std::function<bool()>& command) {
  if (selection_.active()) FinishSelection(*selection_.Cancel());
  // What the command changed comes back through the change listener.
  return runner_.Run(what, command);
}

bool MainWindow::StartJob(const QString& what, std::unique_ptr<Job> job) {
  if (!job) return false;  // refused while prepared: the reason has been shown
  return runner_.StartJob(what, std::move(job), [this](bool published) {
    // A cancelled job publishes nothing; the window says so.
    if (!published && runner_.cancel_requested()) SetStatus("Cancelled");
  });
}

QString MainWindow::LastFolder() const {
  if (!folder_.isEmpty() && QDir(folder_).exists()) return folder_;
  return QDir::currentPath();
}

void MainWindow::RememberFolder(const std::string& path) {
  folder_ = QFileInfo(Q(path)).absolutePath();
  if (settings_) settings_->setValue(QStringLiteral("files/lastFolder"), folder_);
}

// --- Files ------------------------------------------------------------------------------------

void MainWindow::ReadFile() {
  if (runner_.running()) return;
  const auto path = prompts_.OpenFile(
      QStringLiteral("Read File"),
      QStringLiteral("pro files (*.pro);;dat files (*.dat);;"
                     "All profiles (*.pro *.dat *.erd *.csv *.txt)"),
      LastFolder());
  if (!path) return;  // a cancelled dialog ends the command silently
  RememberFolder(*path);
  ReadProfile(*path);
}

bool MainWindow::ReadProfile(const std::string& path) {
  const std::string absolute = QFileInfo(Q(path)).absoluteFilePath().toStdString();
  for (PlotPanel* p : panels_) p->SetMarker(std::nullopt);
  return Run(QStringLiteral("Read File"), [this, absolute] { return session_->ReadFile(absolute); });
}

void MainWindow::SaveProfile() {
  if (runner_.running() || !session_->RequireProfile()) return;
  const QString suggested =
      QDir(LastFolder()).filePath(Q(model().profile_name.empty() ? "profile" : model().profile_name) +
                                  QStringLiteral(".pro"));
  const auto path = prompts_.SaveFile(QStringLiteral("Save Profile"),
                                      QStringLiteral("pro files (*.pro)"), suggested);
  if (!path) return;
  RememberFolder(*path);
  Run(QStringLiteral("Save Profile"), [this, p = *path] { return session_->SaveProfile(p); });
}

void MainWindow::SaveIndexes() {
  if (runner_.running() || !session_->RequireProfile()) return;
  Run(QStringLiteral("Save Indexes"), [this] { return session_->SaveIndexes(); });
}

void MainWindow::ImportErd() {
  if (runner_.running()) return;
  const auto path =
      prompts_.OpenFile(QStringLiteral("Import ERD"), QStringLiteral("ERD files (*.erd)"), LastFolder());
  if (!path) return;
  RememberFolder(*path);
  std::vector<ErdChannelInfo> channels;
  try {
    channels = ListErdChannels(*path);
  } catch (const std::exception& e) {
    prompts_.Message(e.what(), "File Error");
    return;
  }
  if (channels.empty()) {
    prompts_.Message("The file holds no channel.", "File Error");
    return;
  }
  int channel = 1;
  if (channels.size() > 1) {
    QStringList items;
    for (const ErdChannelInfo& c : channels)
      items << (c.unit.empty() ? Q(c.name) : Q(c.name) + QStringLiteral(" (") + Q(c.unit) + ")");
    const auto chosen = prompts_.Choose(QStringLiteral("Import ERD"),
                                        QStringLiteral("Channel holding the elevations:"), items, 0);
    if (!chosen) return;
    channel = *chosen + 1;
  }
  const std::string absolute = QFileInfo(Q(*path)).absoluteFilePath().toStdString();
  Run(QStringLiteral("Import ERD"),
      [this, absolute, channel] { return session_->ReadErdFile(absolute, channel); });
}

void MainWindow::ImportCsv() {
  if (runner_.running()) return;
  const auto path = prompts_.OpenFile(QStringLiteral("Import CSV"),
                                      QStringLiteral("Delimited text (*.csv *.txt)"), LastFolder());
  if (!path) return;
  RememberFolder(*path);
  // The column names of the heading line, when the file has one, offer the elevation column.
  QStringList names;
  QFile f(Q(*path));
  if (f.open(QIODevice::ReadOnly | QIODevice::Text)) {
    const QString first = QString::fromUtf8(f.readLine(4096)).trimmed();
    names = first.split(QRegularExpression(QStringLiteral("[,;\\t]|\\s+")), Qt::SkipEmptyParts);
  }
  int column = 2;
  if (names.size() > 2) {
    bool heading = false;
    for (const QString& n : names) {
      bool number = false;
      n.toDouble(&number);
      if (!number) heading = true;
    }
    QStringList items;
    for (qsizetype i = 1; i < names.size(); ++i)
      items << (heading ? names[i] : QStringLiteral("Column %1").arg(i + 1));
    const auto chosen = prompts_.Choose(QStringLiteral("Import CSV"),
                                        QStringLiteral("Column holding the elevations:"), items, 0);
    if (!chosen) return;
    column = *chosen + 2;
  }
  DelimitedTextOptions options = session_->DelimitedOptions();
  options.column = column;
  session_->SetDelimitedOptions(options);
  ReadProfile(*path);
}

void MainWindow::ExportLevelCsv() {
  if (runner_.running() || !session_->RequireProfile()) return;
  QStringList items;
  std::vector<int> levels;
  for (int level = 0; level < kPanelCount; ++level) {
    const PlotLevel& l = model().levels[static_cast<std::size_t>(level)];
    if (l.npoints() == 0) continue;
    items << QStringLiteral("Plot %1: %2").arg(level).arg(Q(l.kind));
    levels.push_back(level);
  }
  const auto chosen =
      prompts_.Choose(QStringLiteral("Export Plot as CSV"), QStringLiteral("Plot:"), items, 0);
  if (!chosen) return;
  const int level = levels[static_cast<std::size_t>(*chosen)];
  const QString suggested = QDir(LastFolder()).filePath(
      Q(model().profile_name) + QStringLiteral("_level%1.csv").arg(level));
  const auto path = prompts_.SaveFile(QStringLiteral("Export Plot as CSV"),
                                      QStringLiteral("CSV files (*.csv)"), suggested);
  if (!path) return;
  RememberFolder(*path);
  Run(QStringLiteral("Export"), [this, p = *path, level] { return session_->ExportLevelCsv(p, level); });
}

void MainWindow::ExportErd() {
  if (runner_.running() || !session_->RequireProfile()) return;
  const QString suggested =
      QDir(LastFolder()).filePath(Q(model().profile_name) + QStringLiteral(".erd"));
  const auto path = prompts_.SaveFile(QStringLiteral("Export Profile as ERD"),
                                      QStringLiteral("ERD files (*.erd)"), suggested);
  if (!path) return;
  RememberFolder(*path);
  Run(QStringLiteral("Export"), [this, p = *path] { return session_->ExportErd(p); });
}

// --- Analysis ---------------------------------------------------------------------------------

void MainWindow::RunIndexOption(int k) {
  if (runner_.running() || k < 0 || k > 5) return;
  if (selection_.active()) FinishSelection(*selection_.Cancel());
  StartJob(QString::fromLatin1(kOptionCaptions[k]), session_->PrepareIndex(k));
}

void MainWindow::RunSimulation() {
  if (runner_.running()) return;
  if (selection_.active()) FinishSelection(*selection_.Cancel());
  StartJob(QStringLiteral("Run Sim"), session_->PrepareSimulation());
}

void MainWindow::AutoProcessAll() {
  if (runner_.running()) return;
  const QStringList chosen = prompts_.OpenFiles(QStringLiteral("Automatically Process All"),
                                                QStringLiteral("Pro files (*.pro)"), LastFolder());
  if (chosen.isEmpty()) return;
  RememberFolder(chosen.front().toStdString());
  std::vector<std::string> files;
  for (const QString& f : chosen) files.push_back(QFileInfo(f).absoluteFilePath().toStdString());
  if (static_cast<int>(files.size()) > Session::kMaxBatchFiles) {
    prompts_.Message("At most " + std::to_string(Session::kMaxBatchFiles) +
                         " profiles can be processed in one run; " +
                         std::to_string(files.size()) + " were chosen.",
                     "Too Many Files");
    return;
  }
  // The profiles are processed side by side by worker sessions with the window's settings; the
  // profile in the window stays as it is.
  const Settings settings = model().settings;
  const int jobs = std::clamp(QThread::idealThreadCount(), 1, static_cast<int>(files.size()));
  auto batch = std::make_shared<BatchRunner>(
      files, jobs,
      [] {
        return BatchRunner::Worker{std::make_unique<KeptPrompts>(),
                                   std::make_unique<RenderPlotSink>()};
      },
      [settings](Session& s) { return ApplySettings(s, settings); });
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  runner_.StartWork(
      QStringLiteral("Automatically Process All"), [batch](Progress& p) { batch->Run(p); },
      [this, batch, clock](bool) {
        const Session::BatchOutcome& o = batch->Outcome();
        const bool all = o.processed == o.chosen && !o.interrupted;
        SetStatus(all ? "All Processed" : Session::BatchSummary(o));
        prompts_.Message(BatchClosingMessage(o, static_cast<double>(clock->elapsed()) / 1000.0),
                         "Automatic Processing");
        return all;
      });
}

void MainWindow::ProcessSimAll() {
  if (runner_.running()) return;
  const auto list = prompts_.OpenFile(QStringLiteral("ProcessSim All"),
                                      QStringLiteral("List of measurements (*.txt)"), LastFolder());
  if (!list) return;
  RememberFolder(*list);
  // The list is simulated by a session of its own on the worker, with the window's settings.
  const Settings settings = model().settings;
  auto kept = std::make_shared<KeptPrompts>();
  auto ok = std::make_shared<std::atomic<bool>>(false);
  // Written by the worker, read once it has finished.
  auto outcome = std::make_shared<std::optional<Session::ListOutcome>>();
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  runner_.StartWork(
      QStringLiteral("ProcessSim All"),
      [kept, ok, outcome, settings, l = *list](Progress& p) {
        kept->ForwardStatus(&p);
        RenderPlotSink plots;
        Session s(*kept, &plots);
        s.SetProgress(&p);
        if (!ApplySettings(s, settings)) return;
        const bool listed = s.ProcessSimList(l);
        ok->store(listed);
        // A list that could not be read or logged has said so in a message of its own.
        if (listed || s.LastList().cancelled) *outcome = s.LastList();
      },
      [this, kept, ok, outcome, clock](bool cancelled) {
        for (const KeptPrompts::Kept& m : kept->Messages()) prompts_.Message(m.text, m.title);
        if (outcome->has_value())
          prompts_.Message(
              ListClosingMessage(**outcome, static_cast<double>(clock->elapsed()) / 1000.0),
              "ProcessSim All");
        SetStatus(cancelled ? "Cancelled" : ok->load() ? "ProcessSim All finished"
                                                       : "ProcessSim All failed");
        return ok->load();
      });
}

void MainWindow::HighPass() {
  if (runner_.running()) return;
  Run(QStringLiteral("High Pass"), [this] { return session_->HighPass(); });
}

void MainWindow::Repair() {
  if (runner_.running()) return;
  Run(QStringLiteral("Repair"), [this] { return session_->Repair(); });
}

void MainWindow::UndoRepair() {
  if (runner_.running()) return;
  Run(QStringLiteral("Undo Repair"), [this] { return session_->UndoRepair(); });
}

// --- Selection, zoom and new length -----------------------------------------------------------

void MainWindow::BeginSelection(SelectionUse use, const char* status) {
  if (runner_.running() || !session_->RequireProfile()) return;
  if (selection_.active()) FinishSelection(*selection_.Cancel());
  status_before_selection_ = status_[0]->text().toStdString();
  selection_use_ = use;
  selection_.Begin();
  SetStatus(status);
}

void MainWindow::FinishSelection(const TwoClickSelection::Outcome& o) {
  last_selection_level_ = o.level;
  for (PlotPanel* p : panels_) p->SetMarker(std::nullopt);
  if (o.two_panels) {
    const EditMessage m = EditRefusalMessage(EditRefusal::TwoPlots);
    prompts_.Message(m.text, m.title);
  } else if (o.level >= 0) {
    switch (selection_use_) {
      case SelectionUse::Zoom:
        if (panels_[static_cast<std::size_t>(o.level)]->showing_detail()) {
          const EditMessage m = EditRefusalMessage(EditRefusal::CannotZoom);
          prompts_.Message(m.text, m.title);
        } else {
          session_->Zoom(o.level, o.x1, o.x2);
        }
        break;
      case SelectionUse::NewLength:
        session_->NewLength(o.level, o.x1, o.x2);
        break;
      case SelectionUse::VerticalCurve:
        session_->VerticalCurve(o.level, o.x1, o.x2);
        break;
    }
  }
  SetStatus(status_before_selection_);
  Refresh();
}

void MainWindow::Zoom() { BeginSelection(SelectionUse::Zoom, kZoomingStatus.data()); }

void MainWindow::NewLength() { BeginSelection(SelectionUse::NewLength, kNewLengthStatus.data()); }

void MainWindow::VerticalCurve() {
  BeginSelection(SelectionUse::VerticalCurve, kVerticalCurveStatus.data());
}

void MainWindow::UndoZoom() {
  if (runner_.running()) return;
  const int level = clicked_level_ < 0 ? 0 : clicked_level_;
  PlotPanel* p = panels_[static_cast<std::size_t>(level)];
  // A detail is undone like a zoom: the panel shows its series again.
  if (p->showing_detail()) {
    p->RestoreSeries();
    return;
  }
  session_->UndoZoom(level);
  Refresh();
}

void MainWindow::UndoNewLength() {
  if (runner_.running()) return;
  const std::string before = status_[0]->text().toStdString();
  session_->UndoNewLength();
  SetStatus(before);
  Refresh();
}

void MainWindow::CancelOperation() {
  if (const auto o = selection_.Cancel()) {
    FinishSelection(*o);
    return;
  }
  runner_.RequestCancel();
}

// --- Mouse ------------------------------------------------------------------------------------

void MainWindow::OnPanelPressed(int level, Qt::MouseButton button, double x, double y) {
  if (button != Qt::LeftButton && button != Qt::RightButton) return;
  const auto lv = static_cast<std::size_t>(level);
  PlotPanel* p = panels_[lv];
  clicked_level_ = level;
  const Units& u = model().units;
  const ClickTexts t = ClickReadout(x, y, click_x_[lv], click_y_[lv], p->kind(), u);
  status_[5]->setText(Q(t.current));
  status_[1]->setText(Q(t.x));
  status_[2]->setText(Q(t.y));
  status_[3]->setText(Q(t.del_x));
  status_[4]->setText(Q(t.del_y));
  click_x_[lv] = x;
  click_y_[lv] = y;

  if (selection_.active()) {
    if (button != Qt::LeftButton) return;
    if (const auto outcome = selection_.Click(level, static_cast<float>(x))) {
      FinishSelection(*outcome);
    } else {
      p->SetMarker(x);
    }
    return;
  }
  // A plain left click, outside a selection, copies the panel for pasting into a report.
  if (button == Qt::RightButton)
    ShowIndexDetail(level, x);
  else
    CopyPlot(level);
}

bool MainWindow::CopyPlot(int level) {
  PlotPanel* p = panels_[static_cast<std::size_t>(level)];
  if (p->empty()) return false;
  QApplication::clipboard()->setImage(p->grab().toImage());
  SetStatus("Plot copied to the clipboard");
  return true;
}

void MainWindow::OnPanelMoved(int level, double x, double y) {
  const PlotPanel* p = panels_[static_cast<std::size_t>(level)];
  if (p->empty()) return;
  status_[1]->setText(Q(MoveXText(x, model().units)));
  status_[2]->setText(Q(MoveYText(y, p->kind(), model().units)));
}

void MainWindow::ShowIndexDetail(int level, double x) {
  if (level != 1 && level != 2) return;
  const ProfileModel& m = model();
  if (m.levels[static_cast<std::size_t>(level)].kind != kIndexKindOfLevel[level]) return;
  const auto detail = level == 1 ? StraightedgeDetail(m, x) : BumpDetail(m, x);
  if (detail) panels_[static_cast<std::size_t>(level)]->ShowDetail(*detail, m.units);
}

void MainWindow::ShowBars() {
  if (runner_.running() || !session_->RequireProfile()) return;
  if (!chart_window_) chart_window_ = new ChartWindow(*session_, this);
  chart_window_->Refresh();
  chart_window_->show();
  chart_window_->raise();
}

void MainWindow::ShowParameters() {
  if (runner_.running()) return;
  if (!parameter_window_)
    parameter_window_ = new ParameterWindow(
        *session_, prompts_,
        [this](const std::string& x, const std::string& p) {
          status_[1]->setText(Q(x));
          status_[2]->setText(Q(p));
        },
        this);
  parameter_window_->Refresh();
  parameter_window_->show();
  parameter_window_->raise();
}

void MainWindow::ShowSpectra() {
  if (runner_.running()) return;
  if (!spectra_window_)
    spectra_window_ = new SpectraWindow(*session_, runner_, prompts_,
                                        [this](int level) { return panels_[static_cast<std::size_t>(level)]->grab(); },
                                        this);
  spectra_window_->Refresh();
  spectra_window_->show();
  spectra_window_->raise();
}

// --- Units ------------------------------------------------------------------------------------

void MainWindow::SetMetric(bool metric) {
  const Units before = model().units;
  session_->SetMetric(metric);
  if (before.Metric != metric) RedrawForUnits();
  if (parameter_window_) parameter_window_->Refresh();
}

void MainWindow::RedrawForUnits() {
  // The stored series are in internal units; only what is shown changes: the values' display
  // factor, the distance axis and the unit texts of the titles.
  const ProfileModel& m = model();
  const Units& u = m.units;
  const Units old = MakeUnits(!u.Metric);
  for (int level = 0; level < kPanelCount; ++level) {
    const PlotLevel& l = m.levels[static_cast<std::size_t>(level)];
    if (l.npoints() == 0 || panels_[static_cast<std::size_t>(level)]->empty()) continue;
    const std::int32_t first = l.shown_first > 0 ? l.shown_first : 1;
    const std::int32_t last = l.shown_last > 0 ? l.shown_last : l.npoints();
    if (!IsLevelPlotKind(l.kind)) {
      session_->ShowResponsePlot(level, l.drawn_title, first, last, true);
      continue;
    }
    std::string title = l.drawn_title;
    if (level >= 1 && l.kind == kIndexKindOfLevel[level])
      title = LevelPlotTitle(level, title, u, m.straightedge.edge_used);
    else if (l.kind == "Speed")
      title = SwapSuffix(title, old.SpeedSuffix, u.SpeedSuffix);
    else
      title = SwapSuffix(title, old.ElevationSuffix, u.ElevationSuffix);
    session_->ShowLevelPlot(level, title, first, last, true);
  }
}

// --- Window -----------------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
  if (runner_.running()) {
    // Closing during a run cancels it; the window closes once the command has let go.
    close_after_run_ = true;
    runner_.RequestCancel();
    event->ignore();
    return;
  }
  if (settings_) settings_->setValue(QStringLiteral("window/geometry"), saveGeometry());
  event->accept();
}

void MainWindow::ShowAbout() {
  prompts_.Message(std::string("Tarmac ") + TARMAC_VERSION +
                       "\r\nRoughness analysis of airport pavement profiles: five roughness "
                       "indexes, aircraft simulation, spectra, editing and reports.",
                   "About Tarmac");
}

void MainWindow::ShowGettingStarted() {
  if (!getting_started_) {
    getting_started_ = new QDialog(this);
    getting_started_->setObjectName(QStringLiteral("GettingStarted"));
    getting_started_->setWindowTitle(QStringLiteral("Getting Started"));
    auto* v = new QVBoxLayout(getting_started_);
    auto* text = new QTextBrowser(getting_started_);
    text->setHtml(GettingStartedHtml());
    v->addWidget(text);
    getting_started_->resize(640, 620);
  }
  getting_started_->show();
  getting_started_->raise();
}

void MainWindow::ShowShortcuts() {
  prompts_.Message(
      "Ctrl+O\tRead File\r\nCtrl+S\tSave Profile\r\n"
      "Ctrl+1 .. Ctrl+5\tStraightedge, Boeing Bump, IRI, CA Profilograph, Bandpass Filter\r\n"
      "Ctrl+6\tFilter test\r\n"
      "Alt+F, Alt+S, Alt+A, Alt+M, Alt+Z, Alt+D, Alt+L, Alt+R, Alt+N, Alt+P\tthe underlined "
      "letters of the buttons\r\n"
      "Escape\tCancel Op. (a selection or a running command)\r\nCtrl+Q, Alt+X\tExit\r\n"
      "Ctrl+C\tCopy Plot (the plot last clicked)\r\n"
      "Left click on a plot: its picture on the clipboard\r\n"
      "Left click twice on a plot: the selection of Zoom, New Length and Vertical Curve\r\n"
      "Right click on the straightedge or Boeing Bump plot: the detail at that position",
      "Keyboard Shortcuts");
}

}  // namespace tarmac::ui
