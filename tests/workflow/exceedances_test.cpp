// The limits as settings, the range check at metric limits, and the rows, CSV and verdicts the
// outputs show of the stretches.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "test_support.h"

#include "workflow/exceedances.h"
#include "workflow/session.h"
#include "workflow/settings.h"

namespace tarmac {
namespace {

TEST(LimitSettings, MetricLimitsThatAreNotExactInBinaryAreTakenAsListed) {
  const Units si = MakeUnits(true), us = MakeUnits(false);
  // Each setting at both limits in both unit systems, typed with the digits the CLI lists
  // (17 significant digits would be exact; a person types the short decimal).
  struct Case {
    const char* name;
    const char* typed;
    bool metric;
    double stored;
  };
  for (const Case& c : {Case{"SectionLengthCAPI", "199.9488", true, 656},
                        Case{"SectionLengthCAPI", "99.9744", true, 328},
                        Case{"AveragingDistance", "609.6", true, 2000},
                        Case{"AveragingDistance", "30.48", true, 100},
                        Case{"SectionLengthCAPI", "656", false, 656},
                        Case{"SectionLengthCAPI", "328", false, 328},
                        Case{"StraightedgeLimit", "254", true, 10},
                        Case{"StraightedgeLimit", "0.254", true, 0.01},
                        Case{"ShortIriLimit", "31.557574", true, 2000}}) {
    SCOPED_TRACE(std::string(c.name) + " " + c.typed);
    Settings s;
    s.Metric = c.metric;
    const SettingSpec& spec = *FindSetting(c.name);
    const auto r = ApplySettingEntry(s, c.metric ? si : us, spec, c.typed);
    EXPECT_TRUE(r.changed) << r.message;
    // A limit stands for itself: the value held never lies outside the range.
    EXPECT_EQ(spec.get(s), c.stored);
  }
  // One digit further out is refused, in either unit system.
  Settings s;
  EXPECT_FALSE(ApplySettingEntry(s, si, *FindSetting("SectionLengthCAPI"), "199.95").changed);
  EXPECT_FALSE(ApplySettingEntry(s, si, *FindSetting("SectionLengthCAPI"), "99.974").changed);
  EXPECT_FALSE(ApplySettingEntry(s, us, *FindSetting("SectionLengthCAPI"), "656.001").changed);
  EXPECT_FALSE(SettingRangeMessage(*FindSetting("AveragingDistance"), si, 609.601).empty());
}

TEST(LimitSettings, DefaultsFollowTheUnitsUntilAValueIsEntered) {
  testing::RecordingPrompts prompts;
  Session session(prompts);
  const Settings& s = session.model().settings;
  const auto shown = [&](const char* name) {
    return SettingDisplayValue(*FindSetting(name), s, session.model().units);
  };
  EXPECT_EQ(shown("StraightedgeLimit"), "0.25");
  EXPECT_EQ(shown("ShortIriLimit"), "160.00");
  EXPECT_EQ(shown("ScallopLimit"), "0.30");
  EXPECT_EQ(shown("BumpIndexLimit"), "1.00");
  EXPECT_EQ(shown("AccelerationLimit"), "0.40");
  EXPECT_EQ(SettingLabel(*FindSetting("ShortIriLimit"), session.model().units),
            " IRI Limit over 25 ft,in/mi");
  session.SetMetric(true);
  // The round metric values, not 6.35 mm, 4.0 m/km... of the customary ones.
  EXPECT_EQ(shown("StraightedgeLimit"), "6.00");
  EXPECT_EQ(shown("ShortIriLimit"), "2.50");
  EXPECT_EQ(shown("ScallopLimit"), "8.00");
  EXPECT_NEAR(ExceedanceLimit(ExceedanceKind::Straightedge, s), 6.0 / 25.4, 1e-12);
  EXPECT_EQ(SettingLabel(*FindSetting("StraightedgeLimit"), session.model().units),
            " Straightedge Limit,mm");
  // A value entered keeps what was typed, held in inches, whichever units follow.
  ASSERT_TRUE(session.SetSetting("StraightedgeLimit", "7"));
  EXPECT_NEAR(s.StraightedgeLimit, 7.0 / 25.4, 1e-12);
  session.SetMetric(false);
  EXPECT_EQ(shown("StraightedgeLimit"), "0.28");
  EXPECT_EQ(shown("ScallopLimit"), "0.30");  // never entered: the customary default again
}

TEST(ExceedanceRows, DisplayUnitsCsvLayoutAndMergeDistancePerKind) {
  Settings s;
  s.StraightedgeLength = 12;
  // Straightedge deviations at 0.5 ft: beyond 0.25 in at samples 3..4 and 20 (8 ft apart,
  // closer than the 12-ft edge: one stretch) and 60 (20 ft on: another).
  std::vector<float> dev(80, 0.1f);
  dev[2] = 0.3f, dev[3] = 0.5f, dev[19] = 0.26f, dev[59] = 0.4f;
  const ExceedanceList list = JudgeSeries(ExceedanceKind::Straightedge, dev, 0.5, s);
  EXPECT_DOUBLE_EQ(list.merge_ft, 12.0);
  ASSERT_EQ(list.stretches.size(), 2u);
  EXPECT_EQ(list.stretches[0].first, 3);
  EXPECT_EQ(list.stretches[0].last, 20);
  EXPECT_EQ(list.stretches[0].peak_sample, 4);

  const auto us = ExceedanceRows(list, MakeUnits(false), "RUNWAY.pro");
  ASSERT_EQ(us.size(), 2u);
  EXPECT_DOUBLE_EQ(us[0].start, 1.0);   // sample 3 at 0.5 ft spacing
  EXPECT_DOUBLE_EQ(us[0].end, 10.0);    // one spacing past sample 20
  EXPECT_DOUBLE_EQ(us[0].length, 9.0);
  EXPECT_DOUBLE_EQ(us[0].peak_at, 1.5);
  EXPECT_NEAR(us[0].peak, 0.5, 1e-7);
  EXPECT_EQ(ExceedanceCsv(us),
            "profile,kind,start,end,length,peak,peak location,limit,units\n"
            "RUNWAY.pro,Straightedge deviation,1.000,10.000,9.000,0.5000,1.500,0.2500,ft / in\n"
            "RUNWAY.pro,Straightedge deviation,29.500,30.000,0.500,0.4000,29.500,0.2500,ft / in\n");
  // Metric: distances in metres, deviations in millimetres; the stretches are the same.
  const auto si = ExceedanceRows(list, MakeUnits(true), "RUNWAY.pro");
  EXPECT_NEAR(si[0].start, 0.3048, 1e-12);
  EXPECT_NEAR(si[0].peak, 12.7, 1e-5);
  EXPECT_NEAR(si[0].limit, 6.35, 1e-9);
  EXPECT_EQ(si[0].value_unit, "mm");
  EXPECT_EQ(si[0].length_unit, "m");

  // A name with a comma is quoted.
  std::vector<ExceedanceRow> odd = {us[0]};
  odd[0].kind = "cg acceleration (B-727, 100)";
  EXPECT_NE(ExceedanceCsv(odd).find(",\"cg acceleration (B-727, 100)\","), std::string::npos);

  // The aircraft merge over the distance rolled in a second; the bump index over 18 m.
  EXPECT_DOUBLE_EQ(ExceedanceMergeDistance(ExceedanceKind::CgAcceleration, s, 168.8), 168.8);
  EXPECT_NEAR(ExceedanceMergeDistance(ExceedanceKind::BoeingBump, s, 0), 59.0551, 1e-4);
  EXPECT_DOUBLE_EQ(ExceedanceMergeDistance(ExceedanceKind::ShortIri, s, 0), 25.0);
}

TEST(ExceedanceRows, VerdictNamesTheFailingKindsAndTheirCounts) {
  ExceedanceState state;
  EXPECT_EQ(PassFailLine(ExceedanceCounts(state)), "");
  ExceedanceList pass;
  pass.kind = ExceedanceKind::BoeingBump;
  state.lists[static_cast<std::size_t>(ExceedanceKind::BoeingBump)] = pass;
  EXPECT_EQ(PassFailLine(ExceedanceCounts(state)), "Passes every limit: Boeing Bump Index.");
  ExceedanceList fail;
  fail.kind = ExceedanceKind::Straightedge;
  fail.stretches.resize(3);
  state.lists[static_cast<std::size_t>(ExceedanceKind::Straightedge)] = fail;
  ExceedanceList one;
  one.kind = ExceedanceKind::CgAcceleration;
  one.run = "B-727 at 100 knots";
  one.stretches.resize(1);
  state.lists[static_cast<std::size_t>(ExceedanceKind::CgAcceleration)] = one;
  const auto counts = ExceedanceCounts(state);
  ASSERT_EQ(counts.size(), 3u);
  EXPECT_EQ(counts[0].stretches, 3);
  EXPECT_FALSE(counts[0].pass);
  EXPECT_TRUE(counts[1].pass);
  EXPECT_EQ(PassFailLine(counts),
            "Fails: Straightedge deviation (3 stretches), cg acceleration (B-727 at 100 knots) "
            "(1 stretch); passes: Boeing Bump Index.");
}

}  // namespace
}  // namespace tarmac
