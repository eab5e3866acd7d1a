#include "ui/chart_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "render/session_plots.h"

namespace tarmac::ui {

namespace {

constexpr const char* kRowNames[11] = {"",
                                       "Straightedge",
                                       "Boeing Bump",
                                       "IRI (1/4 car)",
                                       "Bandpass Filter",
                                       "CA Profilograph",
                                       "Gcg",
                                       "Gcp",
                                       "Nose Gear",
                                       "Main Gear",
                                       "Rear Main Gear"};

}  // namespace

void ChartView::SetChart(std::optional<IndexChart> chart) {
  chart_ = std::move(chart);
  update();
}

void ChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!chart_) {
    painter.fillRect(rect(), Qt::white);
    drawn_ = IndexChartResult{};
    return;
  }
  drawn_ = RenderIndexChart(painter, rect(), *chart_);
}

ChartWindow::ChartWindow(Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName(QStringLiteral("ProfileIndexGraph"));
  setWindowTitle(QStringLiteral("Index Chart"));
  auto* v = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  rows_ = new QComboBox(this);
  save_ = new QPushButton(QStringLiteral("Save to Word File"), this);
  save_->setObjectName(QStringLiteral("SaveToWordFile"));
  save_->setAutoDefault(false);
  save_->setEnabled(false);  // until a row is shown
  auto* back = new QPushButton(QStringLiteral("Back"), this);
  back->setObjectName(QStringLiteral("Back"));
  back->setAutoDefault(false);
  top->addWidget(rows_, 1);
  top->addWidget(save_);
  top->addWidget(back);
  v->addLayout(top);
  view_ = new ChartView(this);
  v->addWidget(view_, 1);
  connect(rows_, &QComboBox::activated, this,
          [this](int i) { ShowRow(rows_->itemData(i).toInt()); });
  connect(save_, &QPushButton::clicked, this, [this] { session_.SaveToWordFile(); });
  connect(back, &QPushButton::clicked, this, &QDialog::close);
  Refresh();
}

void ChartWindow::Refresh() {
  const ProfileModel& m = session_.model();
  const int shown = m.shown_chart_row;
  rows_->clear();
  for (int row = 1; row <= 10; ++row) {
    // Rows 1..5 once their index has run (chart options 0..4), rows 6..10 after a simulation.
    const bool available = row <= 5 ? m.chart_row_enabled[static_cast<std::size_t>(row - 1)]
                                    : m.flags.simulation_done &&
                                          m.sections.part_count[static_cast<std::size_t>(row)] > 0;
    if (available) rows_->addItem(QString::fromLatin1(kRowNames[row]), row);
  }
  const int at = rows_->findData(shown);
  if (at >= 0) {
    rows_->setCurrentIndex(at);
    ShowRow(shown);
  } else if (rows_->count() > 0) {
    ShowRow(rows_->itemData(0).toInt());
  } else {
    view_->SetChart(std::nullopt);
    save_->setEnabled(false);
  }
}

bool ChartWindow::ShowRow(int row) {
  if (!session_.ShowIndexChart(row)) return false;
  const ChartRequest c = session_.IndexChartRequest(row);
  view_->SetChart(DescribeChart(c, session_.model().units));
  save_->setEnabled(true);
  const int at = rows_->findData(row);
  if (at >= 0) rows_->setCurrentIndex(at);
  return true;
}

}  // namespace tarmac::ui
