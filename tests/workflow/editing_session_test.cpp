// The editing commands through a Session: clicks become samples, the profile and level 0 stay
// the same series, and every undo gives back exactly what was there.
#include <gtest/gtest.h>

#include <cmath>

#include "editing/new_length.h"
#include "editing/selection.h"
#include "editing/vertical_curve.h"
#include "test_support.h"
#include "workflow/editing_texts.h"
#include "workflow/session.h"
#include "workflow/synth.h"

namespace tarmac {
namespace {

constexpr double kDx = 0.25;

class EditingSession : public ::testing::Test {
 protected:
  bool Read(const std::string& name, const std::vector<float>& z) {
    testing::WriteText(dir.file(name), EncodeProFile(z, kDx));
    return s.ReadFile(dir.file(name));
  }
  std::string Shown(bool title = false) {  // the one message shown since the last call
    EXPECT_EQ(prompts.messages.size(), 1u);
    const std::string t = prompts.messages.empty() ? "" : title ? prompts.messages[0].title : prompts.messages[0].text;
    prompts.messages.clear();
    return t;
  }
  void ExpectLevel0IsProfile() { EXPECT_EQ(s.model().levels[0].data, s.model().profile); }
  testing::TempDir dir;
  testing::RecordingPrompts prompts;
  Session s{prompts};
};

TEST_F(EditingSession, RepairThenUndoGivesBackTheProfileExactly) {
  // A 4-ft wave: its wheels at 7, 13, 17 and 23 ft sit a quarter or three quarters of a wave
  // away, so the carriage cancels it inside the profile.
  std::vector<float> wave(6001);
  for (std::size_t i = 0; i < wave.size(); ++i)
    wave[i] = static_cast<float>(0.5 * std::sin(2.0 * 3.141592653589793 * static_cast<double>(i) * kDx / 4.0));
  wave.back() = 0.0f;
  ASSERT_TRUE(Read("a.pro", wave));
  const std::vector<float> original = s.model().profile;
  const std::string title = s.model().levels[0].title;
  EXPECT_FALSE(s.UndoRepair());  // nothing repaired yet
  ASSERT_TRUE(s.Repair());
  ExpectLevel0IsProfile();
  EXPECT_EQ(s.model().levels[0].title, "CA Profilograph, inches");
  for (std::size_t i = 400; i + 400 < original.size(); i += 37) EXPECT_NEAR(s.model().profile[i], 0.0f, 0.01f) << i;
  ASSERT_TRUE(s.UndoRepair());
  EXPECT_EQ(s.model().profile, original);
  ExpectLevel0IsProfile();
  EXPECT_EQ(s.model().levels[0].title, title);
  EXPECT_FALSE(s.UndoRepair());  // one undo per repair
  ASSERT_TRUE(s.Repair());
  ASSERT_TRUE(s.SaveProfile(dir.file("saved.pro")));
  EXPECT_FALSE(s.UndoRepair());  // saving ends the chance to undo
  // Nor may the undo of one profile's repair bring it back over the next profile read.
  ASSERT_TRUE(s.Repair());
  ASSERT_TRUE(Read("b.pro", std::vector<float>(500, 0.0f)));
  EXPECT_FALSE(s.UndoRepair());
  EXPECT_EQ(s.model().SampleCount(), 500);
}

TEST_F(EditingSession, CutsAreDistancesInEveryPanelAndUndoStepByStep) {
  ASSERT_TRUE(Read("a.pro", SynthesizeProfile(3000.0, kDx, 9)));
  const std::vector<float> whole = s.model().profile;
  ASSERT_EQ(whole.size(), 12001u);
  EXPECT_FALSE(s.NewLength(0, 5.0f, 5.99f));  // 99 ft
  EXPECT_EQ(Shown(), "Selected length is too short.\r\nPlease start over.");

  // Clicks at 2500 ft and 500 ft (right one first): samples 2000..10000, the chord removed.
  ASSERT_TRUE(s.NewLength(0, 25.0f, 5.0f));
  const std::vector<float> first = s.model().profile;
  ASSERT_EQ(first.size(), 8001u);
  EXPECT_EQ(first.back(), 0.0f);
  const double z1 = whole[1999], slope = (whole[9999] - z1) / 8000.0;
  for (std::size_t i : {1u, 100u, 4000u, 7999u})
    EXPECT_NEAR(first[i], (whole[1999 + i] - z1) - slope * static_cast<double>(i), 1e-4) << i;
  ExpectLevel0IsProfile();

  // A cut from a decimated index panel picks the same profile samples.
  ASSERT_TRUE(s.RunIndex(0));
  ASSERT_GT(s.model().levels[1].step_ft, 0.25);  // coarser than the profile's samples
  ASSERT_TRUE(s.NewLength(1, 2.0f, 12.0f));  // 200..1200 ft of the cut: samples 800..4800
  EXPECT_EQ(s.model().profile, CutProfile(first, Selection{800, 4800}));

  ASSERT_TRUE(s.UndoNewLength());
  EXPECT_EQ(s.model().profile, first);
  ASSERT_TRUE(s.UndoNewLength());
  EXPECT_EQ(s.model().profile, whole);
  ExpectLevel0IsProfile();

  // Metric clicks are hundreds of metres: 152.4 m and 762 m are 500 ft and 2500 ft.
  s.SetMetric(true);
  ASSERT_TRUE(s.NewLength(0, 1.524f, 7.62f));
  EXPECT_EQ(s.model().profile, first);
  ASSERT_TRUE(s.UndoNewLength());

  // Ten cuts are kept; the eleventh is refused and changes nothing.
  s.SetMetric(false);
  for (int k = 1; k <= 10; ++k) ASSERT_TRUE(s.NewLength(0, 0.5f, 28.0f - 2.0f * k)) << k;
  const std::vector<float> tenth = s.model().profile;
  EXPECT_FALSE(s.NewLength(0, 0.5f, 5.0f));
  EXPECT_EQ(Shown(), EditRefusalMessage(EditRefusal::TooManyCuts).text);
  EXPECT_EQ(s.model().profile, tenth);
}

// A profile with a grade g1 up to sample `vertex` and g2 after it (ft/ft), in inches.
std::vector<float> GradeChange(std::size_t vertex, double g1, double g2) {
  std::vector<float> z(12001);
  for (std::size_t i = 1; i <= z.size(); ++i) {
    const double x = (static_cast<double>(i) - static_cast<double>(vertex)) * kDx;
    z[i - 1] = static_cast<float>(12.0 * (x < 0 ? g1 * x : g2 * x));
  }
  return z;
}

TEST_F(EditingSession, VerticalCurveOnAHalfPercentChangeOfGrade) {
  ASSERT_TRUE(Read("vc.pro", GradeChange(6000, -0.002, 0.003)));  // vertex at 1500 ft
  const std::vector<float> before = s.model().profile;
  ASSERT_TRUE(s.VerticalCurve(0, 17.3f, 15.0f));  // click order does not matter
  const std::vector<float>& after = s.model().profile;
  ExpectLevel0IsProfile();
  // The parabola lies R t^2 above the nearer tangent, t from the nearer curve end, with
  // R = E / (LC/2)^2 = 0.3125 ft / 250^2 ft (0.5 % over 500 ft); single-precision grades may
  // shift the curve a sample: 0.02 in of 3.75 in.
  const double r = 0.3125 / (250.0 * 250.0);
  for (int k = -1100; k <= 1100; k += 25) {
    const auto i = static_cast<std::size_t>(6000 + k - 1);
    const double t = std::max(0.0, 250.0 - std::abs(k) * kDx);
    EXPECT_NEAR(after[i] - before[i], 12.0 * r * t * t, 0.02) << k;
  }
  EXPECT_NEAR(after[5999] - before[5999], 3.75, 0.02);  // the middle ordinate, inches
  for (std::size_t i = 0; i < 12001; ++i) {
    if (i + 1 < 6000 - 1003 || i + 1 > 6000 + 1003) {
      ASSERT_EQ(after[i], before[i]) << i;
    }
  }

  // Refused without a change of grade or with a vertex within 600 ft of the start.
  ASSERT_TRUE(Read("flat.pro", std::vector<float>(12001, 0.0f)));
  EXPECT_FALSE(s.VerticalCurve(0, 15.0f, 16.0f));
  EXPECT_EQ(Shown(), EditRefusalMessage(EditRefusal::EqualGrades).text);
  ASSERT_TRUE(Read("vc.pro", GradeChange(2000, -0.002, 0.003)));
  const std::vector<float> early = s.model().profile;
  EXPECT_FALSE(s.VerticalCurve(0, 5.0f, 6.0f));
  EXPECT_EQ(Shown(), EditRefusalMessage(EditRefusal::CurveOutside).text);
  EXPECT_EQ(s.model().profile, early);
}

}  // namespace
}  // namespace tarmac
