// The settings table: defaults, validated entry in both unit systems, surface rules.
#include <gtest/gtest.h>

#include <cmath>

#include "test_support.h"

#include "workflow/session.h"
#include "workflow/settings.h"

namespace tarmac {
namespace {

TEST(Settings, EntryIsCheckedAgainstTheRangeInDisplayUnits) {
  Settings s;
  const Units si = MakeUnits(true), us = MakeUnits(false);
  EXPECT_EQ(si.LengthFactor, 0.30479999999999996);
  // Metric: 0.3 m is stored as 0.3 / 0.3048 ft.
  EXPECT_TRUE(ApplySettingEntry(s, si, *FindSetting("samplespacing"), "0.3").changed);
  EXPECT_DOUBLE_EQ(s.SampleSpacing, 0.3 / si.LengthFactor);
  // The limits are allowed; beyond them the old value stays, with the message.
  const SettingSpec& avg = *FindSetting("AveragingDistance");
  EXPECT_TRUE(ApplySettingEntry(s, us, avg, "100").changed);
  EXPECT_DOUBLE_EQ(s.AveragingStep, 5.0);
  auto r = ApplySettingEntry(s, us, avg, "2000.5");
  EXPECT_FALSE(r.changed);
  EXPECT_EQ(r.message,
            "Averaging Distance cannot be less than 100\nor greater than 2,000.\n\n"
            "The old value of Averaging Distance has been retained.");
  EXPECT_DOUBLE_EQ(s.AveragingDistance, 100);
  r = ApplySettingEntry(s, us, avg, "12a");
  EXPECT_EQ(r.title, "Incorrect Data Entry");
  EXPECT_EQ(r.message, "12a was entered.\nIt is not a valid number.\n\nPlease retry.");
  // Modes: 9.99995 stores 10, 1.5 stores 1.
  const SettingSpec& modes = *FindSetting("NumberOfModes");
  ApplySettingEntry(s, us, modes, "9.99995");
  EXPECT_EQ(s.NumberOfModes, 10);
  ApplySettingEntry(s, us, modes, "1.5");
  EXPECT_EQ(s.NumberOfModes, 1);
  EXPECT_EQ(SettingPrompt(avg, s, si),
            "The current value of Averaging Distance\nis 30 (m).\n\nEnter a new value in the "
            "range:\n\n30 to 610 (m).\n\nClick Cancel at any time to retain the old value.");
}

TEST(Settings, OnlyFiniteDecimalNumbersAreTakenAndNaNFailsTheRange) {
  for (const char* good : {" 12 ", "-0.5", "2.5e3", "+3", ".5", "5.", "1E-2"})
    EXPECT_TRUE(ParseDecimalNumber(good).has_value()) << good;
  EXPECT_EQ(ParseDecimalNumber("-2.5e1"), -25.0);
  for (const char* bad : {"nan", "NaN", "-nan", "inf", "-Infinity", "0x10", "1e400", "1,5", "1e",
                          "e5", ".", "--1", "1 2", "", "12a"})
    EXPECT_FALSE(ParseDecimalNumber(bad).has_value()) << bad;
  // Every numeric setting refuses them, the old value kept, with the program's message.
  const Units us = MakeUnits(false);
  for (const SettingSpec& spec : NumericSettings()) {
    SCOPED_TRACE(spec.name);
    for (const char* bad : {"nan", "inf", "0x10"}) {
      Settings s;
      const auto r = ApplySettingEntry(s, us, spec, bad);
      EXPECT_FALSE(r.changed);
      EXPECT_EQ(r.message, std::string(bad) + " was entered.\nIt is not a valid number.\n\nPlease retry.");
      EXPECT_EQ(spec.get(s), spec.get(Settings{}));
    }
    EXPECT_FALSE(SettingRangeMessage(spec, us, std::nan("")).empty());
    EXPECT_TRUE(SettingRangeMessage(spec, us, spec.max).empty());
  }
}

TEST(Settings, DecimationRuleIsAChoiceOfTheTable) {
  testing::RecordingPrompts prompts;
  Session session(prompts);
  const Settings& s = session.model().settings;
  EXPECT_EQ(s.Decimation, DecimationRule::Spacing);
  const SettingSpec& rule = *FindSetting("decimationrule");
  EXPECT_EQ(rule.kind, SettingKind::Choice);
  EXPECT_EQ(std::vector<std::string_view>(rule.choices.begin(), rule.choices.end()),
            (std::vector<std::string_view>{"spacing", "fixed"}));
  EXPECT_EQ(&SettingTable().back(), &rule);  // after the numbers, so the window can add a row
  ASSERT_TRUE(session.SetSetting("DecimationRule", " Fixed "));
  EXPECT_EQ(s.Decimation, DecimationRule::Fixed);
  EXPECT_EQ(SettingDisplayValue(rule, s, MakeUnits(true)), "fixed");
  EXPECT_EQ(SettingPrompt(rule, s, MakeUnits(false)),
            "The current value of Decimation Rule\nis fixed.\n\nEnter spacing or fixed.\n\n"
            "Click Cancel at any time to retain the old value.");
  EXPECT_FALSE(session.SetSetting("DecimationRule", "6"));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text,
            "6 was entered.\nDecimation Rule is spacing or fixed.\n\nPlease retry.");
  EXPECT_EQ(s.Decimation, DecimationRule::Fixed);
}

TEST(Settings, SurfaceRulesAndStraightedgeLock) {
  Settings s;
  const Units us = MakeUnits(false);
  const SettingSpec& length = *FindSetting("StraightedgeLength");
  SetSurfaceOption(s, "Concrete");
  EXPECT_DOUBLE_EQ(s.StraightedgeLength, 16.0);
  EXPECT_EQ(ApplySettingEntry(s, us, length, "20").title, "Cannot Change");
  EXPECT_DOUBLE_EQ(s.StraightedgeLength, 16.0);
  SetSurfaceOption(s, "Unspecified");  // clears the box, whose handler sets 12 ft
  EXPECT_DOUBLE_EQ(s.StraightedgeLength, 12.0);
  EXPECT_TRUE(ApplySettingEntry(s, us, length, "20").changed);
}

TEST(SectionTable, SizeRule) {
  Settings s;
  SectionTables t;
  s.SampleSpacing = 0.25;
  t.Size(100, s);  // a profile shorter than one averaging distance
  EXPECT_EQ(t.section_count, 10);
  t.Size(40000, s);  // 10 000 ft: 10 by averaging, 20 by profilograph sections
  EXPECT_EQ(t.section_count, 30);
  t.Size(10000, s);  // 2 500 ft: 2.5 rounds to 2 (halves to even), 5 by profilograph
  EXPECT_EQ(t.section_count, 15);
}

}  // namespace
}  // namespace tarmac
