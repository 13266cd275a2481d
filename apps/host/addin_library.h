#pragma once
// The add-in as a host reaches it: the per-user add-in registry file names the library of a
// programmatic identifier; the library is loaded with dlopen and called through its C entry
// points. Nothing of the add-in's own code is linked into the host.
#include <QString>
#include <memory>

#include "addin/kestrafix_entry_points.h"

namespace kxhost {

// Every entry point of one loaded library (the test seam included: present, refused outside
// test mode).
struct AddinApi : kx::AddinEntryPoints {
  // The thread's last error text of the add-in.
  QString LastError() const;
};

// One loaded add-in library; dlclose when it ends.
class AddinLibrary {
 public:
  // Loads the library file; on failure returns null and sets *error.
  static std::unique_ptr<AddinLibrary> Load(const QString& file, QString* error);
  ~AddinLibrary();
  AddinLibrary(const AddinLibrary&) = delete;
  AddinLibrary& operator=(const AddinLibrary&) = delete;

  const AddinApi& Api() const { return api_; }
  const QString& File() const { return file_; }

 private:
  AddinLibrary(void* handle, QString file) : handle_(handle), file_(std::move(file)) {}
  void* handle_;
  QString file_;
  AddinApi api_;
};

// The per-user add-in registry file (kx::AddinRegistryFile), "" when there is none.
QString AddinRegistryFile();
// The library registered for a programmatic identifier (the user's registry, then the
// system-wide ones), or "" when none is.
QString RegisteredLibrary(const QString& progId);
// The add-in library beside the host: installed in its host folder
// (../lib/<multiarch>/kestrafix/AddIns/Kestrafix), in the build tree (<build>/src/addin), next
// to the executable or in ../lib. "" when none is found.
QString LibraryNearExecutable(const QString& executableDir);
// Registers a library file the way a registration tool does: loads it and calls its
// kx_register_server. Returns "" on success, else the reason.
QString RegisterLibrary(const QString& file);

}  // namespace kxhost
