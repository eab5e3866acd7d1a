#include "ui/parameter_window.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "workflow/settings.h"

namespace tarmac::ui {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The settings that are texts rather than numbers follow the table's rows.
struct TextSetting {
  const char* name;
  const char* label;
  std::vector<std::string> choices;
  std::string Settings::*member;
};

const std::vector<TextSetting>& TextSettings() {
  static const std::vector<TextSetting> rows = {
      {"StraightedgePosition", " Straightedge Eval. Position", {"Full Length", "Between"},
       &Settings::StraightedgePosition},
      {"AircraftType", " Aircraft Type", {"B-727", "B-747", "DC-9", "DC-10"}, &Settings::AircraftType},
      {"SurfaceType", " Surface Type", {"Unspecified", "Asphalt", "Concrete"}, &Settings::SurfaceType},
  };
  return rows;
}

}  // namespace

ParameterWindow::ParameterWindow(Session& session, GuiPrompts& prompts, QWidget* parent)
    : QDialog(parent), session_(session), prompts_(prompts) {
  setObjectName(QStringLiteral("frmInputOutput"));
  setWindowTitle(QStringLiteral("Input / Output"));
  auto* v = new QVBoxLayout(this);
  table_ = new QTableWidget(this);
  table_->setObjectName(QStringLiteral("grdParms"));
  table_->setColumnCount(2);
  table_->setHorizontalHeaderLabels({QStringLiteral("Parameter"), QStringLiteral("Value")});
  table_->verticalHeader()->setVisible(false);
  table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  v->addWidget(table_);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { EditRow(row); });
  resize(460, 420);
  Refresh();
}

void ParameterWindow::Refresh() {
  const ProfileModel& m = session_.model();
  const auto& specs = SettingTable();
  const auto& texts = TextSettings();
  table_->setRowCount(static_cast<int>(specs.size() + texts.size()));
  int row = 0;
  for (const SettingSpec& spec : specs) {
    table_->setItem(row, 0, new QTableWidgetItem(Q(SettingLabel(spec, m.units))));
    table_->setItem(row, 1, new QTableWidgetItem(Q(SettingDisplayValue(spec, m.settings, m.units))));
    ++row;
  }
  for (const TextSetting& t : texts) {
    table_->setItem(row, 0, new QTableWidgetItem(QString::fromLatin1(t.label)));
    table_->setItem(row, 1, new QTableWidgetItem(Q(m.settings.*t.member)));
    ++row;
  }
}

bool ParameterWindow::EditRow(int row) {
  const ProfileModel& m = session_.model();
  const auto& specs = SettingTable();
  const auto& texts = TextSettings();
  if (row < 0) return false;
  std::string name, value;
  if (row < static_cast<int>(specs.size())) {
    const SettingSpec& spec = specs[static_cast<std::size_t>(row)];
    name = std::string(spec.name);
    if (spec.kind == SettingKind::Choice) {
      QStringList items;
      for (std::string_view c : spec.choices) items << Q(c);
      const auto chosen = prompts_.Choose(Q(spec.dialog_name), Q(spec.dialog_name), items, 0);
      if (!chosen) return false;
      value = std::string(spec.choices[static_cast<std::size_t>(*chosen)]);
    } else {
      const auto answer =
          prompts_.Input(SettingPrompt(spec, m.settings, m.units), std::string(spec.dialog_name));
      if (!answer) return false;  // a cancelled box changes nothing and says nothing
      value = *answer;
    }
  } else if (row < static_cast<int>(specs.size() + texts.size())) {
    const TextSetting& t = texts[static_cast<std::size_t>(row) - specs.size()];
    name = t.name;
    QStringList items;
    int current = 0;
    for (std::size_t i = 0; i < t.choices.size(); ++i) {
      items << QString::fromStdString(t.choices[i]);
      if (t.choices[i] == m.settings.*t.member) current = static_cast<int>(i);
    }
    const auto chosen = prompts_.Choose(QString::fromLatin1(t.label).trimmed(),
                                        QString::fromLatin1(t.label).trimmed(), items, current);
    if (!chosen) return false;
    value = t.choices[static_cast<std::size_t>(*chosen)];
  } else {
    return false;
  }
  const bool ok = session_.SetSetting(name, value);
  Refresh();
  return ok;
}

}  // namespace tarmac::ui
