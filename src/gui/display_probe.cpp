#include "gui/display_probe.h"

#include <dlfcn.h>

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QString>
#include <QStringList>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace kx {
namespace {

bool IsSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

// The client library is loaded only to ask, so the program needs neither at build time.
template <class F>
F Symbol(void* lib, const char* name) {
  void* p = dlsym(lib, name);
  F f = nullptr;
  std::memcpy(&f, &p, sizeof p);
  return f;
}

bool XServerAnswers() {
  if (!IsSet("DISPLAY")) return false;
  void* lib = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
  if (!lib) return false;
  auto connect = Symbol<void* (*)(const char*, int*)>(lib, "xcb_connect");
  auto hasError = Symbol<int (*)(void*)>(lib, "xcb_connection_has_error");
  auto disconnect = Symbol<void (*)(void*)>(lib, "xcb_disconnect");
  bool answers = false;
  if (connect && hasError && disconnect) {
    void* c = connect(std::getenv("DISPLAY"), nullptr);
    answers = c && hasError(c) == 0;
    if (c) disconnect(c);  // an error connection is freed the same way
  }
  dlclose(lib);
  return answers;
}

bool WaylandAnswers() {
  if (!IsSet("WAYLAND_DISPLAY")) return false;
  void* lib = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_LOCAL);
  if (!lib) return false;
  auto connect = Symbol<void* (*)(const char*)>(lib, "wl_display_connect");
  auto disconnect = Symbol<void (*)(void*)>(lib, "wl_display_disconnect");
  bool answers = false;
  if (connect && disconnect) {
    if (void* d = connect(nullptr)) {
      answers = true;
      disconnect(d);
    }
  }
  dlclose(lib);
  return answers;
}

// Qt's platform plugin of that name prefix ("qxcb", "qwayland") is installed.
bool HasPlugin(const char* prefix) {
  QStringList dirs =
      QString::fromLocal8Bit(qgetenv("QT_PLUGIN_PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
  dirs << QLibraryInfo::path(QLibraryInfo::PluginsPath);
  for (const QString& dir : dirs) {
    const QStringList found = QDir(dir + QStringLiteral("/platforms"))
                                  .entryList({QStringLiteral("lib%1*").arg(QLatin1String(prefix))});
    if (!found.isEmpty()) return true;
  }
  return false;
}

bool Works(std::string_view name) {
  if (name == "xcb") return HasPlugin("qxcb") && XServerAnswers();
  if (name.starts_with("wayland")) return HasPlugin("qwayland") && WaylandAnswers();
  return !name.empty();  // offscreen, minimal, vnc, ...: nothing to ask first
}

}  // namespace

std::optional<std::string> UsableQtPlatform() {
  const char* chosen = std::getenv("QT_QPA_PLATFORM");
  if (chosen && *chosen) {
    std::string_view rest(chosen);
    while (!rest.empty()) {
      const std::size_t semi = rest.find(';');
      const std::string_view entry = rest.substr(0, semi);
      rest = semi == std::string_view::npos ? std::string_view() : rest.substr(semi + 1);
      // "offscreen:fontengine=freetype": options follow the name.
      if (Works(entry.substr(0, entry.find(':')))) return std::string(entry);
    }
    return std::nullopt;
  }
  for (const char* name : {"xcb", "wayland"})
    if (Works(name)) return std::string(name);
  return std::nullopt;
}

}  // namespace kx
