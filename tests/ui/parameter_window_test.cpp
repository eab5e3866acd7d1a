// The parameter window as a person uses it: every numeric row through the edit dialog in both
// unit systems, the surface options and the straightedge refusal, the toggles and lists, and the
// distribution frame with its read-out.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <cstdio>

#include "ui/parameter_window.h"
#include "ui/ui_fixture.h"
#include "workflow/settings.h"

namespace tarmac::testing {
namespace {

// Line ends as the message box shows them, whichever the settings' texts use.
std::string Lines(std::string text) {
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
    text.erase(at, 1);
  return text;
}

std::string Exact(double v) {
  char b[40];
  std::snprintf(b, sizeof b, "%.17g", v);
  return b;
}

class ParameterWindowTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    QTest::mouseClick(window->findChild<QPushButton*>("cmdInputOutput"), Qt::LeftButton);
    params = window->parameter_window();
    ASSERT_NE(params, nullptr);
  }
  const Settings& settings() const { return window->model().settings; }
  QString Shown(const std::string& name) const {
    return params->table()->item(params->RowOf(name), 1)->text();
  }

  ui::ParameterWindow* params = nullptr;
};

TEST_F(ParameterWindowTest, EveryNumericRowThroughTheDialogInBothUnitSystems) {
  for (const bool metric : {false, true}) {
    window->SetMetric(metric);
    // The limits as the dialog shows them: in feet times the program's own metre factor.
    const double f = window->model().units.LengthFactor;
    EXPECT_NEAR(f, metric ? 0.3048 : 1.0, 1e-12);
    for (const SettingSpec& spec : NumericSettings()) {
      const std::string name(spec.name);
      const int row = params->RowOf(name);
      ASSERT_GE(row, 0) << name;
      const double lf = SettingDisplayFactor(spec, window->model().units);
      const double before = spec.get(settings());
      prompts.messages.clear();
      prompts.asked.clear();
      SCOPED_TRACE(name + (metric ? " metric" : " US"));

      // Cancel, and an empty answer: nothing changes, nothing is said.
      EXPECT_FALSE(params->EditRow(row));
      prompts.inputs.push_back("  ");
      EXPECT_FALSE(params->EditRow(row));
      EXPECT_TRUE(prompts.messages.empty());
      ASSERT_EQ(prompts.asked.size(), 2u);
      EXPECT_EQ(prompts.asked[0].title, "Changing " + std::string(spec.dialog_name));

      // Not a number.
      prompts.inputs.push_back("12a");
      EXPECT_FALSE(params->EditRow(row));
      ASSERT_EQ(prompts.messages.size(), 1u);
      EXPECT_EQ(prompts.messages[0].title, "Incorrect Data Entry");
      EXPECT_EQ(Lines(prompts.messages[0].text), "12a was entered.\nIt is not a valid number.\n\nPlease retry.");

      // Beyond the upper limit: the message without a title, the old value kept.
      prompts.inputs.push_back(Exact(spec.max * lf * 1.5 + 1.0));
      EXPECT_FALSE(params->EditRow(row));
      ASSERT_EQ(prompts.messages.size(), 2u);
      EXPECT_EQ(prompts.messages[1].title, "");
      EXPECT_EQ(prompts.messages[1].text.rfind(std::string(spec.dialog_name) + " cannot be less than ", 0), 0u)
          << prompts.messages[1].text;
      EXPECT_EQ(spec.get(settings()), before);

      // Exactly at each limit, typed in display units: accepted and held in feet.
      for (const double limit : {spec.min, spec.max}) {
        prompts.inputs.push_back(Exact(limit * lf));
        EXPECT_TRUE(params->EditRow(row)) << limit;
        EXPECT_NEAR(spec.get(settings()), limit, 1e-9 * std::max(1.0, limit));
      }
      EXPECT_EQ(prompts.messages.size(), 2u);
      // And back to where it was, so that the next unit system starts from the defaults.
      prompts.inputs.push_back(Exact(before * lf));
      EXPECT_TRUE(params->EditRow(row));
      EXPECT_NEAR(spec.get(settings()), before, 1e-9 * std::max(1.0, before));
    }
  }
}

TEST_F(ParameterWindowTest, ThePromptTheModesAndTheMetricSpacing) {
  const int averaging = params->RowOf("AveragingDistance");
  EXPECT_FALSE(params->EditRow(averaging));
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(Lines(prompts.asked[0].text),
            "The current value of Averaging Distance\nis 1,000 (ft).\n\nEnter a new value in "
            "the range:\n\n100 to 2,000 (ft).\n\nClick Cancel at any time to retain the old "
            "value.");
  // Whole modes: 9.99995 is ten, 1.5 is one.
  const int modes = params->RowOf("NumberOfModes");
  prompts.inputs.push_back("9.99995");
  EXPECT_TRUE(params->EditRow(modes));
  EXPECT_EQ(settings().NumberOfModes, 10);
  prompts.inputs.push_back("1.5");
  EXPECT_TRUE(params->EditRow(modes));
  EXPECT_EQ(settings().NumberOfModes, 1);
  EXPECT_EQ(Shown("NumberOfModes"), "1");
  // 0.3 m of sample spacing is 0.98425 ft, shown again in metres.
  window->SetMetric(true);
  prompts.inputs.push_back("0.3");
  EXPECT_TRUE(params->EditRow(params->RowOf("SampleSpacing")));
  EXPECT_NEAR(settings().SampleSpacing, 0.3 / 0.3048, 1e-12);
  EXPECT_EQ(Shown("SampleSpacing"), "0.300000");
  EXPECT_TRUE(params->table()->item(params->RowOf("SampleSpacing"), 0)->text().endsWith("m"));
}

