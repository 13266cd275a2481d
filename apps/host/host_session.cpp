// What the host window keeps between runs (QSettings: its configurations, its size and
// place) and its Help menu.
#include <sqlite3.h>
#include <unicode/uversion.h>

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

#include "host_window.h"

namespace kxhost {

namespace {

constexpr int kRecentCount = 8;
const QString kRecentKey = QStringLiteral("recentConfigurations");

}  // namespace

std::unique_ptr<QSettings> HostWindow::Settings() const {
  if (!options_.settingsFile.isEmpty())
    return std::make_unique<QSettings>(options_.settingsFile, QSettings::IniFormat);
  // ~/.config/kestrafix/kestrafix-host.ini, beside the add-in registry.
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kestrafix"),
                                     QStringLiteral("kestrafix-host"));
}

bool HostWindow::Start(const QString& requested) {
  {
    const auto settings = Settings();
    restoreGeometry(settings->value(QStringLiteral("window/geometry")).toByteArray());
    restoreState(settings->value(QStringLiteral("window/state")).toByteArray());
  }
  if (!requested.isEmpty()) return OpenConfiguration(requested);
  const QStringList recent = RecentConfigurations();
  if (!recent.isEmpty()) {
    if (QFileInfo(recent.first()).isFile()) return OpenConfiguration(recent.first());
    ShowPlaceholder(tr("The host configuration used last, %1, is no longer there. Open another one with "
                       "File > Open configuration… (Ctrl+O).")
                        .arg(recent.first()));
    return false;
  }
  const QString demo = QDir::current().absoluteFilePath(QStringLiteral("kestrafix-demo/torvel.cfg"));
  if (QFileInfo(demo).isFile()) return OpenConfiguration(demo);
  ShowPlaceholder(tr("No host configuration open, and there is no demo in this folder (%1).\n\nOpen a "
                     "configuration with File > Open configuration… (Ctrl+O), or make a demo with\n"
                     "kestrafix demo kestrafix-demo")
                      .arg(QDir::currentPath()));
  return false;
}

QStringList HostWindow::RecentConfigurations() const { return Settings()->value(kRecentKey).toStringList(); }

void HostWindow::Remember(const QString& file) {
  QStringList recent = RecentConfigurations();
  recent.removeAll(file);
  recent.prepend(file);
  while (recent.size() > kRecentCount) recent.removeLast();
  Settings()->setValue(kRecentKey, recent);
  FillRecentMenu();
}

void HostWindow::FillRecentMenu() {
  recent_->clear();
  const QStringList files = RecentConfigurations();
  for (int i = 0; i < files.size(); ++i) {
    // "&1 torvel.cfg (/srv/host)": a number to pick it by, the name, and where it lies.
    const QFileInfo info(files[i]);
    QAction* a =
        recent_->addAction(QStringLiteral("&%1 %2 (%3)").arg(i + 1).arg(info.fileName(), info.path()));
    const QString file = files[i];
    connect(a, &QAction::triggered, this, [this, file] { OpenConfiguration(file); });
  }
  recent_->setEnabled(!files.isEmpty());
}

void HostWindow::SaveWindow() const {
  const auto settings = Settings();
  settings->setValue(QStringLiteral("window/geometry"), saveGeometry());
  settings->setValue(QStringLiteral("window/state"), saveState());
}

void HostWindow::closeEvent(QCloseEvent* event) {
  SaveWindow();
  QMainWindow::closeEvent(event);
}

void HostWindow::ShowUserGuide() {
  if (options_.userGuide.isEmpty() || !QFileInfo(options_.userGuide).isFile()) {
    prompts_.Error(this, tr("User guide"),
                   tr("The user guide was not found. It is docs/user-guide.md of the Kestrafix sources, and "
                      "share/doc/kestrafix/user-guide.md of an installation."));
    return;
  }
  if (!prompts_.OpenDocument(options_.userGuide))
    prompts_.Error(this, tr("User guide"), tr("No program could show %1.").arg(options_.userGuide));
}

QString HostWindow::AboutText() const {
  UVersionInfo icu{};
  u_getVersion(icu);
  char icuText[U_MAX_VERSION_STRING_LENGTH] = "";
  u_versionToString(icu, icuText);
  const QString addin = addin_ ? tr("%1 (interface %2)").arg(addin_->File()).arg(addin_->Api().api_version())
                               : tr("not loaded");
  return tr("<h3>Kestrafix host %1</h3>"
            "<p>A job manager window that runs the Kestrafix add-in: new NC jobs and changes to many "
            "jobs at once.</p>"
            "<p>Licence: %2</p>"
            "<p>Add-in: %3<br>Qt %4, SQLite %5, ICU %6</p>")
      .arg(QCoreApplication::applicationVersion(), QStringLiteral(KX_LICENCE), addin.toHtmlEscaped(),
           QString::fromLatin1(qVersion()), QString::fromLatin1(sqlite3_libversion()),
           QString::fromLatin1(icuText));
}

void HostWindow::ShowAbout() { prompts_.Info(this, tr("About Kestrafix host"), AboutText()); }

QString FindUserGuide(const QString& executableDir) {
  const QDir dir(executableDir);
  for (const QString& candidate : {dir.filePath(QStringLiteral("../share/doc/kestrafix/user-guide.md")),
                                   QStringLiteral(KX_SOURCE_USER_GUIDE)}) {
    if (QFileInfo(candidate).isFile()) return QFileInfo(candidate).absoluteFilePath();
  }
  return {};
}

}  // namespace kxhost
