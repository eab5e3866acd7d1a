#pragma once
// The window's way of asking the person: the Session's messages, input boxes and status texts,
// plus the file dialogs and the choice from a list that only the window needs. QtPrompts shows
// real dialogs; tests script the answers.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>

#include "workflow/prompts.h"

class QWidget;

namespace tarmac::ui {

class GuiPrompts : public Prompts {
 public:
  // A file to open; nullopt when the dialog is cancelled. `filter` in Qt's form
  // ("pro files (*.pro);;dat files (*.dat)").
  virtual std::optional<std::string> OpenFile(const QString& title, const QString& filter,
                                              const QString& folder) = 0;
  // Several files to open at once; empty when cancelled.
  virtual QStringList OpenFiles(const QString& title, const QString& filter,
                                const QString& folder) = 0;
  // A file to save, asking before an existing one is replaced; nullopt when cancelled.
  virtual std::optional<std::string> SaveFile(const QString& title, const QString& filter,
                                              const QString& suggested) = 0;
  // One item of a list (the channels of an ERD file, the plot levels); its index, or nullopt.
  virtual std::optional<int> Choose(const QString& title, const QString& label,
                                    const QStringList& items, int current) = 0;

  // Where the status texts go (the first panel of the status bar).
  void SetStatusSink(std::function<void(const std::string&)> sink) { status_ = std::move(sink); }
  void Status(const std::string& text) override {
    if (status_) status_(text);
  }

 private:
  std::function<void(const std::string&)> status_;
};

// Message boxes, file dialogs and input boxes over a parent window.
class QtPrompts final : public GuiPrompts {
 public:
  explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  void Message(const std::string& text, const std::string& title) override;
  std::optional<std::string> Input(const std::string& prompt, const std::string& title) override;
  std::optional<std::string> OpenFile(const QString& title, const QString& filter,
                                      const QString& folder) override;
  QStringList OpenFiles(const QString& title, const QString& filter,
                        const QString& folder) override;
  std::optional<std::string> SaveFile(const QString& title, const QString& filter,
                                      const QString& suggested) override;
  std::optional<int> Choose(const QString& title, const QString& label, const QStringList& items,
                            int current) override;

 private:
  QWidget* parent_;
};

}  // namespace tarmac::ui
