#include "simulation/aircraft.h"

#include <cmath>

namespace tarmac {
namespace {

// Everything a loader states for one aircraft, in the units the loader stores (the maker's
// conversions are written out as arithmetic where the maker gave inches, psi or lb/in).
struct GearRow {
  std::int16_t tyres;
  double x, y, length, tyreStiffness, airPreload, airColumn;
};

struct ModeRow {
  double mass, frequency;
  std::array<double, kMaxStations> shape;
};

struct AircraftData {
  const char* name;
  int gears;
  double weight, pitchInertia, wheelbase;
  std::array<GearRow, 5> gear;
  std::array<double, kMaxStations> stationX;
  std::array<ModeRow, kMaxModes> mode;
};

// The B-727: nose gear and two main gears.
AircraftData B727() {
  const double wb = 63.25;
  return {"B-727", 3, 160000, 5233333, wb,
          {{
              // tyres, GearX, GearY, GearLength, tyre stiffness, air preload, air column
              {2, wb * 0.95, 0, 104.0 / 12, 4297.0 * 12, 2242, (229.9 / 19) / 12},
              {2, -wb * 0.05, -9.375, 112.0 / 12, 10370.0 * 12, 285 * 50.2, (702.8 / 50.2) / 12},
              {2, -wb * 0.05, 9.375, 112.0 / 12, 10370.0 * 12, 285 * 50.2, (702.8 / 50.2) / 12},
          }},
          {wb * 0.95, -wb * 0.05, -wb * 0.05, 0, (wb * 0.95) + 9.7},
          {{
              // modal mass (slug: the maker's lb s^2/in times 12), frequency (rad/s),
              // shape at stations 1..5
              {96, 15.21, {-0.09, 0.01, 0.01, 0.01, -0.13}},
              {103.2, 18.72, {0.15, -0.09, -0.09, -0.09, 0.22}},
              {58.8, 28.21, {-0.13, 0.05, 0.05, 0.06, -0.21}},
              {193.2, 44.92, {0.21, 0.01, 0.01, -0.01, 0.42}},
              {72, 46.75, {-0.06, 0, 0, 0.01, -0.12}},
              {68.4, 47.75, {-0.01, 0.05, 0.05, 0.05, -0.02}},
              {58.8, 59.86, {-0.06, -0.07, -0.07, -0.06, -0.14}},
              {222, 72.45, {-0.01, -0.01, -0.01, 0.01, -0.04}},
              {4760.4, 87.96, {0.15, -0.07, -0.07, -0.06, 0.65}},
              {249.6, 94.31, {0.05, -0.02, -0.02, -0.01, 0.26}},
          }}};
}

// The B-747: nose gear, front main gears 2 and 3 (wing), rear main gears 4 and 5 (body).
AircraftData B747() {
  const double wb = 84;
  return {"B-747", 5, 630000, 400000000.0 / 12, wb,
          {{
              {2, wb * 0.9082, 0, 170.0 / 12, (28334.0 / 2) * 12, 130 * 63.6, (1600 / 63.6) / 12},
              {4, (-wb * 0.0918) + 5.042, -18.04, 175.0 / 12, (56668.0 / 4) * 12, 450 * 95,
               (2735.0 / 95) / 12},
              {4, (-wb * 0.0918) + 5.042, 18.04, 175.0 / 12, (56668.0 / 4) * 12, 450 * 95,
               (2735.0 / 95) / 12},
              {4, (-wb * 0.0918) - 5.042, -6.29, (175.0 / 12) * 1.021999, (56668.0 / 4) * 12,
               325 * 95, (2690.0 / 95) / 12},
              {4, (-wb * 0.0918) - 5.042, 6.29, (175.0 / 12) * 1.021999, (56668.0 / 4) * 12,
               325 * 95, (2690.0 / 95) / 12},
          }},
          {wb * 0.9082, (-wb * 0.0918) + 5.042, (-wb * 0.0918) + 5.042, (-wb * 0.0918) - 5.042,
           (-wb * 0.0918) - 5.042, 0, (wb * 0.9082) + 7.083},
          {{
              {556.8, 6.35, {-0.04, -0.03, -0.03, -0.06, -0.06, -0.05, -0.07}},
              {976.8, 10.85, {0.01, 0.02, 0.02, 0, 0, 0, 0.02}},
              {843.6, 11.59, {0.07, -0.01, -0.01, 0.01, 0.01, 0, 0.1}},
              {8828.4, 14.63, {0.61, -0.16, -0.16, -0.09, -0.09, -0.1, 0.75}},
              {674.4, 16.9, {0.23, -0.14, -0.14, -0.14, -0.14, -0.13, 0.31}},
              {2472, 24.1, {-0.01, -0.02, -0.02, 0.02, 0.02, 0.03, -0.03}},
              {630, 26.2, {0.04, 0.01, 0.01, -0.08, -0.08, -0.1, 0.08}},
              {558, 27.6, {-0.02, -0.03, -0.03, 0.03, 0.03, 0.02, -0.05}},
              {416.4, 77.2, {-0.23, 0.15, 0.15, -0.03, -0.03, 0.06, -0.32}},
              {178.8, 41.7, {0.06, 0.05, 0.05, -0.02, -0.02, -0.04, 0.09}},
          }}};
}

// The DC-9: nose gear and two main gears.
AircraftData DC9() {
  const double wb = 56.405;
  return {"DC-9", 3, 114000, 1795000, wb,
          {{
              {2, wb * 0.9639, 0, 96.7 / 12, (10320.0 / 2) * 12, 120.3 * 8.28, (126.66 / 8.28) / 12},
              {2, -wb * 0.0361, -8, 97.9 / 12, (25000.0 / 2) * 12, 332.8 * 25.92,
               (462.2 / 25.92) / 12},
              {2, -wb * 0.0361, 8, 97.9 / 12, (25000.0 / 2) * 12, 332.8 * 25.92,
               (462.2 / 25.92) / 12},
          }},
          {wb * 0.9639, -wb * 0.0361, -wb * 0.0361, 0, (wb * 0.9639) + 1.339},
          {{
              {51.6, 18.5, {-0.06, -0.01, -0.01, -0.03, -0.06}},
              {16.8, 26.1, {0.09, -0.03, -0.03, -0.03, 0.1}},
              {103.2, 33.9, {-0.3, 0.12, 0.12, 0.1, -0.32}},
              {42, 43.9, {-0.11, 0.02, 0.02, 0.01, -0.12}},
              {24, 53.6, {-0.04, 0.01, 0.01, 0.04, -0.05}},
              {392.4, 56.9, {0.11, -0.03, -0.03, -0.04, 0.12}},
              {63.6, 57.3, {-0.04, 0, 0, 0.01, -0.04}},
              {86.4, 71.6, {0.23, 0.01, 0.01, -0.02, 0.25}},
              {16.8, 95.5, {-0.01, -0.01, -0.01, 0, -0.01}},
              {40.8, 111, {0.08, -0.04, -0.04, -0.01, 0.09}},
          }}};
}

// The DC-10: nose gear and two wing main gears (the centre gear is not modelled).
AircraftData DC10() {
  const double wb = 72.587;
  return {"DC-10", 3, 440000, 17633333, wb,
          {{
              {2, wb * 0.9162, 0, 150.0 / 12, (21840.0 / 2) * 12, 100 * 38.48,
               (660.56 / 38.48) / 12},
              {4, -wb * 0.0838, -17.5, 150.0 / 12, (57600.0 / 4) * 12, 238 * 103.86,
               (2540.71 / 103.86) / 12},
              {4, -wb * 0.0838, 17.5, 150.0 / 12, (57600.0 / 4) * 12, 238 * 103.86,
               (2540.71 / 103.86) / 12},
          }},
          {wb * 0.9162, -wb * 0.0838, -wb * 0.0838, 0, (wb * 0.9162) + 18.08},
          {{
              {313.2, 7.52, {-0.01, -0.03, -0.03, -0.04, 0.01}},
              {926.4, 12.62, {0.01, 0.01, 0.01, 0, 0.1}},
              {471.6, 18.1, {0.25, -0.13, -0.13, -0.08, 0.41}},
              {218.4, 22.64, {0.05, 0.07, 0.07, 0, 0.08}},
              {204, 22.9, {-0.04, -0.09, -0.09, 0, -0.07}},
              {478.8, 24.22, {0.02, -0.04, -0.04, -0.05, 0.05}},
              {94.8, 24.75, {-0.01, 0, 0, -0.02, -0.01}},
              {384, 27.98, {-0.11, 0.14, 0.14, 0.12, -0.25}},
              {13491.6, 32.16, {-0.08, 0.04, 0.04, -0.12, -0.2}},
              {220.8, 43.2, {0.07, -0.07, -0.07, -0.03, 0.21}},
          }}};
}

// Metering-pin data per gear: piston area, orifice area, points, stroke (in) : pin diameter (in).
struct OrificeSet {
  const char* name;
  std::array<OrificeData, 5> gear;
};

const OrificeData kB727Nose{14.19, 0.95, 6,
                            {0, 7.45, 10.97, 11.82, 11.92, 12.02},
                            {0.976, 0.976, 1.04, 1.04, 1.06, 1.09}};
const OrificeData kB727Main{40.3, 1.77, 5, {0, 7, 10, 12.75, 14}, {1.05, 1.05, 1.3, 1.39, 1.49}};

const OrificeData kB747Nose{51.08, 4.34, 5, {0, 0.8, 13, 18, 25}, {2.06, 2.11, 2.15, 2.25, 2.28}};
const OrificeData kB747FrontMain{91.59, 3.45, 9,
                                 {0, 2, 8, 15, 18, 21, 24, 26, 30},
                                 {1.47, 1.28, 1.41, 1.69, 1.84, 1.93, 1.93, 2, 2}};
const OrificeData kB747RearMain{78.86, 3.74, 8,
                                {0, 5.5, 9, 13, 16, 21, 26.5, 30},
                                {1.56, 1.81, 1.75, 1.97, 2, 2.03, 2.12, 2.12}};

const OrificeData kDC9Nose{6.3, 0.42, 6,
                           {0, 0.545, 6.925, 12.425, 15.075, 15.147},
                           {0.375, 0.639, 0.684, 0.713, 0.723, 0.723}};
const OrificeData kDC9Main{20.61, 0.69, 7,
                           {0, 0.6, 1.5, 3.5, 8, 13.5, 17},
                           {0.421, 0.421, 0.569, 0.641, 0.76, 0.826, 0.826}};

const OrificeData kDC10Nose{31.74, 1.24, 5, {0, 3, 9, 15, 17}, {0.66, 0.85, 1.02, 1.13, 1.14}};
const OrificeData kDC10Main{89.24, 4.5, 5, {0, 4, 9, 18, 23.5}, {1.6, 1.8, 2.15, 2.25, 2.25}};

std::optional<OrificeSet> OrificeSetOf(std::string_view name) {
  if (name == "B-727") return OrificeSet{"B-727", {kB727Nose, kB727Main, kB727Main}};
  if (name == "B-747")
    return OrificeSet{"B-747",
                      {kB747Nose, kB747FrontMain, kB747FrontMain, kB747RearMain, kB747RearMain}};
  if (name == "DC-9") return OrificeSet{"DC-9", {kDC9Nose, kDC9Main, kDC9Main}};
  if (name == "DC-10") return OrificeSet{"DC-10", {kDC10Nose, kDC10Main, kDC10Main}};
  return std::nullopt;
}

std::optional<AircraftData> DataOf(std::string_view name) {
  if (name == "B-727") return B727();
  if (name == "B-747") return B747();
  if (name == "DC-9") return DC9();
  if (name == "DC-10") return DC10();
  return std::nullopt;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

double OrificeCoefficientAt(double pistonArea, double orificeArea, double pinDiameter) {
  // Net flow area around the metering pin, then the quadratic coefficient from the fluid
  // density (1.454 slug/ft^3), the discharge coefficient 0.9 and in^2 -> ft^2.
  const double netArea = orificeArea - 0.25 * 3.14159265359 * std::pow(pinDiameter, 2);
  return ((1.454 / 144) / (2 * 0.9 * 0.9)) * std::pow(pistonArea, 3) / std::pow(netArea, 2);
}

bool BuildOrificeTables(std::string_view typeName, AircraftModel& model) {
  const auto set = OrificeSetOf(typeName);
  if (!set) return false;
  for (int g = 0; g < model.NumGears; ++g) {
    const OrificeData& d = set->gear[static_cast<std::size_t>(g)];
    const auto gi = static_cast<std::size_t>(g);
    model.OrificePoints[gi] = d.points;
    double lowest = 10000000;
    for (int p = 0; p < d.points; ++p) {
      const auto pi = static_cast<std::size_t>(p);
      const double c = OrificeCoefficientAt(d.pistonArea, d.orificeArea, d.pinDiameter[pi]);
      model.OrificeCoefficient[gi][pi] = c;
      if (c < lowest) lowest = c;
      model.OrificeStroke[gi][pi] = d.strokeInches[pi] / 12;
    }
    model.OrificeCoefficientMin[gi] = lowest;
  }
  return true;
}

void TyreDampingDeflection(std::string_view typeName, std::array<float, kMaxGears>& values) {
  if (typeName == "B-727") {
    values[0] = 0.479f;
    values[1] = values[2] = 0.825f;
  } else if (typeName == "B-747") {
    for (int g = 0; g < 5; ++g) values[static_cast<std::size_t>(g)] = 0.848f;
  } else if (typeName == "DC-9") {
    values[0] = 0.306f;
    values[1] = values[2] = 0.7f;
  } else if (typeName == "DC-10") {
    values[0] = 0.675f;
    values[1] = values[2] = 0.892f;
  }
}

std::optional<AircraftModel> LoadAircraft(std::string_view typeName, int numberOfModes,
                                          double dampingFactor) {
  const std::string_view name = Trimmed(typeName);
  const auto data = DataOf(name);
  if (!data) return std::nullopt;
  AircraftModel m;
  m.TypeName = data->name;
  m.NumGears = data->gears;
  m.NumStations = data->gears + 2;
  m.Weight = data->weight;
  m.PitchInertia = data->pitchInertia;
  m.Wheelbase = data->wheelbase;
  m.NumberOfModes = numberOfModes;
  for (int g = 0; g < m.NumGears; ++g) {
    const auto gi = static_cast<std::size_t>(g);
    const GearRow& r = data->gear[gi];
    const bool nose = g == 0;
    m.TyresPerGear[gi] = r.tyres;
    m.GearX[gi] = r.x;
    m.GearY[gi] = r.y;
    m.GearLength[gi] = r.length;
    m.TyreStiffness[gi] = r.tyreStiffness;
    m.TyreDamping[gi] = nose ? 36000 * 0.5 : 36000;
    m.AirPreloadForce[gi] = r.airPreload;
    m.AirColumnLength[gi] = r.airColumn;
    // The main struts are raked 5 degrees; the load-dependent friction follows that angle.
    m.StrutRakeSine[gi] = nose ? 0 : std::sin(5 * 0.0174533);
    m.SealFriction[gi] = nose ? 1500 : 5000;
    m.SlidingFrictionRatio[gi] = 0.5;
  }
  m.FrictionCoefficient = 0.1;
  for (int s = 0; s < m.NumStations; ++s)
    m.StationX[static_cast<std::size_t>(s)] = data->stationX[static_cast<std::size_t>(s)];
  for (int j = 0; j < kMaxModes; ++j) {
    const auto ji = static_cast<std::size_t>(j);
    m.ModalMass[ji] = data->mode[ji].mass;
    m.ModalFrequency[ji] = data->mode[ji].frequency;
    m.ModeShape[ji] = data->mode[ji].shape;
  }
  // Stiffness-proportional damping: mode 1 has the damping ratio `dampingFactor`.
  for (int j = 0; j < numberOfModes && j < kMaxModes; ++j) {
    const auto ji = static_cast<std::size_t>(j);
    m.ModalStiffness[ji] = std::pow(m.ModalFrequency[ji], 2);
    m.ModalDamping[ji] = (2 * dampingFactor / m.ModalFrequency[0]) * std::pow(m.ModalFrequency[ji], 2);
  }
  BuildOrificeTables(name, m);
  TyreDampingDeflection(name, m.TyreDampingDeflection);
  return m;
}

}  // namespace tarmac
