// The spectra window driven from the main window: its series options, a spectrum computed off
// the window's thread, frequency markers and their refusal, and a plot copied by a click.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "ui/spectra_window.h"
#include "ui/ui_fixture.h"
#include "workflow/spectra_texts.h"

namespace tarmac::testing {
namespace {

class SpectraWindowTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    ReadSample();
    QTest::mouseClick(window->findChild<QPushButton*>("PSD"), Qt::LeftButton);
    spectra = window->spectra_window();
    ASSERT_NE(spectra, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(spectra));
  }
  void ClickOption(int i) { ClickMark(spectra->option(i)); }

  ui::SpectraWindow* spectra = nullptr;
};

TEST_F(SpectraWindowTest, RearMainForceIsOfferedForTheB747Only) {
  EXPECT_EQ(spectra->option(5)->text().toStdString(), "Rear MainForce");
  EXPECT_EQ(spectra->option(0)->text().toStdString(), "Profile");
  EXPECT_FALSE(spectra->option(5)->isEnabled());
  ASSERT_TRUE(window->session().SetSetting("AircraftType", "B-747"));
  EXPECT_TRUE(spectra->option(5)->isEnabled());
  ASSERT_TRUE(window->session().SetSetting("AircraftType", "DC-9"));
  EXPECT_FALSE(spectra->option(5)->isEnabled());
  // Choosing a series shows the main window's panel of that number and copies it.
  ClickOption(0);
  EXPECT_EQ(spectra->series_index(), 0);
  EXPECT_FALSE(spectra->series_view()->empty());
  EXPECT_EQ(QApplication::clipboard()->image().size(), window->panel(0)->size());
}

TEST_F(SpectraWindowTest, AProfileSpectrumAndItsMarkers) {
  // A box that holds no whole number is refused before anything runs.
  spectra->exponent_box()->setText("ten");
  QTest::mouseClick(spectra->findChild<QPushButton*>("PSD"), Qt::LeftButton);
  EXPECT_FALSE(window->runner().running());
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, std::string(kExponentMessage));
  EXPECT_TRUE(spectra->psd_view()->empty());
  prompts.messages.clear();

  spectra->exponent_box()->setText("10");
  QTest::mouseClick(spectra->findChild<QPushButton*>("PSD"), Qt::LeftButton);
  ASSERT_TRUE(window->runner().running()) << "the spectrum is computed on the worker";
  ASSERT_TRUE(window->WaitForCommand());
  EXPECT_EQ(Status(), "PSD completed");
  ui::SpectrumView* psd = spectra->psd_view();
  ASSERT_TRUE(psd->plot().has_value());
  EXPECT_EQ(psd->plot()->nexp, 10);
  // The profile decimated by ten, its distance turned into time at 58 ft/s.
  const double dt = 10.0 * window->model().settings.SampleSpacing / 58.0;
  EXPECT_NEAR(psd->plot()->dt, dt, 1e-9);

  const SpectrumPlotResult& map = psd->mapping();
  ASSERT_GT(map.frame_width, 100.0f);
  const int y = psd->height() / 2;
  // On the axis and left of it: refused, no marker.
  for (double x : {static_cast<double>(map.x_origin), 2.0}) {
    EXPECT_FALSE(spectra->PlaceMarker(x, y));
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_EQ(prompts.messages.back().text, std::string(kMarkerLeftOfAxisMessage));
  }
  EXPECT_TRUE(psd->markers().empty());
  // A click at the right end of the frame is the Nyquist frequency, a click in the middle half of it.
  const int right = static_cast<int>(map.x_origin + map.frame_width);
  const int middle = static_cast<int>(map.x_origin + map.frame_width / 2);
  QTest::mouseClick(psd, Qt::LeftButton, {}, QPoint(right, y));
  QTest::mouseClick(psd, Qt::LeftButton, {}, QPoint(middle, y));
  ASSERT_EQ(psd->markers().size(), 2u);
  const double nyquist = 0.5 / dt;
  const double hz_per_pixel = nyquist / map.frame_width;
  EXPECT_NEAR(psd->markers()[0].frequency, nyquist, 1.01 * hz_per_pixel);
  EXPECT_NEAR(psd->markers()[1].frequency, nyquist / 2, 1.01 * hz_per_pixel);
  EXPECT_EQ(prompts.messages.size(), 2u) << "an accepted marker says nothing";
  // The click also put the plot on the clipboard.
  EXPECT_EQ(QApplication::clipboard()->image().size(), psd->size());

  // A new run starts the markers again.
  QTest::mouseClick(spectra->findChild<QPushButton*>("PSD"), Qt::LeftButton);
  ASSERT_TRUE(window->WaitForCommand());
  EXPECT_TRUE(psd->markers().empty());
  EXPECT_TRUE(psd->plot().has_value());
}

TEST_F(SpectraWindowTest, TheDensityOfTheProfileAndResponsesOnlyAfterASimulation) {
  QTest::mouseClick(spectra->findChild<QPushButton*>("PDF"), Qt::LeftButton);
  ASSERT_TRUE(window->WaitForCommand());
  ui::SpectrumView* pdf = spectra->pdf_view();
  ASSERT_TRUE(pdf->plot().has_value());
  ASSERT_EQ(pdf->plot()->curves.size(), 2u);
  ASSERT_TRUE(pdf->plot()->statistics.has_value());
  // The normal density of the standardised series peaks at 1/sqrt(2 pi) near sigma 0.
  const auto& normal = pdf->plot()->curves[0];
  const auto peak = std::max_element(normal.y.begin(), normal.y.end());
  EXPECT_NEAR(*peak, 0.398942, 2e-3);
  EXPECT_NEAR(normal.x[static_cast<std::size_t>(peak - normal.y.begin())], 0.0, 0.1);
  EXPECT_EQ(pdf->plot()->series_caption, "Profile");

  // A response before any simulation is refused and leaves the density shown.
  ClickOption(1);
  EXPECT_EQ(spectra->series_index(), 1);
  QTest::mouseClick(spectra->findChild<QPushButton*>("PDF"), Qt::LeftButton);
  ASSERT_TRUE(window->WaitForCommand());
  EXPECT_FALSE(prompts.messages.empty());
  ASSERT_TRUE(pdf->plot().has_value());
  EXPECT_EQ(pdf->plot()->series_caption, "Profile");
}

}  // namespace
}  // namespace tarmac::testing
