#include "addin_library.h"

#include <dlfcn.h>

#include <QDir>
#include <QFileInfo>
#include <cstring>

#include "ini_file.h"

namespace kxhost {

namespace {

template <class F>
bool Resolve(void* handle, const char* name, F& fn, QString* missing) {
  void* p = dlsym(handle, name);
  // dlsym gives an object pointer; copying its bytes is the POSIX way to a function pointer.
  static_assert(sizeof p == sizeof fn);
  std::memcpy(&fn, &p, sizeof p);
  if (!p && missing->isEmpty()) *missing = QString::fromLatin1(name);
  return p != nullptr;
}

}  // namespace

QString AddinApi::LastError() const {
  if (!last_error) return {};
  size_t needed = 0;
  last_error(nullptr, 0, &needed);
  QByteArray buf(static_cast<qsizetype>(needed), '\0');
  if (last_error(buf.data(), static_cast<size_t>(buf.size()), nullptr) != KX_OK) return {};
  return QString::fromUtf8(buf.constData());
}

std::unique_ptr<AddinLibrary> AddinLibrary::Load(const QString& file, QString* error) {
  // RTLD_NODELETE: the add-in's dialogs are Qt classes, and Qt may hold on to their meta
  // objects after a dialog has gone; the code stays mapped until the process ends.
  void* handle = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!handle) {
    if (error) *error = QString::fromLocal8Bit(dlerror());
    return nullptr;
  }
  std::unique_ptr<AddinLibrary> lib(new AddinLibrary(handle, file));
  AddinApi& a = lib->api_;
  QString missing;
#define KX_RESOLVE(field, name) Resolve(handle, #name, a.field, &missing)
  KX_RESOLVE(register_server, kx_register_server);
  KX_RESOLVE(create_object, kx_create_object);
  KX_RESOLVE(object_put_string, kx_object_put_string);
  KX_RESOLVE(object_put_object, kx_object_put_object);
  KX_RESOLVE(object_run, kx_object_run);
  KX_RESOLVE(object_release, kx_object_release);
  KX_RESOLVE(last_error, kx_last_error);
  KX_RESOLVE(grid_open_job_table, kx_grid_open_job_table);
  KX_RESOLVE(grid_release, kx_grid_release);
  KX_RESOLVE(grid_row_count, kx_grid_row_count);
  KX_RESOLVE(grid_column_count, kx_grid_column_count);
  KX_RESOLVE(grid_column_name, kx_grid_column_name);
  KX_RESOLVE(grid_column_caption, kx_grid_column_caption);
  KX_RESOLVE(grid_cell_kind, kx_grid_cell_kind);
  KX_RESOLVE(grid_cell_text, kx_grid_cell_text);
  KX_RESOLVE(grid_current, kx_grid_current);
  KX_RESOLVE(grid_set_row, kx_grid_set_row);
  KX_RESOLVE(grid_set_col, kx_grid_set_col);
  KX_RESOLVE(grid_refresh, kx_grid_refresh);
  KX_RESOLVE(grid_use_message_captions, kx_grid_use_message_captions);
  KX_RESOLVE(testing_set_dialog, kx_testing_set_dialog);
#undef KX_RESOLVE
  if (!missing.isEmpty()) {
    if (error)
      *error = QStringLiteral("%1 is no Kestrafix add-in of this version: %2 is missing.").arg(file, missing);
    return nullptr;  // the destructor closes the library
  }
  return lib;
}

AddinLibrary::~AddinLibrary() {
  if (handle_) dlclose(handle_);
}

QString AddinRegistryFile() {
  const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
  if (xdg.startsWith('/')) return QFile::decodeName(xdg) + QStringLiteral("/kestrafix/addins.ini");
  const QByteArray home = qgetenv("HOME");
  if (!home.startsWith('/')) return {};
  return QFile::decodeName(home) + QStringLiteral("/.config/kestrafix/addins.ini");
}

QString RegisteredLibrary(const QString& progId) {
  const QString registry = AddinRegistryFile();
  return registry.isEmpty() ? QString() : ReadIniValue(registry, progId, QStringLiteral("Library"));
}

QString LibraryNearExecutable(const QString& executableDir) {
  const QDir dir(executableDir);
  for (const char* rel : {"../../src/addin/libkestrafix.so", "libkestrafix.so", "../lib/libkestrafix.so",
                          "../lib/kestrafix/libkestrafix.so"}) {
    const QFileInfo candidate(dir.filePath(QString::fromLatin1(rel)));
    if (candidate.isFile()) return candidate.canonicalFilePath();
  }
  return {};
}

QString RegisterLibrary(const QString& file) {
  QString error;
  auto lib = AddinLibrary::Load(file, &error);
  if (!lib) return error;
  const int rc = lib->Api().register_server();
  if (rc != KX_OK)
    return QStringLiteral("The add-in registry file %1 could not be written (code %2).")
        .arg(AddinRegistryFile())
        .arg(rc);
  return {};
}

}  // namespace kxhost
