#include "ui/exceedance_dock.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "common/number_format.h"

namespace tarmac::ui {
namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kStretchRole = Qt::UserRole + 1;
constexpr std::int32_t kLeastZoomMargin = 10;  // samples

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

std::optional<StretchZoom> ZoomOnStretch(const ProfileModel& model, ExceedanceKind kind,
                                         int stretch) {
  const auto& list = model.exceedances.of(kind);
  if (!list || stretch < 0 || stretch >= static_cast<int>(list->stretches.size()))
    return std::nullopt;
  const int level = InfoOf(kind).level;
  const auto& drawn = model.exceedances.on_level.at(static_cast<std::size_t>(level));
  if (std::find(drawn.begin(), drawn.end(), kind) == drawn.end()) return std::nullopt;
  const PlotLevel& l = model.levels.at(static_cast<std::size_t>(level));
  const std::int32_t n = l.npoints();
  if (n < 2 || !(l.step_ft > 0)) return std::nullopt;
  const ExceedanceStretch& s = list->stretches[static_cast<std::size_t>(stretch)];
  const std::int32_t margin = std::max(kLeastZoomMargin, (s.last - s.first + 1) / 2);
  const std::int32_t first = std::max(1, s.first - margin);
  const std::int32_t last = std::min(n, s.last + 1 + margin);
  const double perSample = l.step_ft * model.units.LengthFactor / 100.0;
  return StretchZoom{level, static_cast<float>(first * perSample),
                     static_cast<float>(last * perSample)};
}

ExceedanceDock::ExceedanceDock(QWidget* parent) : QDockWidget(tr("Locations beyond limits"), parent) {
  setObjectName(QStringLiteral("exceedanceDock"));
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(4, 4, 4, 4);
  verdict_ = new QLabel(body);
  verdict_->setObjectName(QStringLiteral("exceedanceVerdict"));
  verdict_->setWordWrap(true);
  layout->addWidget(verdict_);
  list_ = new QTreeWidget(body);
  list_->setObjectName(QStringLiteral("exceedanceList"));
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setColumnCount(4);
  list_->header()->setStretchLastSection(false);
  layout->addWidget(list_, 1);
  setWidget(body);
  connect(list_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item, int) { OnActivated(item); });
  connect(list_, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item, int) { OnActivated(item); });
  Refresh(ProfileModel{});
}

void ExceedanceDock::Refresh(const ProfileModel& m) {
  const std::string length = m.units.LengthLabel;
  list_->setHeaderLabels({tr("Kind"), Q("Start (" + length + ")"), Q("End (" + length + ")"),
                          tr("Peak")});
  list_->clear();
  const std::vector<ExceedanceCount> counts = ExceedanceCounts(m.exceedances);
  verdict_->setText(counts.empty() ? tr("No limits judged yet: run an index or a simulation.")
                                   : Q(PassFailLine(counts)));
  for (const ExceedanceKindInfo& info : ExceedanceKinds()) {
    const auto& list = m.exceedances.of(info.kind);
    if (!list) continue;
    const std::vector<ExceedanceRow> rows = ExceedanceRows(*list, m.units, m.profile_name);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const ExceedanceRow& r = rows[i];
      auto* item = new QTreeWidgetItem(list_);
      item->setText(0, Q(r.kind));
      item->setText(1, Q(FormatNumber(r.start, "#,##0.0")));
      item->setText(2, Q(FormatNumber(r.end, "#,##0.0")));
      item->setText(3, Q(FormatNumber(r.peak, "0.000") + " " + r.value_unit));
      for (int c = 1; c <= 3; ++c) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
      item->setData(0, kKindRole, static_cast<int>(info.kind));
      item->setData(0, kStretchRole, static_cast<int>(i));
      if (!ZoomOnStretch(m, info.kind, static_cast<int>(i)))
        item->setToolTip(0, tr("Its series is no longer drawn: run the index again to see it."));
    }
  }
  for (int c = 0; c < 4; ++c) list_->resizeColumnToContents(c);
}

void ExceedanceDock::OnActivated(QTreeWidgetItem* item) {
  if (!item) return;
  emit stretchChosen(static_cast<ExceedanceKind>(item->data(0, kKindRole).toInt()),
                     item->data(0, kStretchRole).toInt());
}

}  // namespace tarmac::ui
