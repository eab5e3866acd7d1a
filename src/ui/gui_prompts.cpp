#include "ui/gui_prompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace tarmac::ui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

void QtPrompts::Message(const std::string& text, const std::string& title) {
  // The texts break their lines with CR LF; a message box wants a single line break.
  QString t = Q(text);
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox::information(parent_, Q(title), t, QMessageBox::Ok);
}

std::optional<std::string> QtPrompts::Input(const std::string& prompt, const std::string& title) {
  bool ok = false;
  const QString answer =
      QInputDialog::getText(parent_, Q(title), Q(prompt), QLineEdit::Normal, QString(), &ok);
  if (!ok) return std::nullopt;
  return answer.toStdString();
}

std::optional<std::string> QtPrompts::OpenFile(const QString& title, const QString& filter,
                                               const QString& folder) {
  const QString path = QFileDialog::getOpenFileName(parent_, title, folder, filter);
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

QStringList QtPrompts::OpenFiles(const QString& title, const QString& filter,
                                 const QString& folder) {
  return QFileDialog::getOpenFileNames(parent_, title, folder, filter);
}

std::optional<std::string> QtPrompts::SaveFile(const QString& title, const QString& filter,
                                               const QString& suggested) {
  // The dialog asks before replacing an existing file and only offers existing folders.
  const QString path = QFileDialog::getSaveFileName(parent_, title, suggested, filter);
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

std::optional<int> QtPrompts::Choose(const QString& title, const QString& label,
                                     const QStringList& items, int current) {
  bool ok = false;
  const QString item = QInputDialog::getItem(parent_, title, label, items, current, false, &ok);
  if (!ok) return std::nullopt;
  const int i = static_cast<int>(items.indexOf(item));
  if (i < 0) return std::nullopt;
  return i;
}

}  // namespace tarmac::ui
