#pragma once
// The dock that lists the stretches beyond the limits: kind, start, end and peak of each, the
// kinds that pass or fail above them. Double-clicking a stretch asks the window to zoom the
// panel its series is drawn on to it.
#include <QDockWidget>
#include <optional>

#include "workflow/profile_model.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarmac::ui {

// The zoom that shows one stretch: its panel and the two plot x coordinates (hundreds of
// display length units, sample i at i x step) around it, with half its length to spare on each
// side (at least ten samples), kept within the level. Nothing when its series is no longer
// drawn (a simulation has replaced the index on that panel) or the stretch does not exist.
struct StretchZoom {
  int level = 0;
  float x1 = 0, x2 = 0;
};
std::optional<StretchZoom> ZoomOnStretch(const ProfileModel& model, ExceedanceKind kind,
                                         int stretch);

class ExceedanceDock : public QDockWidget {
  Q_OBJECT

 public:
  explicit ExceedanceDock(QWidget* parent = nullptr);

  // Lists the stretches the model holds, in the units it shows.
  void Refresh(const ProfileModel& model);

  QTreeWidget* list() const { return list_; }
  QLabel* verdict() const { return verdict_; }

 signals:
  // A stretch was double-clicked.
  void stretchChosen(ExceedanceKind kind, int stretch);

 private:
  void OnActivated(QTreeWidgetItem* item);

  QLabel* verdict_ = nullptr;
  QTreeWidget* list_ = nullptr;
};

}  // namespace tarmac::ui
