// tarmac-gui: the desktop application. `tarmac-gui [PROFILE]` opens the main window and, given a
// profile, reads it as Read File would.
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QSettings>

#include "ui/gui_prompts.h"
#include "ui/main_window.h"

#ifndef TARMAC_VERSION
#define TARMAC_VERSION "0"
#endif

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tarmac"));
  QApplication::setOrganizationName(QStringLiteral("tarmac"));
  QApplication::setApplicationVersion(QStringLiteral(TARMAC_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("tarmac-gui"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tarmac-gui"),
                                               QIcon(QStringLiteral(":/tarmac-gui.svg"))));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Roughness analysis of airport pavement profiles: the main window."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("PROFILE"),
                               QStringLiteral("Profile file to read at start (.pro, .dat, .erd, "
                                              ".csv, .txt)"),
                               QStringLiteral("[PROFILE]"));
  parser.process(app);

  QSettings settings;
  tarmac::ui::QtPrompts prompts;
  tarmac::ui::MainWindow window(prompts, &settings);
  prompts.SetParent(&window);
  window.show();
  const QStringList args = parser.positionalArguments();
  if (!args.isEmpty()) window.ReadProfile(args.front().toStdString());
  return QApplication::exec();
}
