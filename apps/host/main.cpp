// kestrafix-host: a small job manager that shows a job table and runs the Kestrafix add-in.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "addin_library.h"
#include "gui/display_probe.h"
#include "host_window.h"

int main(int argc, char** argv) {
  QCoreApplication::setApplicationName(QStringLiteral("kestrafix-host"));
  QCoreApplication::setApplicationVersion(QStringLiteral(KX_HOST_VERSION));
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Job manager window that runs the Kestrafix add-in."));
  parser.addHelpOption();
  parser.addVersionOption();
  // The demo that "kestrafix demo kestrafix-demo" writes into the current folder.
  const QCommandLineOption config(
      QStringList{QStringLiteral("c"), QStringLiteral("config")},
      QStringLiteral("Host configuration file (default: ./kestrafix-demo/torvel.cfg)."),
      QStringLiteral("FILE"), QStringLiteral("kestrafix-demo/torvel.cfg"));
  parser.addOption(config);
  // For the user guide: render the window with its job table to a PNG file and quit.
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Save the window as a PNG image and quit."),
                                      QStringLiteral("PNG"));
  parser.addOption(screenshot);

  // --help and --version need no window: they are answered before the display is asked.
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-v" || arg == "--version") {
      QCoreApplication core(argc, argv);
      parser.process(core);  // prints and exits
    }
  }

  // Qt would abort (and dump core) on a display that does not answer.
  const std::optional<std::string> platform = kx::UsableQtPlatform();
  if (!platform) {
    const char* display = std::getenv("DISPLAY");
    std::fprintf(stderr,
                 "kestrafix-host: no display to show a window on (DISPLAY=%s); set DISPLAY, or "
                 "QT_QPA_PLATFORM=offscreen for --screenshot\n",
                 display ? display : "");
    return 1;
  }
  setenv("QT_QPA_PLATFORM", platform->c_str(), 1);  // the platform that answered
  QApplication app(argc, argv);
  parser.process(app);

  kxhost::QtHostPrompts prompts;
  kxhost::HostOptions options;
  options.libraryCandidate = kxhost::LibraryNearExecutable(QCoreApplication::applicationDirPath());
  kxhost::HostWindow window(options, prompts);
  window.show();
  // Opened once the window is up, so that a message box has its parent on screen.
  const QString file = parser.value(config);
  if (parser.isSet(screenshot)) {
    const bool opened = window.OpenConfiguration(file);
    window.SelectCell(3, 1);
    QApplication::processEvents();
    if (!window.grab().save(parser.value(screenshot))) return 1;
    return opened ? 0 : 1;
  }
  QTimer::singleShot(0, &window, [&window, file] { window.OpenConfiguration(file); });
  return QApplication::exec();
}
