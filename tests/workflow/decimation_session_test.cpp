// Profiles from any profiler: one synthetic surface sampled at 10 mm, 25 mm, 0.125 m and 0.25 m
// gives the same roughness whatever its spacing, with the IRI held to an independent quarter car.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "test_support.h"
#include "workflow/session.h"
#include "workflow/synth.h"

namespace tarmac {
namespace {

constexpr double kFtPerM = 1.0 / 0.3048;
constexpr double kMm25 = 0.025 * kFtPerM;
constexpr double kLength = 4000.0;  // ft
constexpr std::uint64_t kSeed = 2031;

// The IRI of elevations z (inches, spacing dx ft) from the quarter car's equations of motion,
// in inches per mile. Sprung mass 1, unsprung mu, tyre k1, suspension k2 and c, at 80 km/h over
// the profile smoothed by a 250-mm moving average:
//   zs'' = -k2 (zs - zu) - c (zs' - zu')
//   mu zu'' = k2 (zs - zu) + c (zs' - zu') - k1 (zu - y)
// integrated by fourth-order Runge-Kutta in steps of at most 1 ms, the road y(t) linear between
// samples; the car starts on the slope of the first 11 m, its masses moving with the road.
// The index is the travel of the suspension, the integral of |zs' - zu'|, over the length.
double ReferenceIri(const std::vector<float>& z, double dx) {
  const double k1 = 653, k2 = 63.3, c = 6.0, mu = 0.15;
  const double v = 80.0 / 3.6 * kFtPerM;  // ft/s
  const auto base = static_cast<std::size_t>(std::max(1.0, std::round(0.25 * kFtPerM / dx)));
  std::vector<double> y(z.size() - base + 1);
  for (std::size_t i = 0; i < y.size(); ++i) {
    double sum = 0;
    for (std::size_t j = i; j < i + base; ++j) sum += z[j];
    y[i] = sum / static_cast<double>(base);
  }
  const auto road = [&](double t) {  // elevation under the tyre at time t
    const double at = std::min(t * v / dx, static_cast<double>(y.size() - 1));
    const auto i = std::min(static_cast<std::size_t>(at), y.size() - 2);
    return y[i] + (at - static_cast<double>(i)) * (y[i + 1] - y[i]);
  };
  using State = std::array<double, 4>;  // zs, zs', zu, zu'
  const auto rate = [&](const State& s, double t) {
    const double spring = k2 * (s[0] - s[2]) + c * (s[1] - s[3]);
    return State{s[1], -spring, s[3], (spring - k1 * (s[2] - road(t))) / mu};
  };
  const auto start = static_cast<std::size_t>(std::min(11.0 * kFtPerM / dx, y.size() - 1.0));
  const double slope = (y[start] - y[0]) / (static_cast<double>(start) * dx);
  State s{y[0], slope * v, y[0], slope * v};
  const double duration = static_cast<double>(y.size() - 1) * dx / v;
  const auto steps = static_cast<std::size_t>(std::ceil(duration / 0.001));
  const double h = duration / static_cast<double>(steps);
  double travel = 0;
  for (std::size_t k = 0; k < steps; ++k) {
    const double t = static_cast<double>(k) * h;
    const auto add = [](const State& a, const State& b, double f) {
      return State{a[0] + f * b[0], a[1] + f * b[1], a[2] + f * b[2], a[3] + f * b[3]};
    };
    const State r1 = rate(s, t), r2 = rate(add(s, r1, h / 2), t + h / 2),
                r3 = rate(add(s, r2, h / 2), t + h / 2), r4 = rate(add(s, r3, h), t + h);
    const double before = std::fabs(s[1] - s[3]);
    for (int i = 0; i < 4; ++i) s[i] += h / 6 * (r1[i] + 2 * r2[i] + 2 * r3[i] + r4[i]);
    travel += h / 2 * (before + std::fabs(s[1] - s[3]));  // trapezoidal sum of the travel
  }
  return travel / (duration * v) * 5280.0;
}

class SpacingAware : public ::testing::Test {
 protected:
  // The five indexes of the synthetic surface sampled at dx ft, under the rule given.
  std::array<double, 5> Indexes(double dx, const char* rule = "spacing") {
    testing::RecordingPrompts prompts;
    Session s(prompts);
    const std::string pro = dir.file("surface.pro");
    WriteSynthPro(pro, SynthesizeProfile(kLength, dx, kSeed), dx);
    EXPECT_TRUE(s.ReadFile(pro));
    EXPECT_TRUE(s.SetSetting("DecimationRule", rule));
    s.SetBatchMode(true);
    std::array<double, 5> values{};
    for (int k = 0; k < 5; ++k) {
      EXPECT_TRUE(s.RunIndex(k)) << k;
      values[static_cast<std::size_t>(k)] = s.model().index_value[static_cast<std::size_t>(k)];
    }
    reference_iri = ReferenceIri(s.model().profile, s.model().settings.SampleSpacing);
    steps = {s.model().straightedge.spacing, s.model().bump_input.spacing, s.model().iri.spacing};
    return values;
  }
  testing::TempDir dir;
  double reference_iri = 0;
  std::array<double, 3> steps{};  // straightedge, bump, IRI working steps, ft
};

TEST_F(SpacingAware, EveryIndexKeepsItsValueFromTenMillimetresToAQuarterMetre) {
  const auto at25 = Indexes(kMm25);
  EXPECT_NEAR(at25[2], reference_iri, 0.05 * reference_iri);
  const std::array<double, 3> design = steps;
  for (const double mm : {10.0, 125.0, 250.0}) {
    SCOPED_TRACE(mm);
    const auto v = Indexes(mm / 1000 * kFtPerM);
    EXPECT_NEAR(v[2], reference_iri, 0.05 * reference_iri);
    // At 10 mm the working steps are those of the 25-mm profile: 15 and 25 samples of 10 mm.
    if (mm == 10.0) {
      for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(steps[i], design[i], 1e-6 * design[i]) << i;
    }
    if (mm == 125.0) continue;
    for (const std::size_t k : std::array<std::size_t, 3>{0, 1, 3})  // straightedge, bump, CA PI
      EXPECT_NEAR(v[k], at25[k], 0.10 * at25[k]) << k;
  }

  // The fixed factors of the 25-mm design thin a 0.25-m profile out to 1.5 m: the straightedge
  // no longer sees what it measures.
  const auto fixed = Indexes(0.25 * kFtPerM, "fixed");
  EXPECT_NEAR(steps[0], 6 * 0.25 * kFtPerM, 1e-6);
  EXPECT_LT(fixed[0], 0.8 * at25[0]);
}

}  // namespace
}  // namespace tarmac
