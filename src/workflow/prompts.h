#pragma once
// How a Session talks to the person and to the plots. The GUI implements these with message
// boxes, dialogs and picture panels; the CLI with stderr and PNG files; tests record the calls.
#include <optional>
#include <string>

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

class PlotSink {
 public:
  virtual ~PlotSink() = default;
  // Level `level` of the model was (re)drawn; its plot state in the model is current.
  virtual void LevelDrawn(const ProfileModel& model, int level) = 0;
  // The plot panel of a level was cleared.
  virtual void PanelCleared(int level) { (void)level; }
};

}  // namespace tarmac
