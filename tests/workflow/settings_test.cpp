// The settings table: defaults, validated entry in both unit systems, surface rules.
#include <gtest/gtest.h>

#include "test_support.h"
#include "workflow/session.h"
#include "workflow/settings.h"

namespace tarmac {
namespace {

TEST(Settings, DefaultsAndUnits) {
  Settings s;
  EXPECT_DOUBLE_EQ(s.SampleSpacing, 0.08202099737532809);
  EXPECT_EQ(s.StraightedgePosition, "Full Length");
  const Units us = MakeUnits(false), si = MakeUnits(true);
  for (double f : {us.RoughnessFactor, us.SlopeFactor, us.LengthFactor, us.CmFactor, us.MmFactor,
                   us.MassFactor})
    EXPECT_EQ(f, 1.0);
  EXPECT_EQ(si.LengthFactor, 0.30479999999999996);
  EXPECT_DOUBLE_EQ(si.SlopeFactor, 83.31199536);
  EXPECT_EQ(si.AxisLabel, "Hundreds of Meters");
  EXPECT_EQ(us.PILabel, "(in/mile)");
}

TEST(Settings, EntryIsCheckedAgainstTheRangeInDisplayUnits) {
  Settings s;
  const Units si = MakeUnits(true), us = MakeUnits(false);
  const SettingSpec& spacing = *FindSetting("samplespacing");
  // Metric: 0.3 m is stored as 0.3 / 0.3048 ft.
  auto r = ApplySettingEntry(s, si, spacing, "0.3");
  EXPECT_TRUE(r.changed);
  EXPECT_DOUBLE_EQ(s.SampleSpacing, 0.3 / si.LengthFactor);
  // The limits are allowed; beyond them the old value stays, with the message.
  const SettingSpec& avg = *FindSetting("AveragingDistance");
  EXPECT_TRUE(ApplySettingEntry(s, us, avg, "100").changed);
  EXPECT_DOUBLE_EQ(s.AveragingStep, 5.0);
  r = ApplySettingEntry(s, us, avg, "2000.5");
  EXPECT_FALSE(r.changed);
  EXPECT_EQ(r.message,
            "Averaging Distance cannot be less than 100\nor greater than 2,000.\n\n"
            "The old value of Averaging Distance has been retained.");
  EXPECT_EQ(r.title, "");
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

TEST(Settings, SurfaceRulesAndStraightedgeLock) {
  Settings s;
  const Units us = MakeUnits(false);
  SetSurfaceOption(s, "Concrete");
  EXPECT_EQ(s.SurfaceType, "Concrete");
  EXPECT_DOUBLE_EQ(s.StraightedgeLength, 16.0);
  auto r = ApplySettingEntry(s, us, *FindSetting("StraightedgeLength"), "20");
  EXPECT_EQ(r.title, "Cannot Change");
  EXPECT_DOUBLE_EQ(s.StraightedgeLength, 16.0);
  SetSurfaceOption(s, "Unspecified");  // clears the box, whose handler sets 12 ft
  EXPECT_DOUBLE_EQ(s.StraightedgeLength, 12.0);
  EXPECT_TRUE(ApplySettingEntry(s, us, *FindSetting("StraightedgeLength"), "20").changed);
  SetSurfaceOption(s, "Asphalt");
  EXPECT_DOUBLE_EQ(s.StraightedgeLength, 12.0);
  SetSurfaceOption(s, "Unspecified");
  EXPECT_DOUBLE_EQ(s.StraightedgeLength, 12.0);
}

TEST(Settings, SessionRefusesUnknownNamesAndBadText) {
  testing::RecordingPrompts prompts;
  Session s(prompts);
  EXPECT_FALSE(s.SetSetting("NoSuchThing", "1"));
  EXPECT_FALSE(s.SetSetting("AircraftType", "A380"));
  EXPECT_TRUE(s.SetSetting("AircraftType", "DC-10"));
  EXPECT_FALSE(s.SetSetting("DampingFactor", ""));
  EXPECT_EQ(prompts.messages.size(), 3u);
}

TEST(SectionTable, SizeRule) {
  Settings s;
  SectionTables t;
  s.SampleSpacing = 0.25;
  t.Size(100, s);  // a profile shorter than one averaging distance
  EXPECT_EQ(t.NumSections, 10);
  EXPECT_EQ(t.values.size(), 11u * 11u);
  t.Size(40000, s);  // 10 000 ft: 10 by averaging, 20 by profilograph sections
  EXPECT_EQ(t.NumSections, 30);
  t.Size(10000, s);  // 2 500 ft: 2.5 rounds to 2 (halves to even), 5 by profilograph
  EXPECT_EQ(t.NumSections, 15);
}

}  // namespace
}  // namespace tarmac
