#include "ui/readouts.h"

#include <algorithm>
#include <cmath>

#include "common/number_format.h"
#include "common/rounding.h"

namespace tarmac::ui {

ValueStyle ValueStyleOf(const std::string& kind, const Units& units) {
  if (kind == "ZProfile" || kind == "Straightedge Plot" || kind == "Boeing Bump Plot")
    return {"#,##0.000", units.ElevationSuffix};
  if (kind == "Straightedge" || kind == "CA Profilograph" || kind == "Bandpass Filter")
    return {"#,##0.000", units.ElevationLabel};
  if (kind == "Speed") return {"#,##0.000", units.SpeedLabel};
  if (kind == "IRI (1/4 Car)") return {"#,##0.000", units.SlopeLabel};
  if (kind == "Boeing Bump Index") return {"#,##0.000", ""};
  if (kind == "Gcg" || kind == "Gcp") return {"#,##0.00", " Gs"};
  return {"#,##0", ""};
}

std::string MoveXText(double x, const Units& units) {
  return "X = " + FormatNumber(x, "#,##0.00") + units.LengthLabel;
}

std::string MoveYText(double y, const std::string& kind, const Units& units) {
  const ValueStyle st = ValueStyleOf(kind, units);
  return "Y = " + FormatNumber(y, st.format) + st.unit;
}

ClickTexts ClickReadout(double x, double y, double previous_x, double previous_y,
                        const std::string& kind, const Units& units) {
  const ValueStyle st = ValueStyleOf(kind, units);
  ClickTexts t;
  t.x = MoveXText(x, units);
  t.del_x = "DelX = " + FormatNumber(x - previous_x, "#,##0.00") + units.LengthLabel;
  t.y = "Y = " + FormatNumber(y, st.format) + st.unit;
  t.del_y = "DelY = " + FormatNumber(y - previous_y, st.format) + st.unit;
  t.current = "Current = " + kind;
  return t;
}

void TwoClickSelection::Begin() {
  state_ = State::WaitingFirst;
  first_level_ = -1;
}

std::optional<TwoClickSelection::Outcome> TwoClickSelection::Click(int level, float x) {
  switch (state_) {
    case State::Idle:
      return std::nullopt;
    case State::WaitingFirst:
      first_level_ = level;
      first_x_ = x;
      state_ = State::WaitingSecond;
      return std::nullopt;
    case State::WaitingSecond:
      break;
  }
  state_ = State::Idle;
  Outcome o;
  if (level != first_level_) {
    o.two_panels = true;
    return o;
  }
  o.level = level;
  o.x1 = first_x_;
  o.x2 = x;
  return o;
}

std::optional<TwoClickSelection::Outcome> TwoClickSelection::Cancel() {
  if (state_ == State::Idle) return std::nullopt;
  state_ = State::Idle;
  return Outcome{};
}

int DetailPosition(double click_x, double length_factor, double step_ft, int n) {
  if (n < 1) return 1;
  if (!(step_ft > 0.0) || !(length_factor > 0.0) || !std::isfinite(click_x)) return 1;
  // The click's distance in feet over the spacing; limited before rounding so that a click far
  // past the end cannot overflow the sample number.
  const double k = std::clamp(click_x / length_factor / (0.01 * step_ft), 0.0, n + 1.0);
  return std::clamp(CLng(k), 1, n);
}

namespace {

// The worked profile's samples 1..n in display units.
std::vector<float> DisplayProfile(const PreparedProfile& p, double factor) {
  std::vector<float> v(static_cast<std::size_t>(std::max(p.n, 0)));
  for (std::int32_t i = 1; i <= p.n; ++i)
    v[static_cast<std::size_t>(i - 1)] = static_cast<float>(p.at(i) * factor);
  return v;
}

// Plot x of sample i: the plot draws sample i at s x i, s in hundreds of display units.
double PlotX(int i, double step_ft, const Units& u) { return 0.01 * step_ft * u.LengthFactor * i; }

}  // namespace

std::optional<IndexDetail> StraightedgeDetail(const ProfileModel& m, double click_x) {
  const StraightedgeResult& r = m.straightedge;
  const PreparedProfile& p = m.straightedge_input;
  const int n = static_cast<int>(r.deviation.size());
  if (!m.flags.straightedge_done || n < 1 || p.n < 1 || r.window < 2) return std::nullopt;
  const Units& u = m.units;
  const double dx = r.spacing > 0 ? r.spacing : p.spacing;
  IndexDetail d;
  d.kind = "Straightedge Plot";
  // Windows start at 1..N-m; the last m entries are never evaluated, so a click there shows the
  // last edge that was laid.
  const int k = std::min(DetailPosition(click_x, u.LengthFactor, dx, n), std::max(1, p.n - r.window));
  const auto kk = static_cast<std::size_t>(k - 1);
  d.position = k;
  d.title = m.levels[1].kind + ", Deviation = " +
            FormatNumber(r.deviation[kk] * u.MmFactor, "0.000") + u.ElevationLabel;
  d.values = DisplayProfile(p, u.CmFactor);
  d.step_ft = dx;
  const int m_len = r.window;
  d.first = std::max(1, k - m_len);
  d.last = std::min(p.n, k + 2 * m_len);
  const int end = std::min(p.n, k + m_len - 1);
  const double y1 = r.line_start[kk] * u.CmFactor;
  const double y2 = r.line_end[kk] * u.CmFactor;
  d.lines.push_back({PlotX(k, dx, u), y1, PlotX(end, dx, u), y2, false});
  const int gap = std::clamp(k + static_cast<int>(r.gap_offset[kk]), k, end);
  const double t = end > k ? static_cast<double>(gap - k) / (end - k) : 0.0;
  const double edge_at_gap = y1 + t * (y2 - y1);
  d.lines.push_back({PlotX(gap, dx, u), edge_at_gap, PlotX(gap, dx, u),
                     static_cast<double>(d.values[static_cast<std::size_t>(gap - 1)]), true});
  return d;
}

std::optional<IndexDetail> BumpDetail(const ProfileModel& m, double click_x) {
  const BoeingBumpSeries& b = m.bump;
  const PreparedProfile& p = m.bump_input;
  const int n = static_cast<int>(b.index.size());
  if (!m.flags.bump_done || n < 1 || p.n < 1 || !(p.spacing > 0.0)) return std::nullopt;
  const Units& u = m.units;
  const double dx = p.spacing;
  IndexDetail d;
  d.kind = "Boeing Bump Plot";
  const int k = DetailPosition(click_x, u.LengthFactor, dx, std::min(n, p.n));
  const auto kk = static_cast<std::size_t>(k - 1);
  d.position = k;
  const double length = b.chord_length[kk];
  const double along = b.distance[kk];
  // The effective length of a bump is its distance from the nearer support of the chord: the
  // distance that sets its allowable height.
  const double effective = std::fabs(along);
  d.title = m.levels[2].kind + ", Index = " + FormatNumber(b.index[kk], "0.000") +
            ", H = " + FormatNumber(b.height[kk] * u.CmFactor, "0.00") +
            u.ShortElevationLabel + ", L = " + FormatNumber(length * u.LengthFactor, "0.0") +
            u.LengthLabel + ", EL = " + FormatNumber(effective * u.LengthFactor, "0.0") +
            u.LengthLabel;
  d.values = DisplayProfile(p, u.CmFactor);
  d.step_ft = dx;
  const int chord = CLng(length / dx);
  if (chord < 1) {
    // No one-sided chord covers this sample: the profile around it, without a bump.
    const int half = std::max(10, CLng(kBumpLongestChord / dx));
    d.first = std::max(1, k - half);
    d.last = std::min(p.n, k + half);
    return d;
  }
  int start = along >= 0 ? k - CLng(along / dx) : k + CLng(-along / dx) - chord;
  start = std::clamp(start, 1, p.n);
  const int end = std::min(p.n, start + chord);
  d.first = std::max(1, start - chord / 2);
  d.last = std::min(p.n, end + chord / 2);
  const double z1 = d.values[static_cast<std::size_t>(start - 1)];
  const double z2 = d.values[static_cast<std::size_t>(end - 1)];
  d.lines.push_back({PlotX(start, dx, u), z1, PlotX(end, dx, u), z2, false});
  const double t = end > start ? static_cast<double>(k - start) / (end - start) : 0.0;
  d.lines.push_back({PlotX(k, dx, u), z1 + t * (z2 - z1), PlotX(k, dx, u),
                     static_cast<double>(d.values[kk]), true});
  return d;
}

}  // namespace tarmac::ui
