#pragma once
// How a Session talks to the person and to the plots. The GUI implements these with message
// boxes, dialogs and picture panels; the CLI with stderr and PNG files; tests record the calls.
#include <optional>
#include <string>
#include <vector>

namespace tarmac {

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A modal message with an OK button.
  virtual void Message(const std::string& text, const std::string& title) = 0;
  // An input box; nullopt when the person cancels.
  virtual std::optional<std::string> Input(const std::string& prompt, const std::string& title) = 0;
  // The first panel of the status bar.
  virtual void Status(const std::string& text) = 0;
};

struct ProfileModel;

// The index chart of one chart row, as the chart window and the chart document show it.
struct ChartRequest {
  int row = 1;                          // chart row 1..10
  std::string aircraft_type;            // rows 6..10
  std::string graph_title;              // `graph_title` (rows 6..10)
  double total = 0.0;                   // whole-profile result of the response (rows 6..10)
  std::string index_chart_title;        // `chart_title`(row) (rows 1..5)
  double averaging_distance_ft = 1000;  // section length of rows 1..4 and 6..10
  double ca_section_length_ft = 500;    // section length of row 5
  std::vector<double> values;           // `SectionIndexes`(1..`part_count`(row), row)
};

// A cumulative distribution picture (straightedge or Boeing Bump Index).
struct CdfRequest {
  std::vector<float> cdf;  // [j-1]: fraction of values <= j x x_max / bins
  double x_max = 0.0;      // display units
  std::string title;       // "Straightedge" / "Boeing Bump Index"
  std::string unit_label;  // unit of the values
};

// Where plots go. The GUI draws into its panels, the CLI and the reports into PNG pictures;
// the workflow layer itself never draws.
class PlotSink {
 public:
  virtual ~PlotSink() = default;
  // Level `level` of the model was (re)drawn; its plot state in the model is current.
  virtual void LevelDrawn(const ProfileModel& model, int level) = 0;
  // The plot panel of a level was cleared.
  virtual void PanelCleared(int level) { (void)level; }
  // Pictures for report documents, as PNG bytes; empty when this sink cannot draw.
  virtual std::vector<unsigned char> LevelPicture(const ProfileModel& model, int level) {
    (void)model, (void)level;
    return {};
  }
  virtual std::vector<unsigned char> ChartPicture(const ChartRequest& chart,
                                                  const ProfileModel& model) {
    (void)chart, (void)model;
    return {};
  }
  virtual std::vector<unsigned char> CdfPicture(const CdfRequest& cdf) {
    (void)cdf;
    return {};
  }
};

}  // namespace tarmac
