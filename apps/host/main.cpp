// kestrafix-host: a small job manager that shows a job table and runs the Kestrafix add-in.
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "addin_library.h"
#include "gui/display_probe.h"
#include "host_timing.h"
#include "host_window.h"
#include "translations.h"

namespace {

// The options, built once the translations are in, so --help speaks the user's language.
struct HostCommandLine {
  QCommandLineParser parser;
  const QCommandLineOption config{QStringList{QStringLiteral("c"), QStringLiteral("config")},
                                  QApplication::translate("main", "Host configuration file to open."),
                                  QStringLiteral("FILE")};
  // For the user guide: render the window with its job table to a PNG file and quit.
  const QCommandLineOption screenshot{
      QStringLiteral("screenshot"),
      QApplication::translate("main",
                              "Save the window as a PNG image and quit; with a message shown "
                              "instead of waiting for it, and exit status 1."),
      QStringLiteral("PNG")};
  // For the benchmarks: open the table, scroll to its last row, print both times and quit.
  const QCommandLineOption timing{
      QStringLiteral("timing"),
      QApplication::translate("main",
                              "Print the time to the first screen of the job table and to the "
                              "screen of its last row, then quit.")};

  HostCommandLine() {
    parser.setApplicationDescription(QApplication::translate(
        "main",
        "Job manager window that runs the Kestrafix add-in. Without --config it opens\n"
        "the configuration used last, or ./kestrafix-demo/torvel.cfg."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(config);
    parser.addOption(screenshot);
    parser.addOption(timing);
  }
};

bool AsksOnlyForText(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-v" || arg == "--version")
      return true;
  }
  return false;
}

// The window as shown, with any message box over its middle.
QPixmap Picture(kxhost::HostWindow& window, const kxhost::ShowOnlyPrompts& prompts) {
  QPixmap picture = window.grab();
  QPainter painter(&picture);
  for (QMessageBox* box : prompts.Pending()) {
    const QPixmap shot = box->grab();
    painter.drawPixmap((picture.width() - shot.width()) / 2, (picture.height() - shot.height()) / 2, shot);
  }
  return picture;
}

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer started;
  started.start();
  QCoreApplication::setApplicationName(QStringLiteral("kestrafix-host"));
  QCoreApplication::setApplicationVersion(QStringLiteral(KX_HOST_VERSION));

  // --help and --version need no window: they are answered before the display is asked.
  if (AsksOnlyForText(argc, argv)) {
    QCoreApplication core(argc, argv);
    kxhost::InstallTranslations(core, QLocale());
    HostCommandLine line;
    line.parser.process(core);  // prints and exits
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
  kxhost::InstallTranslations(app, QLocale());
  HostCommandLine line;
  line.parser.process(app);

  kxhost::HostOptions options;
  options.libraryCandidate = kxhost::LibraryNearExecutable(QCoreApplication::applicationDirPath());
  options.userGuide = kxhost::FindUserGuide(QCoreApplication::applicationDirPath());
  const QString file = line.parser.value(line.config);
  if (line.parser.isSet(line.timing)) {
    kxhost::ShowOnlyPrompts prompts;
    kxhost::HostWindow window(options, prompts);
    window.show();
    return kxhost::RunTiming(window, prompts, file, started);
  }
  if (line.parser.isSet(line.screenshot)) {
    // Nothing may wait for a person: boxes are shown, not waited for.
    kxhost::ShowOnlyPrompts prompts;
    kxhost::HostWindow window(options, prompts);
    window.show();
    const bool opened = window.Start(file);
    window.SelectCell(3, 1);
    QApplication::processEvents();
    if (!Picture(window, prompts).save(line.parser.value(line.screenshot))) return 1;
    return opened && prompts.Pending().isEmpty() ? 0 : 1;
  }
  kxhost::QtHostPrompts prompts;
  kxhost::HostWindow window(options, prompts);
  window.show();
  // Opened once the window is up, so that a message box has its parent on screen.
  QTimer::singleShot(0, &window, [&window, file] { window.Start(file); });
  return QApplication::exec();
}
