#include "addin_library.h"

#include <dlfcn.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "kx_install_paths.h"

namespace kxhost {

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
  const QString missing = QString::fromLatin1(lib->api_.Resolve(handle));
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

QString AddinRegistryFile() { return QFile::decodeName(QByteArray::fromStdString(kx::AddinRegistryFile())); }

QString RegisteredLibrary(const QString& progId) {
  const auto entry = kx::FindAddinRegistration(progId.toStdString());
  return entry ? QFile::decodeName(QByteArray::fromStdString(entry->library)) : QString();
}

QString LibraryNearExecutable(const QString& executableDir) {
  const QDir dir(executableDir);
  for (const char* rel : {KX_ADDIN_FROM_BIN "/libkestrafix.so", "../../src/addin/libkestrafix.so",
                          "libkestrafix.so", "../lib/libkestrafix.so", "../lib/kestrafix/libkestrafix.so"}) {
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
