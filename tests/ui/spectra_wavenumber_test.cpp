// The spectra window's wavenumber option: the profile's spectrum against wavenumber on log-log
// axes in place of the frequency plot, offered for the profile only.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "ui/main_window.h"
#include "ui/spectra_window.h"
#include "ui/ui_support.h"

namespace tarmac::testing {
namespace {

TEST(SpectraWavenumber, TheProfileSpectrumAgainstWavenumberInTheUnitsShown) {
  App();
  TempDir dir;
  ScriptedPrompts prompts;
  auto window = std::make_unique<ui::MainWindow>(prompts);
  window->resize(1280, 800);
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  prompts.files.push_back(CopySample(dir.path()));
  QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
  ASSERT_TRUE(window->model().HasProfile());
  window->session().SetMetric(true);
  QTest::mouseClick(window->findChild<QPushButton*>("PSD"), Qt::LeftButton);
  ui::SpectraWindow* spectra = window->spectra_window();
  ASSERT_NE(spectra, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(spectra));

  QCheckBox* box = spectra->wavenumber_box();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isEnabled());
  // A response has no wavelengths: the option is withdrawn while one is chosen.
  ASSERT_TRUE(window->session().SetSetting("AircraftType", "B-747"));
  spectra->ChooseSeries(1);
  EXPECT_FALSE(box->isEnabled());
  spectra->ChooseSeries(0);
  EXPECT_TRUE(box->isEnabled());

  box->setChecked(true);
  QTest::mouseClick(spectra->findChild<QPushButton*>("PSD"), Qt::LeftButton);
  ASSERT_TRUE(window->WaitForCommand());
  ui::SpectrumView* view = spectra->psd_view();
  ASSERT_TRUE(view->loglog_plot().has_value());
  EXPECT_FALSE(view->plot().has_value());  // no frequency plot, so no frequency markers
  const LogLogPlot& plot = *view->loglog_plot();
  EXPECT_EQ(plot.x_title, "Wavenumber, cycles/m");
  EXPECT_EQ(plot.y_title, "PSD, m²/(cycle/m)");
  ASSERT_GT(plot.x.size(), 100u);
  // The shortest wavelength is two prepared-profile steps: the highest wavenumber is half the
  // reciprocal of the step in metres.
  const double step_m = window->model().prepared.spacing * 0.3048;
  EXPECT_NEAR(plot.x.back(), 0.5 / step_m, 0.5 / step_m * 2.0 / static_cast<double>(plot.x.size()));
  EXPECT_FALSE(spectra->PlaceMarker(view->width() / 2.0, view->height() / 2.0));

  // Unchecked, the next run draws the spectrum against frequency again.
  box->setChecked(false);
  QTest::mouseClick(spectra->findChild<QPushButton*>("PSD"), Qt::LeftButton);
  ASSERT_TRUE(window->WaitForCommand());
  EXPECT_TRUE(view->plot().has_value());
  EXPECT_FALSE(view->loglog_plot().has_value());
}

}  // namespace
}  // namespace tarmac::testing
