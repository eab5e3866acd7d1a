// The editing commands through a Session: clicks become samples, the profile and level 0 stay
// the same series, and every undo gives back exactly what was there.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "editing/new_length.h"
#include "editing/selection.h"
#include "editing/vertical_curve.h"
#include "indexes/bandpass.h"
#include "test_support.h"
#include "workflow/profile_io.h"
#include "workflow/session.h"
#include "workflow/synth.h"

namespace tarmac {
namespace {

using testing::RecordingPrompts;
using testing::TempDir;

constexpr double kDx = 0.25;

// A session with a temporary folder; Pro writes a profile there at kDx.
class EditingSession : public ::testing::Test {
 protected:
  std::string Pro(const std::string& name, const std::vector<float>& z) {
    std::ofstream(dir.file(name), std::ios::binary) << EncodeProFile(z, kDx);
    return dir.file(name);
  }
  TempDir dir;
  RecordingPrompts prompts;
  Session s{prompts};
};

void ExpectLevel0IsProfile(const Session& s) {
  EXPECT_EQ(s.model().levels[0].data, s.model().ProfileZ);
  EXPECT_EQ(s.model().levels[0].npoints(), s.model().ProfileNPoints());
}

TEST_F(EditingSession, HighPassReplacesTheProfile) {
  EXPECT_FALSE(s.HighPass());
  ASSERT_TRUE(s.ReadFile(Pro("a.pro", SynthesizeProfile(1500.0, kDx, 2))));
  const std::vector<float> before = s.model().ProfileZ;
  ASSERT_TRUE(s.HighPass());
  EXPECT_EQ(s.model().ProfileZ, HighPassProfile(before, kDx));
  EXPECT_EQ(s.model().levels[0].kind, "ZHiPass");
  EXPECT_EQ(s.model().levels[0].drawn_title, "");
  ExpectLevel0IsProfile(s);
}

TEST_F(EditingSession, RepairThenUndoGivesBackTheProfileExactly) {
  // A 4-ft wave: its wheels at 7, 13, 17 and 23 ft sit a quarter or three quarters of a wave
  // away, so the carriage cancels it inside the profile.
  std::vector<float> wave(6001);
  for (std::size_t i = 0; i < wave.size(); ++i)
    wave[i] = static_cast<float>(0.5 * std::sin(2.0 * 3.141592653589793 * static_cast<double>(i) * kDx / 4.0));
  wave.back() = 0.0f;
  ASSERT_TRUE(s.ReadFile(Pro("a.pro", wave)));
  const std::vector<float> original = s.model().ProfileZ;
  const std::string kind = s.model().levels[0].kind, title = s.model().levels[0].title;
  EXPECT_FALSE(s.UndoRepair());  // nothing repaired yet: nothing changes
  EXPECT_EQ(s.model().ProfileZ, original);

  ASSERT_TRUE(s.Repair());
  EXPECT_NE(s.model().ProfileZ, original);
  ExpectLevel0IsProfile(s);
  EXPECT_EQ(s.model().levels[0].title, "CA Profilograph, inches");
  EXPECT_EQ(s.model().levels[1].kind, "CA Profilograph");
  EXPECT_EQ(s.model().levels[1].npoints(), s.model().ProfileNPoints());
  for (std::size_t i = 400; i + 400 < original.size(); i += 37)
    EXPECT_NEAR(s.model().ProfileZ[i], 0.0f, 0.01f) << i;

  ASSERT_TRUE(s.UndoRepair());
  EXPECT_EQ(s.model().ProfileZ, original);
  ExpectLevel0IsProfile(s);
  EXPECT_EQ(s.model().levels[0].kind, kind);
  EXPECT_EQ(s.model().levels[0].title, title);
  EXPECT_FALSE(s.UndoRepair());  // one undo per repair
  EXPECT_TRUE(prompts.messages.empty());

  // Saving ends the chance to undo.
  ASSERT_TRUE(s.Repair());
  ASSERT_TRUE(s.SaveProfile(dir.file("saved.pro")));
  EXPECT_FALSE(s.UndoRepair());
}

TEST_F(EditingSession, RepairRefusesAProfileShorterThanTheCarriage) {
  // 2 x 92 + 1 samples are needed at 0.25 ft; 184 are too few, 185 enough.
  std::vector<float> z(184);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = static_cast<float>(std::sin(0.3 * static_cast<double>(i)));
  ASSERT_TRUE(s.ReadFile(Pro("short.pro", z)));
  const std::vector<float> before = s.model().ProfileZ;
  EXPECT_FALSE(s.Repair());
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, "Cannot Repair");
  EXPECT_EQ(s.model().ProfileZ, before);
  EXPECT_FALSE(s.UndoRepair());
  z.push_back(0.0f);
  ASSERT_TRUE(s.ReadFile(Pro("enough.pro", z)));
  EXPECT_TRUE(s.Repair());
}

TEST_F(EditingSession, TwoCutsAndTwoUndosStepBackOneCutAtATime) {
  ASSERT_TRUE(s.ReadFile(Pro("a.pro", SynthesizeProfile(3000.0, kDx, 9))));
  const std::vector<float> whole = s.model().ProfileZ;
  ASSERT_EQ(whole.size(), 12001u);

  // Too short a stretch: 99 ft.
  EXPECT_FALSE(s.NewLength(0, 5.0f, 5.99f));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, "Selected length is too short.\r\nPlease start over.");
  EXPECT_EQ(s.model().ProfileZ, whole);

