#pragma once
// The parameter window ("In / Out"): every analysis setting with its value in display units; a
// double click on a row changes it through the Session, which checks the value against its range.
#include <QDialog>

#include "ui/gui_prompts.h"
#include "workflow/session.h"

class QTableWidget;

namespace tarmac::ui {

class ParameterWindow : public QDialog {
 public:
  ParameterWindow(Session& session, GuiPrompts& prompts, QWidget* parent = nullptr);
  // The values as the settings hold them now (after a change of units, say).
  void Refresh();
  // The edit of one row, as a double click starts it; false when nothing changed.
  bool EditRow(int row);
  QTableWidget* table() const { return table_; }

 private:
  Session& session_;
  GuiPrompts& prompts_;
  QTableWidget* table_;
};

}  // namespace tarmac::ui
