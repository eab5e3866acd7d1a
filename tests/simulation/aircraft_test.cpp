#include "simulation/aircraft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "simulation/dynamics.h"

namespace tarmac {
namespace {

const char* const kAll[] = {"B-727", "B-747", "DC-9", "DC-10"};

TEST(Aircraft, GeometryHangsTogether) {
  for (const char* name : kAll) {
    SCOPED_TRACE(name);
    const auto a = LoadAircraft(name, 10, 0.025);
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->NumStations, a->NumGears + 2);
    // Nose gear and the mean main-gear position are one wheelbase apart.
    double mainX = 0;
    for (int g = 1; g < a->NumGears; ++g) mainX += a->GearX[static_cast<std::size_t>(g)];
    mainX /= a->NumGears - 1;
    EXPECT_NEAR(a->GearX[0] - mainX, a->Wheelbase, 1e-9);
    // Gear stations sit at the gears, the cg station at 0, the pilot ahead of the nose gear.
    for (int g = 0; g < a->NumGears; ++g)
      EXPECT_EQ(a->StationX[static_cast<std::size_t>(g)], a->GearX[static_cast<std::size_t>(g)]);
    EXPECT_EQ(a->StationX[static_cast<std::size_t>(CgStation(*a))], 0.0);
    EXPECT_GT(a->StationX[static_cast<std::size_t>(PilotStation(*a))], a->GearX[0]);
    // Every strut carries more than its preload when it shares the weight.
    for (int g = 1; g < a->NumGears; ++g)
      EXPECT_LT(a->AirPreloadForce[static_cast<std::size_t>(g)], a->Weight / (a->NumGears - 1));
    EXPECT_GT(a->TyreDampingDeflection[0], 0.0f);
  }
  EXPECT_FALSE(LoadAircraft("A-380", 10, 0.025).has_value());
  EXPECT_TRUE(LoadAircraft("  DC-9 ", 10, 0.025).has_value());
  EXPECT_NEAR(LoadAircraft("B-747", 10, 0.025)->PitchInertia, 33333333.33, 0.01);
}

TEST(Aircraft, StoredGearValuesAsTheMakerConvertsThem) {
  // The values as stored, printed to ten digits in the data sheets: nose gear, first main gear,
  // rear main gear (B-747), and the pilot station.
  struct Gear {
    double x, length, tyreStiffness, preload, airColumn;
  };
  struct Sheet {
    const char* name;
    Gear nose, main, rear;
    double pilotX;
  };
  const Sheet sheets[] = {
      {"B-727", {60.0875, 8.666666667, 51564, 2242, 1.008333333},
       {-3.1625, 9.333333333, 124440, 14307, 1.166666667}, {}, 69.7875},
      {"B-747", {76.2888, 14.16666667, 170004, 8268, 2.096436059},
       {-2.6692, 14.58333333, 170004, 42750, 2.399122807},
       {-12.7532, 14.90415208, 170004, 30875, 2.359649123}, 83.3718},
      {"DC-9", {54.3687795, 8.058333333, 61920, 996.084, 1.274758454},
       {-2.0362205, 8.158333333, 150000, 8626.176, 1.48598251}, {}, 55.7077795},
      {"DC-10", {66.5042094, 12.5, 131040, 3848, 1.430526681},
       {-6.0827906, 12.5, 172800, 24718.68, 2.038569549}, {}, 84.5842094},
  };
  auto near = [](double value, double printed) {
    return std::fabs(value - printed) <= 6e-10 * std::max(1.0, std::fabs(printed));
  };
  for (const Sheet& sheet : sheets) {
    SCOPED_TRACE(sheet.name);
    const auto a = LoadAircraft(sheet.name, 10, 0.025);
    for (int g = 0; g < a->NumGears; ++g) {
      const auto i = static_cast<std::size_t>(g);
      const Gear& e = g == 0 ? sheet.nose : (g <= 2 ? sheet.main : sheet.rear);
      EXPECT_TRUE(near(a->GearX[i], e.x)) << g << " " << a->GearX[i];
      EXPECT_TRUE(near(a->GearLength[i], e.length)) << g << " " << a->GearLength[i];
      EXPECT_TRUE(near(a->TyreStiffness[i], e.tyreStiffness)) << g;
      EXPECT_TRUE(near(a->AirPreloadForce[i], e.preload)) << g << " " << a->AirPreloadForce[i];
      EXPECT_TRUE(near(a->AirColumnLength[i], e.airColumn)) << g << " " << a->AirColumnLength[i];
      EXPECT_EQ(a->TyreDamping[i], g == 0 ? 18000.0 : 36000.0);
      EXPECT_EQ(a->SealFriction[i], g == 0 ? 1500.0 : 5000.0);
      EXPECT_TRUE(near(a->StrutRakeSine[i], g == 0 ? 0.0 : 0.0871557800)) << g;
      EXPECT_EQ(a->SlidingFrictionRatio[i], 0.5);
      if (g > 0) {  // the main gears come in pairs, left and right
        EXPECT_EQ(a->GearY[i], -a->GearY[static_cast<std::size_t>(g % 2 ? g + 1 : g - 1)]);
      }
    }
    EXPECT_TRUE(near(a->StationX[static_cast<std::size_t>(PilotStation(*a))], sheet.pilotX));
    EXPECT_EQ(a->FrictionCoefficient, 0.1);
  }
}

TEST(Aircraft, ModalStiffnessAndDampingForChosenModes) {
  const auto a = LoadAircraft("DC-10", 3, 0.04);
  for (int j = 0; j < kMaxModes; ++j) {
    const auto m = static_cast<std::size_t>(j);
    EXPECT_GT(a->ModalMass[m], 0.0);
    if (j < 3) {
      const double w = a->ModalFrequency[m];
      EXPECT_NEAR(a->ModalStiffness[m], w * w, 1e-9);
      // Damping ratio c / (2 w): 0.04 for mode 1, growing with the frequency.
      EXPECT_NEAR(a->ModalDamping[m] / (2 * w), 0.04 * w / a->ModalFrequency[0], 1e-12);
    } else {
      EXPECT_EQ(a->ModalStiffness[m], 0.0);
      EXPECT_EQ(a->ModalDamping[m], 0.0);
    }
  }
  const auto undamped = LoadAircraft("B-727", 10, 0.0);
  for (double d : undamped->ModalDamping) EXPECT_EQ(d, 0.0);
}

TEST(Aircraft, OrificeTables) {
  const auto b727 = LoadAircraft("B-727", 10, 0.025);
  // Independent evaluation of rho / (2 Cd^2) x Ah^3 / An^2 for the nose gear's first pin.
  const double An = 0.95 - std::acos(-1.0) / 4 * 0.976 * 0.976;
  const double expected = 1.454 / (2 * 0.81) * std::pow(14.19, 3) / (An * An) / 144;
  EXPECT_NEAR(b727->OrificeCoefficient[0][0], expected, 1e-6);
  EXPECT_EQ(b727->OrificeCoefficient[0][0], b727->OrificeCoefficient[0][1]);
  EXPECT_EQ(b727->OrificeCoefficientMin[0], b727->OrificeCoefficient[0][0]);
  EXPECT_EQ(b727->OrificePoints[0], 6);
  EXPECT_DOUBLE_EQ(b727->OrificeStroke[0][5], 12.02 / 12);

  const auto b747 = LoadAircraft("B-747", 10, 0.025);
  for (int g : {1, 2}) {
    const auto& c = b747->OrificeCoefficient[static_cast<std::size_t>(g)];
    EXPECT_LT(c[1], c[0]);  // the thinner pin at point 2 leaves more flow area
    EXPECT_EQ(b747->OrificeCoefficientMin[static_cast<std::size_t>(g)], c[1]);
  }
  for (const char* name : kAll) {
    const auto a = LoadAircraft(name, 10, 0.025);
    for (int g = 0; g < a->NumGears; ++g) {
      const auto gi = static_cast<std::size_t>(g);
      for (int p = 0; p < a->OrificePoints[gi]; ++p)
        EXPECT_GE(a->OrificeCoefficient[gi][static_cast<std::size_t>(p)], a->OrificeCoefficientMin[gi]);
    }
  }
}

TEST(Aircraft, InterpolateOrificeClampsAndInterpolates) {
  const auto a = LoadAircraft("B-747", 10, 0.025);
  const auto& X = a->OrificeStroke[3];
  const auto& Y = a->OrificeCoefficient[3];
  EXPECT_EQ(InterpolateOrifice(*a, 3, -0.1), Y[0]);
  EXPECT_EQ(InterpolateOrifice(*a, 3, 5.0), Y[7]);
  EXPECT_EQ(InterpolateOrifice(*a, 3, X[7]), Y[7]);  // at the last point: not below it
  for (int p = 0; p + 1 < 8; ++p) {
    const auto i = static_cast<std::size_t>(p);
    const double mid = (X[i] + X[i + 1]) / 2;
    EXPECT_NEAR(InterpolateOrifice(*a, 3, mid), (Y[i] + Y[i + 1]) / 2, 1e-9 * Y[i]);
    EXPECT_NEAR(InterpolateOrifice(*a, 3, X[i + 1] - 1e-12), Y[i + 1], 1e-6 * Y[i + 1]);
  }
}

}  // namespace
}  // namespace tarmac
