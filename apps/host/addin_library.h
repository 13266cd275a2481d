#pragma once
// The add-in as a host reaches it: the per-user add-in registry file names the library of a
// programmatic identifier; the library is loaded with dlopen and called through its C entry
// points. Nothing of the add-in's own code is linked into the host.
#include <QString>
#include <memory>

#include "addin/kestrafix.h"

namespace kxhost {

// The entry points the host calls, resolved from one loaded library.
struct AddinApi {
  kx_register_server_fn register_server = nullptr;
  kx_create_object_fn create_object = nullptr;
  kx_object_put_string_fn object_put_string = nullptr;
  kx_object_put_object_fn object_put_object = nullptr;
  kx_object_run_fn object_run = nullptr;
  kx_object_release_fn object_release = nullptr;
  kx_last_error_fn last_error = nullptr;
  kx_grid_open_job_table_fn grid_open_job_table = nullptr;
  kx_grid_release_fn grid_release = nullptr;
  kx_grid_row_count_fn grid_row_count = nullptr;
  kx_grid_column_count_fn grid_column_count = nullptr;
  kx_grid_column_name_fn grid_column_name = nullptr;
  kx_grid_column_caption_fn grid_column_caption = nullptr;
  kx_grid_cell_kind_fn grid_cell_kind = nullptr;
  kx_grid_cell_text_fn grid_cell_text = nullptr;
  kx_grid_current_fn grid_current = nullptr;
  kx_grid_set_row_fn grid_set_row = nullptr;
  kx_grid_set_col_fn grid_set_col = nullptr;
  kx_grid_refresh_fn grid_refresh = nullptr;
  kx_grid_use_message_captions_fn grid_use_message_captions = nullptr;
  kx_testing_set_dialog_fn testing_set_dialog = nullptr;  // present, refused outside test mode

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

// The per-user add-in registry file: $XDG_CONFIG_HOME/kestrafix/addins.ini, else
// $HOME/.config/kestrafix/addins.ini.
QString AddinRegistryFile();
// The library registered for a programmatic identifier, or "" when none is.
QString RegisteredLibrary(const QString& progId);
// The add-in library beside the host: in the build tree (<build>/src/addin) or installed
// next to the executable or in ../lib. "" when none is found.
QString LibraryNearExecutable(const QString& executableDir);
// Registers a library file the way a registration tool does: loads it and calls its
// kx_register_server. Returns "" on success, else the reason.
QString RegisterLibrary(const QString& file);

}  // namespace kxhost
