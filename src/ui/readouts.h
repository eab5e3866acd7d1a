#pragma once
// What the window shows about the plots without drawing them: the mouse read-outs of the status
// bar, the two-click selection, and the right-click details of the straightedge and of the bump
// at a position. Plain C++ over the profile model, so it can be checked without a screen.
#include <optional>
#include <string>
#include <vector>

#include "common/units.h"
#include "workflow/profile_model.h"

namespace tarmac::ui {

// --- Read-outs ----------------------------------------------------------------------------------

// Number format and unit text of a value of a series of this kind ("ZProfile", "Gcg", ...).
struct ValueStyle {
  std::string format;
  std::string unit;
};
ValueStyle ValueStyleOf(const std::string& kind, const Units& units);

// Status-bar texts while the mouse moves over a panel: "X = 1,234.50ft", "Y = 0.123,inch".
std::string MoveXText(double x, const Units& units);
std::string MoveYText(double y, const std::string& kind, const Units& units);

// Status-bar texts of a mouse-down: the position and its change since the previous click on
// the same panel.
struct ClickTexts {
  std::string x, del_x, y, del_y, current;
};
ClickTexts ClickReadout(double x, double y, double previous_x, double previous_y,
                        const std::string& kind, const Units& units);

// --- Two-click selection ------------------------------------------------------------------------

// The selection that zoom, new length and the vertical curve wait for: two mouse-downs on one
// panel, or a cancel. It does not block: the window feeds it the clicks as they come.
class TwoClickSelection {
 public:
  enum class State { Idle, WaitingFirst, WaitingSecond };
  struct Outcome {
    int level = -1;  // the panel of both clicks; -1 when cancelled or refused
    float x1 = 0.0f, x2 = 0.0f;  // plot x of the two clicks, in click order
    bool two_panels = false;  // refused: the second click was on another panel
  };

  void Begin();
  // A mouse-down at plot x on a panel. Returns the outcome once the selection has ended.
  std::optional<Outcome> Click(int level, float x);
  // Cancel Op.: a pending selection ends with level -1.
  std::optional<Outcome> Cancel();

  State state() const { return state_; }
  bool active() const { return state_ != State::Idle; }
  int first_level() const { return first_level_; }
  float first_x() const { return first_x_; }

 private:
  State state_ = State::Idle;
  int first_level_ = -1;
  float first_x_ = 0.0f;
};

// --- Right-click details ------------------------------------------------------------------------

// A line over a detail plot, in plot units (x in hundreds of display length units, y in display
// units).
struct DetailLine {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool mark = false;  // the largest gap or the bump's height, drawn as a mark
};

// What a panel shows for a right click on an index plot: the profile the index worked on around
// the clicked position, with the straightedge or the bump chord laid on it.
struct IndexDetail {
  std::string kind;   // "Straightedge Plot" / "Boeing Bump Plot"
  std::string title;
  std::vector<float> values;  // the worked profile, samples 1..n, display units
  double step_ft = 0.0;
  int first = 1, last = 1;  // samples shown
  int position = 1;         // K, the sample of the index series clicked
  std::vector<DetailLine> lines;
};

// K: the sample of an index series of spacing step_ft under a click at plot x (nearest, halves
// to even), limited to 1..n.
int DetailPosition(double click_x, double length_factor, double step_ft, int n);

// The straightedge resting at the clicked position of panel 1; nothing when the straightedge
// has not been computed for the profile in hand.
std::optional<IndexDetail> StraightedgeDetail(const ProfileModel& model, double click_x);
// The bump at the clicked position of panel 2; nothing without a Boeing Bump Index.
std::optional<IndexDetail> BumpDetail(const ProfileModel& model, double click_x);

}  // namespace tarmac::ui