  // Clicks at 2500 ft and 500 ft (right one first): samples 2000..10000.
  ASSERT_TRUE(s.NewLength(0, 25.0f, 5.0f));
  const std::vector<float> first = s.model().ProfileZ;
  ASSERT_EQ(first.size(), 8001u);
  EXPECT_EQ(first.front(), 0.0f);
  EXPECT_EQ(first.back(), 0.0f);
  // The chord of the stretch removed, computed here on its own.
  const double z1 = whole[1999], slope = (whole[9999] - z1) / 8000.0;
  for (std::size_t i : {1u, 100u, 4000u, 7999u})
    EXPECT_NEAR(first[i], (whole[1999 + i] - z1) - slope * static_cast<double>(i), 1e-4) << i;
  ExpectLevel0IsProfile(s);

  // A cut from a decimated index panel picks the same profile samples: clicks are distances.
  ASSERT_TRUE(s.RunIndex(0));
  ASSERT_GT(s.model().levels[1].step_ft, 1.0);
  ASSERT_TRUE(s.NewLength(1, 2.0f, 12.0f));  // 200..1200 ft of the cut: samples 800..4800
  EXPECT_EQ(s.model().ProfileZ, CutProfile(first, Selection{800, 4800}));
  ExpectLevel0IsProfile(s);

  ASSERT_TRUE(s.UndoNewLength());
  EXPECT_EQ(s.model().ProfileZ, first);
  ExpectLevel0IsProfile(s);
  ASSERT_TRUE(s.UndoNewLength());
  EXPECT_EQ(s.model().ProfileZ, whole);
  ExpectLevel0IsProfile(s);
  prompts.messages.clear();
  EXPECT_FALSE(s.UndoNewLength());
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, "Not Implemented");
}

TEST_F(EditingSession, MetricClicksAreHundredsOfMetres) {
  s.SetMetric(true);
  ASSERT_TRUE(s.ReadFile(Pro("a.pro", SynthesizeProfile(3000.0, kDx, 9))));
  const std::vector<float> whole = s.model().ProfileZ;
  // 152.4 m and 762 m are 500 ft and 2500 ft.
  ASSERT_TRUE(s.NewLength(0, 1.524f, 7.62f));
  EXPECT_EQ(s.model().ProfileZ, CutProfile(whole, Selection{2000, 10000}));
}

TEST_F(EditingSession, ElevenCutsAreRefusedAtTheEleventh) {
  ASSERT_TRUE(s.ReadFile(Pro("a.pro", SynthesizeProfile(3000.0, kDx, 1))));
  for (int k = 1; k <= 10; ++k) ASSERT_TRUE(s.NewLength(0, 0.5f, 28.0f - 2.0f * k)) << k;
  const std::vector<float> tenth = s.model().ProfileZ;
  EXPECT_FALSE(s.NewLength(0, 0.5f, 5.0f));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, std::string(kTooManyCutsMessage.text));
  EXPECT_EQ(s.model().ProfileZ, tenth);
  for (int k = 1; k <= 10; ++k) ASSERT_TRUE(s.UndoNewLength()) << k;
  EXPECT_EQ(s.model().ProfileNPoints(), 12001);
}

TEST_F(EditingSession, ZoomNestsTwentyDeepAndUndoesStepByStep) {
  ASSERT_TRUE(s.ReadFile(Pro("runway7.pro", SynthesizeProfile(1000.0, kDx, 3))));
  const PlotLevel& l0 = s.model().levels[0];
  EXPECT_FALSE(s.UndoZoom(0));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, "No zooms to undo.");

  // Nine steps (samples 400..409) are too few, ten are enough.
  prompts.messages.clear();
  EXPECT_FALSE(s.Zoom(0, 1.0f, 1.0225f));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, "Invalid Selection");
  EXPECT_EQ(l0.zoomed, 0);
  ASSERT_TRUE(s.Zoom(0, 1.0f, 1.025f));
  EXPECT_EQ(l0.shown_first, 400);
  EXPECT_EQ(l0.shown_last, 410);
  EXPECT_EQ(l0.title, "ZProfile,RUNWAY7,inch");
  ASSERT_TRUE(s.UndoZoom(0));
  EXPECT_EQ(l0.shown_first, 1);
  EXPECT_EQ(l0.shown_last, 4001);

  // Twenty nested zooms, each narrower, are kept; the twenty-first is refused.
  for (int d = 1; d <= 20; ++d)
    ASSERT_TRUE(s.Zoom(0, 0.1f * static_cast<float>(d), 9.0f - 0.1f * static_cast<float>(d))) << d;
  EXPECT_EQ(l0.zoomed, 20);
  EXPECT_EQ(l0.shown_first, 800);
  EXPECT_EQ(l0.shown_last, 2800);
  prompts.messages.clear();
  EXPECT_FALSE(s.Zoom(0, 3.0f, 4.0f));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, "Cannot Zoom");
  EXPECT_EQ(l0.zoomed, 20);
  ASSERT_TRUE(s.UndoZoom(0));
  EXPECT_EQ(l0.zoomed, 19);
  EXPECT_EQ(l0.shown_first, 760);  // 1.9 hundred feet
  EXPECT_EQ(l0.shown_last, 2840);
  for (int d = 19; d >= 1; --d) ASSERT_TRUE(s.UndoZoom(-1));  // no clicked panel: level 0
  EXPECT_EQ(l0.shown_first, 1);
  EXPECT_EQ(l0.shown_last, 4001);

  // A straightedge detail panel cannot zoom.
  s.model().levels[1].data.assign(100, 0.0f);
  s.model().levels[1].step_ft = 1.5;
  s.model().levels[1].kind = "Straightedge Plot";
  prompts.messages.clear();
  EXPECT_FALSE(s.Zoom(1, 0.0f, 1.0f));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, "Cannot zoom this plot.");
}

