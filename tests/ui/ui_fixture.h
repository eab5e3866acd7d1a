#pragma once
// The main window shown off screen over scripted answers, with a copy of the bundled sample in a
// folder of its own: where the window tests start.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <memory>
#include <string>

#include "ui/main_window.h"
#include "ui/ui_support.h"

namespace tarmac::testing {

// A click on a check box's or option's mark, at its left end, where a person clicks.
inline void ClickMark(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

class MainWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    window = std::make_unique<ui::MainWindow>(prompts);
    window->resize(1280, 800);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    profile = CopySample(dir.path());
  }
  // Reads the sample through Ctrl+O and the file dialog, as a person would.
  void ReadSample() {
    prompts.files.push_back(profile);
    QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(window->model().HasProfile());
  }
  // Index option k (1..6) through Ctrl+k, computed and published.
  void RunOption(int k) {
    QTest::keyClick(window.get(), static_cast<Qt::Key>(Qt::Key_0 + k), Qt::ControlModifier);
    ASSERT_TRUE(window->WaitForCommand());
  }
  std::string Results() const { return ReadAll(dir.file("Results.txt")); }
  // The status text: the first panel of the status bar.
  std::string Status() const { return window->status_panel(1)->text().toStdString(); }
  void ClickMetric() { ClickMark(window->metric_box()); }

  TempDir dir;
  ScriptedPrompts prompts;
  std::unique_ptr<ui::MainWindow> window;
  std::string profile;
};

}  // namespace tarmac::testing
