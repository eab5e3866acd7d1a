#pragma once
// Shared by the window tests: an off-screen application, scripted answers to the window's
// questions, and a copy of the bundled sample in a folder of its own.
#include <QApplication>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ui/gui_prompts.h"
#include "workflow/test_support.h"

namespace tarmac::testing {

// The application object every widget needs; made once, on the off-screen platform.
inline QApplication& App() {
  static int argc = 1;
  static char name[] = "test_ui";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

// Answers given in advance; a question without an answer is cancelled. Every message and every
// status text is recorded.
class ScriptedPrompts final : public ui::GuiPrompts {
 public:
  struct Shown {
    std::string text, title;
  };
  std::deque<std::string> files;  // answers of the file dialogs, in order
  std::deque<QStringList> file_lists;  // answers of the multi-file dialogs (else one of `files`)
  std::deque<int> choices;        // answers of the list choices
  std::deque<std::string> inputs; // answers of the input boxes
  std::vector<Shown> messages;
  std::vector<Shown> asked;  // the input boxes shown: prompt and title
  std::vector<std::string> statuses;
  std::vector<std::string> dialog_folders;  // the folder each open dialog started in

  ScriptedPrompts() {
    SetStatusSink([this](const std::string& t) { statuses.push_back(t); });
  }
  void Message(const std::string& text, const std::string& title) override {
    messages.push_back({text, title});
  }
  std::optional<std::string> Input(const std::string& prompt, const std::string& title) override {
    asked.push_back({prompt, title});
    if (inputs.empty()) return std::nullopt;
    std::string a = inputs.front();
    inputs.pop_front();
    return a;
  }
  std::optional<std::string> OpenFile(const QString&, const QString&,
                                      const QString& folder) override {
    dialog_folders.push_back(folder.toStdString());
    return Next();
  }
  QStringList OpenFiles(const QString&, const QString&, const QString&) override {
    QStringList l;
    if (!file_lists.empty()) {
      l = file_lists.front();
      file_lists.pop_front();
    } else if (auto f = Next()) {
      l << QString::fromStdString(*f);
    }
    return l;
  }
  std::optional<std::string> SaveFile(const QString&, const QString&, const QString&) override {
    return Next();
  }
  std::optional<int> Choose(const QString&, const QString&, const QStringList&, int) override {
    if (choices.empty()) return std::nullopt;
    const int c = choices.front();
    choices.pop_front();
    return c;
  }

 private:
  std::optional<std::string> Next() {
    if (files.empty()) return std::nullopt;
    std::string f = files.front();
    files.pop_front();
    return f;
  }
};

// The bundled sample runway (profile and speed file) copied into `dir`; returns the profile.
inline std::string CopySample(const std::filesystem::path& dir) {
  for (const char* name : {"runway.pro", "runway.spd"})
    std::filesystem::copy_file(std::filesystem::path(TARMAC_SOURCE_DIR) / "data" / name, dir / name,
                               std::filesystem::copy_options::overwrite_existing);
  return (dir / "runway.pro").string();
}

}  // namespace tarmac::testing