// A profile with a grade g1 up to sample `vertex` and g2 after it (ft/ft), in inches.
std::vector<float> GradeChange(std::size_t n, std::size_t vertex, double g1, double g2) {
  std::vector<float> z(n);
  for (std::size_t i = 1; i <= n; ++i) {
    const double x = (static_cast<double>(i) - static_cast<double>(vertex)) * kDx;
    z[i - 1] = static_cast<float>(12.0 * (x < 0 ? g1 * x : g2 * x));
  }
  return z;
}

TEST_F(EditingSession, VerticalCurveOnAHalfPercentChangeOfGrade) {
  // The vertex at sample 6000 (1500 ft from the start by the plot's count), 3000 ft in all.
  ASSERT_TRUE(s.ReadFile(Pro("vc.pro", GradeChange(12001, 6000, -0.002, 0.003))));
  const std::vector<float> before = s.model().ProfileZ;
  // The second click only has to lie far enough beyond the first; order does not matter.
  ASSERT_TRUE(s.VerticalCurve(0, 17.3f, 15.0f));
  const std::vector<float>& after = s.model().ProfileZ;
  ExpectLevel0IsProfile(s);
  // Tangents kinked at the vertex: the parabola lies R t^2 above the nearer tangent, t from the
  // nearer curve end, with R = E / (LC/2)^2 = 0.3125 ft / 250^2 ft (0.5 % over 500 ft). The
  // measured grades carry single-precision noise, so the curve may come out a sample shorter
  // and its vertex a sample off: 0.02 in of 3.75 in.
  const double r = 0.3125 / (250.0 * 250.0);
  for (int k = -1100; k <= 1100; k += 25) {
    const auto i = static_cast<std::size_t>(6000 + k - 1);
    const double t = std::max(0.0, 250.0 - std::abs(k) * kDx);
    EXPECT_NEAR(after[i] - before[i], 12.0 * r * t * t, 0.02) << k;
  }
  EXPECT_NEAR(after[5999] - before[5999], 3.75, 0.02);  // the middle ordinate, inches
  // The curve leaves and joins the tangents without a kink: slopes in inches per foot over the
  // first and last few feet of the curve match the grades outside it.
  auto slope = [&](const std::vector<float>& z, int from, int to) {
    return (z[static_cast<std::size_t>(to - 1)] - z[static_cast<std::size_t>(from - 1)]) /
           ((to - from) * kDx);
  };
  EXPECT_NEAR(slope(after, 5003, 5008), slope(before, 4980, 4990), 1e-3);
  EXPECT_NEAR(slope(after, 6992, 6997), slope(before, 7010, 7020), 1e-3);
  // Nothing changes beyond the curve ends, 250 ft each side.
  for (std::size_t i = 0; i < 12001; ++i) {
    if (i + 1 < 6000 - 1003 || i + 1 > 6000 + 1003) {
      ASSERT_EQ(after[i], before[i]) << i;
    }
  }

  // A straight profile has no change of grade: refused, nothing changed.
  ASSERT_TRUE(s.ReadFile(Pro("flat.pro", std::vector<float>(12001, 0.0f))));
  const std::vector<float> flat = s.model().ProfileZ;
  prompts.messages.clear();
  EXPECT_FALSE(s.VerticalCurve(0, 15.0f, 16.0f));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, std::string(kEqualGradesMessage));
  EXPECT_EQ(s.model().ProfileZ, flat);
  // A vertex within 600 ft of the start reads before the profile: refused.
  ASSERT_TRUE(s.ReadFile(Pro("vc.pro", GradeChange(12001, 2000, -0.002, 0.003))));
  prompts.messages.clear();
  EXPECT_FALSE(s.VerticalCurve(0, 5.0f, 6.0f));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, std::string(kCurveOutsideMessage));
  // Clicks closer than MinPts samples.
  prompts.messages.clear();
  EXPECT_FALSE(s.VerticalCurve(0, 15.0f, 15.01f));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, "Selected length is too short.\r\nPlease start over.");
}

}  // namespace
}  // namespace tarmac