TEST_F(ParameterWindowTest, SurfaceOptionsFixTheStraightedgeAndTheOtherRowsStillWork) {
  ui::ParameterWindow& p = *params;
  const int edge = p.RowOf("StraightedgeLength");
  QTest::mouseClick(p.surface_option(2), Qt::LeftButton);  // Concrete
  EXPECT_EQ(settings().SurfaceType, "Concrete");
  EXPECT_EQ(settings().StraightedgeLength, 16.0);
  EXPECT_TRUE(window->findChild<QCheckBox*>("ChkConcrete")->isChecked());
  prompts.inputs.push_back("20");
  EXPECT_FALSE(p.EditRow(edge));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, "Cannot Change");
  EXPECT_EQ(Lines(prompts.messages[0].text),
            "Straightedge length can only be changed\nwhen the pavement surface is unspecified.");
  EXPECT_TRUE(prompts.asked.empty()) << "no dialog for a length the surface fixes";
  EXPECT_EQ(settings().StraightedgeLength, 16.0);
  // The other rows still work.
  prompts.inputs.push_back("20");
  EXPECT_TRUE(p.EditRow(p.RowOf("AircraftSpeed")));
  EXPECT_EQ(settings().AircraftSpeed, 20.0);

  QTest::mouseClick(p.surface_option(1), Qt::LeftButton);  // Asphalt
  EXPECT_EQ(settings().StraightedgeLength, 12.0);
  EXPECT_FALSE(window->findChild<QCheckBox*>("ChkConcrete")->isChecked());
  QTest::mouseClick(p.surface_option(0), Qt::LeftButton);  // Unspecified keeps the length
  EXPECT_EQ(settings().StraightedgeLength, 12.0);
  prompts.inputs.push_back("20");
  EXPECT_TRUE(p.EditRow(edge));
  EXPECT_EQ(settings().StraightedgeLength, 20.0);

  // The position toggles without a dialog; the aircraft comes from its list.
  const int position = p.RowOf("StraightedgePosition");
  EXPECT_TRUE(p.EditRow(position));
  EXPECT_EQ(settings().StraightedgePosition, "Between");
  EXPECT_TRUE(p.EditRow(position));
  EXPECT_EQ(Shown("StraightedgePosition"), "Full Length");
  prompts.choices.push_back(1);
  EXPECT_TRUE(p.EditRow(p.RowOf("AircraftType")));
  EXPECT_EQ(Shown("AircraftType"), "B-747");
  EXPECT_EQ(prompts.asked.size(), 2u) << "the speed and the length on an unspecified surface";
}

TEST_F(ParameterWindowTest, TheDistributionNeedsItsIndexAndReadsOutUnderTheMouse) {
  ReadSample();
  QTest::mouseClick(window->findChild<QPushButton*>("cmdInputOutput"), Qt::LeftButton);
  EXPECT_FALSE(params->RunDistribution(0));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, "Straightedge Not Done Yet");
  EXPECT_FALSE(params->distribution_view()->plot().has_value());

  RunOption(1);
  QTest::mouseClick(params->findChild<QPushButton*>("cmdProbDistRun"), Qt::LeftButton);
  ui::DistributionView* view = params->distribution_view();
  ASSERT_TRUE(view->plot().has_value());
  EXPECT_EQ(view->plot()->cdf.size(), 100u);
  EXPECT_FLOAT_EQ(view->plot()->cdf.back(), 1.0f);
  // Over the top of the curve's axis at its right end: all of the values lie at or below.
  const ProbDistPlotResult& m = view->mapping();
  const QPoint top_right(static_cast<int>(m.x_origin + m.x_scale * view->plot()->x_max),
                         static_cast<int>(m.y_origin + m.y_scale));
  QTest::mouseMove(view, top_right);
  QTest::mouseClick(view, Qt::LeftButton, {}, top_right);
  const std::string x = window->status_panel(2)->text().toStdString();
  const std::string p = window->status_panel(3)->text().toStdString();
  EXPECT_EQ(x.rfind("x= ", 0), 0u) << x;
  EXPECT_EQ(x.substr(x.size() - 3), " in") << x;
  EXPECT_EQ(p.rfind("P(x<=", 0), 0u) << p;
  EXPECT_NE(p.find("= 100.", 0), std::string::npos) << p;
  EXPECT_EQ(QApplication::clipboard()->image().size(), view->size());
}

}  // namespace
}  // namespace tarmac::testing
