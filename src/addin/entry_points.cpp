// The library's C entry points: registration, class object, unload check and the calls a
// host makes on an IFace object. Nothing may leave these functions but a return code.
#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>

#include "addin/IFace.h"
#include "addin/grid_handle.h"
#include "addin/kestrafix_entry_points.h"
#include "config/config_keys.h"
#include "config/mdlPublic.h"
#include "config/shared_state.h"
#include "core/error.h"
#include "core/text.h"
#include "dialogs/dialog_factory.h"
#include "dialogs/replace_column.h"
#include "fs/ini_profile.h"
#include "fs/native_path.h"
#include "messages/clsResStrs.h"
#include "platform/database.h"
#include "platform/job_table_grid.h"
#include "platform/replace_history.h"

#ifdef KX_WITH_DIALOGS
#include "gui/dialog_registration.h"
#include "gui/qt_app_guard.h"
#endif

namespace {

// Objects, class objects and server locks alive; the library may unload at 0.
std::atomic<long> g_live{0};

constexpr std::string_view kProgId = KX_PROGID;

bool IsOurProgId(const char* progid) { return progid && kx::EqualsNoCase(progid, kProgId); }

void EnsureDialogsRegistered() {
#ifdef KX_WITH_DIALOGS
  static std::once_flag once;
  // A host need not be a Qt program, nor have a display: each Qt dialog runs under a guard
  // that makes a QApplication when there is none and shows nothing when it cannot.
  std::call_once(once, [] {
    kx::RegisterQtDialogs();
    kx::GuardQtDialogs();
  });
#endif
}

std::string LibraryFile() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&kx_register_server), &info) == 0 || !info.dli_fname) return {};
  std::error_code ec;
  auto p = std::filesystem::absolute(info.dli_fname, ec);
  return ec ? std::string() : p.lexically_normal().string();
}

// Text of the last failing call on this thread, for kx_last_error.
thread_local std::string t_lastError;

int Fail(int code, std::string text) {
  t_lastError = std::move(text);
  return code;
}

// Exceptions end here, as return codes.
template <class F>
int Guard(F&& f) noexcept {
  try {
    return f();
  } catch (const kx::KxError& e) {
    try {
      const int code = e.Number() == kx::dberr::FileNotFound ? KX_E_NOT_FOUND : KX_E_ENGINE;
      return Fail(code, std::to_string(e.Number()) + ": " + e.Description());
    } catch (...) {
      return KX_E_FAIL;
    }
  } catch (const std::bad_alloc&) {
    return KX_E_FAIL;
  } catch (...) {
    return KX_E_FAIL;
  }
}

// Copies a text with its NUL into a caller's buffer.
int CopyOut(const std::string& v, char* buffer, size_t size, size_t* needed) {
  if (needed) *needed = v.size() + 1;
  if (!buffer || size < v.size() + 1) return KX_E_BUFFER_TOO_SMALL;
  std::memcpy(buffer, v.c_str(), v.size() + 1);
  return KX_OK;
}

std::shared_ptr<kx::JobTableGrid> TableOf(kx_grid* grid) { return kx::JobTableOfHandle(grid); }

bool InRange(int32_t i, long count) { return i >= 0 && i < count; }

// A fake dialog played by a C callback (test seam).
class CallbackDialog : public kx::IModalDialog {
 public:
  CallbackDialog(kx_fake_dialog_fn fn, void* context) : fn_(fn), context_(context) {}
  void ShowModal() override {
    const auto& s = kx::Shared();
    const kx_run_view view{s.gsIniFile.c_str(), s.gsFilename.c_str(), s.gsParameter.c_str(),
                           s.goSSDBGrid ? 1 : 0, s.goData.get()};
    const int r = fn_(context_, &view);
    if (r < 0) throw std::runtime_error("fake dialog failed");
    retVal_ = r != 0;
  }
  bool RetVal() const override { return retVal_; }

 private:
  kx_fake_dialog_fn fn_;
  void* context_;
  bool retVal_ = false;
};

}  // namespace

struct kx_object {
  std::atomic<long> refs{1};
  kx::IFace iface;
  std::shared_ptr<void> gridHandle;  // what the host set as SSDBGrid, released at the end
};

struct kx_class_factory {
  std::atomic<long> refs{1};
  std::atomic<long> locks{0};
};

extern "C" {

KX_API int kx_api_version(void) { return KX_API_VERSION; }

KX_API int kx_register_server(void) {
  return Guard([] {
    const std::string file = kx::AddinRegistryFile();
    const std::string lib = LibraryFile();
    if (file.empty() || lib.empty()) return KX_E_IO;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
    if (ec) return KX_E_IO;
    return kx::WritePrivateProfileString(file, kProgId, "Library", lib) ? KX_OK : KX_E_IO;
  });
}

KX_API int kx_unregister_server(void) {
  return Guard([] {
    const std::string file = kx::AddinRegistryFile();
    if (file.empty()) return KX_E_IO;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return KX_OK;  // nothing registered
    return kx::WritePrivateProfileString(file, kProgId, std::nullopt, std::nullopt) ? KX_OK : KX_E_IO;
  });
}

KX_API int kx_get_class_object(const char* progid, kx_class_factory** factory) {
  return Guard([&] {
    if (!factory) return KX_E_INVALID_ARG;
    *factory = nullptr;
    if (!IsOurProgId(progid)) return KX_E_CLASS_NOT_AVAILABLE;
    EnsureDialogsRegistered();
    *factory = new kx_class_factory;
    ++g_live;
    return KX_OK;
  });
}

KX_API int kx_factory_create_instance(kx_class_factory* factory, kx_object** object) {
  return Guard([&] {
    if (!factory || !object) return KX_E_INVALID_ARG;
    *object = new kx_object;
    ++g_live;
    return KX_OK;
  });
}

KX_API int kx_factory_lock_server(kx_class_factory* factory, int lock) {
  return Guard([&] {
    if (!factory) return KX_E_INVALID_ARG;
    if (lock) {
      ++factory->locks;
      ++g_live;
    } else {
      long n = factory->locks.load();
      while (n > 0 && !factory->locks.compare_exchange_weak(n, n - 1)) {
      }
      if (n <= 0) return KX_E_INVALID_ARG;  // not locked
      --g_live;
    }
    return KX_OK;
  });
}

KX_API int kx_factory_release(kx_class_factory* factory) {
  return Guard([&] {
    if (!factory) return KX_E_INVALID_ARG;
    if (--factory->refs == 0) {
      g_live -= factory->locks.load();  // locks end with the class object
      delete factory;
      --g_live;
    }
    return KX_OK;
  });
}

KX_API int kx_can_unload_now(void) { return g_live.load() == 0 ? 1 : 0; }

KX_API int kx_create_object(const char* progid, kx_object** object) {
  return Guard([&] {
    if (!object) return KX_E_INVALID_ARG;
    *object = nullptr;
    kx_class_factory* f = nullptr;
    int rc = kx_get_class_object(progid, &f);
    if (rc != KX_OK) return rc;
    rc = kx_factory_create_instance(f, object);
    kx_factory_release(f);
    return rc;
  });
}

KX_API int kx_object_add_ref(kx_object* object) {
  if (!object) return KX_E_INVALID_ARG;
  ++object->refs;
  return KX_OK;
}

KX_API int kx_object_release(kx_object* object) {
  return Guard([&] {
    if (!object) return KX_E_INVALID_ARG;
    if (--object->refs == 0) {
      delete object;  // IFace ends: clears its shared state and releases the host's handles
      --g_live;
    }
    return KX_OK;
  });
}

KX_API int kx_object_put_string(kx_object* object, const char* name, const char* value) {
  return Guard([&] {
    if (!object || !name) return KX_E_INVALID_ARG;
    const std::string v = value ? value : "";
    if (kx::EqualsNoCase(name, "IniFile")) {
      object->iface.IniFile(v);
    } else if (kx::EqualsNoCase(name, "filename")) {
      object->iface.filename(v);
    } else if (kx::EqualsNoCase(name, "Parameter")) {
      object->iface.Parameter(v);
    } else if (kx::EqualsNoCase(name, "Parameters")) {
      object->iface.Parameters = v;
    } else {
      return KX_E_UNKNOWN_NAME;
    }
    return KX_OK;
  });
}

KX_API int kx_object_get_string(kx_object* object, const char* name, char* buffer, size_t size,
                                size_t* needed) {
  return Guard([&] {
    if (!object || !name) return KX_E_INVALID_ARG;
    if (kx::EqualsNoCase(name, "RecordsAffected"))
      return CopyOut(std::to_string(object->iface.RecordsAffected), buffer, size, needed);
    if (!kx::EqualsNoCase(name, "Parameters")) {
      for (const char* p : {"IniFile", "filename", "Parameter", "SSDBGrid", "Data"}) {
        if (kx::EqualsNoCase(name, p)) return KX_E_WRITE_ONLY;
      }
      return KX_E_UNKNOWN_NAME;
    }
    return CopyOut(object->iface.Parameters, buffer, size, needed);
  });
}

KX_API int kx_object_put_object(kx_object* object, const char* name, void* handle, void (*release)(void*)) {
  return Guard([&] {
    if (!object || !name) return KX_E_INVALID_ARG;
    const bool grid = kx::EqualsNoCase(name, "SSDBGrid");
    if (!grid && !kx::EqualsNoCase(name, "Data")) return KX_E_UNKNOWN_NAME;
    std::shared_ptr<void> ref;
    if (handle) {
      // The host's reference, given back through its callback when the add-in drops it.
      ref = release ? std::shared_ptr<void>(handle, release) : std::shared_ptr<void>(handle, [](void*) {});
    }
    if (grid) {
      object->iface.SSDBGrid(kx::GridOfHandle(handle));
      object->gridHandle = std::move(ref);
    } else {
      object->iface.Data(std::move(ref));
    }
    return KX_OK;
  });
}

KX_API int kx_object_run(kx_object* object, int32_t* result) {
  if (!object || !result) return KX_E_INVALID_ARG;
  *result = object->iface.Run();  // Run lets nothing out
  return KX_OK;
}

KX_API int kx_grid_release(kx_grid* grid) { return kx::ReleaseGridHandle(grid) ? KX_OK : KX_E_INVALID_ARG; }

KX_API int kx_last_error(char* buffer, size_t size, size_t* needed) {
  return Guard([&] { return CopyOut(t_lastError, buffer, size, needed); });
}

KX_API int kx_grid_open_job_table(const char* db_path, kx_grid** grid) {
  return Guard([&] {
    if (!grid) return KX_E_INVALID_ARG;
    *grid = nullptr;
    if (!db_path || !*db_path) return Fail(KX_E_INVALID_ARG, "No job database named.");
    *grid = kx::OpenJobTableHandle(db_path);
    return KX_OK;
  });
}

KX_API int kx_grid_row_count(kx_grid* grid, int32_t* rows) {
  return Guard([&] {
    const auto t = TableOf(grid);
    if (!t || !rows) return KX_E_INVALID_ARG;
    *rows = static_cast<int32_t>(t->Rows());
    return KX_OK;
  });
}

KX_API int kx_grid_total_row_count(kx_grid* grid, int32_t* rows) {
  return Guard([&] {
    const auto t = TableOf(grid);
    if (!t || !rows) return KX_E_INVALID_ARG;
    *rows = static_cast<int32_t>(t->TotalRows());
    return KX_OK;
  });
}

KX_API int kx_grid_column_count(kx_grid* grid, int32_t* columns) {
  return Guard([&] {
    const auto t = TableOf(grid);
    if (!t || !columns) return KX_E_INVALID_ARG;
    *columns = static_cast<int32_t>(t->ColumnCount());
    return KX_OK;
  });
}

KX_API int kx_grid_column_name(kx_grid* grid, int32_t column, char* buffer, size_t size, size_t* needed) {
  return Guard([&] {
    const auto t = TableOf(grid);
    if (!t || !InRange(column, t->ColumnCount())) return KX_E_INVALID_ARG;
    return CopyOut(t->ColumnAt(column).Name(), buffer, size, needed);
  });
}

KX_API int kx_grid_column_caption(kx_grid* grid, int32_t column, char* buffer, size_t size, size_t* needed) {
  return Guard([&] {
    const auto t = TableOf(grid);
    if (!t || !InRange(column, t->ColumnCount())) return KX_E_INVALID_ARG;
    return CopyOut(t->ColumnAt(column).Caption(), buffer, size, needed);
  });
}

KX_API int kx_grid_cell_kind(kx_grid* grid, int32_t row, int32_t column, int* kind) {
  return Guard([&] {
    const auto t = TableOf(grid);
    if (!t || !kind || !InRange(row, t->Rows()) || !InRange(column, t->ColumnCount()))
      return KX_E_INVALID_ARG;
    switch (t->Cell(row, column).GetKind()) {
      case kx::Variant::Kind::Empty:
      case kx::Variant::Kind::Null:
        *kind = KX_CELL_NULL;
        break;
      case kx::Variant::Kind::Integer:
      case kx::Variant::Kind::Double:
        *kind = KX_CELL_NUMBER;
        break;
      default:
        *kind = KX_CELL_TEXT;
    }
    return KX_OK;
  });
}

KX_API int kx_grid_cell_text(kx_grid* grid, int32_t row, int32_t column, char* buffer, size_t size,
                             size_t* needed) {
  return Guard([&] {
    const auto t = TableOf(grid);
    if (!t || !InRange(row, t->Rows()) || !InRange(column, t->ColumnCount())) return KX_E_INVALID_ARG;
    return CopyOut(t->Cell(row, column).ToText(), buffer, size, needed);
  });
}

KX_API int kx_grid_cell_display_text(kx_grid* grid, int32_t row, int32_t column, char* buffer, size_t size,
                                     size_t* needed) {
  return Guard([&] {
    const auto t = TableOf(grid);
    if (!t || !InRange(row, t->Rows()) || !InRange(column, t->ColumnCount())) return KX_E_INVALID_ARG;
    return CopyOut(t->DisplayText(row, column), buffer, size, needed);
  });
}

KX_API int kx_grid_set_filter(kx_grid* grid, const char* text) {
  return Guard([&] {
    const auto t = TableOf(grid);
    if (!t) return KX_E_INVALID_ARG;
    t->SetFilter(text ? text : "");
    return KX_OK;
  });
}

KX_API int kx_grid_set_sort(kx_grid* grid, int32_t column, int descending) {
  return Guard([&] {
    const auto t = TableOf(grid);
    if (!t || column < -1 || column >= t->ColumnCount()) return KX_E_INVALID_ARG;
    t->SetSort(column, descending != 0);
    return KX_OK;
  });
}

KX_API int kx_grid_current(kx_grid* grid, int32_t* row, int32_t* column) {
  return Guard([&] {
    const auto t = TableOf(grid);
    if (!t || (!row && !column)) return KX_E_INVALID_ARG;
    if (row) *row = static_cast<int32_t>(t->CurrentRow());
    if (column) *column = static_cast<int32_t>(t->Col());
    return KX_OK;
  });
}

KX_API int kx_grid_set_row(kx_grid* grid, int32_t row) {
  return Guard([&] {
    const auto t = TableOf(grid);
    if (!t || !InRange(row, t->Rows())) return KX_E_INVALID_ARG;
    t->MoveTo(row);
    return KX_OK;
  });
}

KX_API int kx_grid_set_col(kx_grid* grid, int32_t column) {
  return Guard([&] {
    const auto t = TableOf(grid);
    if (!t || column < -1 || column >= t->ColumnCount()) return KX_E_INVALID_ARG;
    t->SetCol(column);
    return KX_OK;
  });
}

KX_API int kx_grid_refresh(kx_grid* grid) {
  return Guard([&] {
    const auto t = TableOf(grid);
    if (!t) return KX_E_INVALID_ARG;
    t->Refresh();
    return KX_OK;
  });
}

KX_API int kx_grid_set_caption_fn(kx_grid* grid, kx_caption_fn fn, void* context) {
  return Guard([&] {
    kx::CaptionFunction captions;
    if (fn) {
      captions = [fn, context](std::string_view column) {
        const std::string name(column);
        const char* caption = fn(context, name.c_str());
        return caption ? std::string(caption) : name;
      };
    }
    return kx::SetHandleCaptions(grid, std::move(captions)) ? KX_OK : KX_E_INVALID_ARG;
  });
}

KX_API int kx_grid_use_message_captions(kx_grid* grid, const char* ini_file) {
  return Guard([&] {
    if (!TableOf(grid) || !ini_file) return KX_E_INVALID_ARG;
    // The file the new-job dialog loads: <app>\ResStr\<configuration base name>.<country>.
    const std::string ini = kx::NormalizeInputPath(ini_file);
    const std::string file = kx::GetAppPath() + "\\ResStr\\" + kx::Fso().GetBaseName(ini) + "." +
                             kx::ReadTorvelSettings(ini).CountryExtension;
    // A table of its own: the dialogs' shared one is theirs to load and release.
    auto table = std::make_shared<kx::clsResStrs>();
    if (!table->Load(file)) return Fail(KX_E_NOT_FOUND, "Could not find file '" + file + "'.");
    kx::SetHandleCaptions(grid, [table](std::string_view column) {
      const std::string name(column);
      // Item adds an absent key with empty text: harmless in this private table.
      std::string text = table->Item("NcData." + name + ".Caption");
      return text.empty() ? name : text;
    });
    // "NcData.<Column>(<value>).Caption": the values a host shows by name.
    kx::JobTableGrid::ValueCaptions values;
    for (const auto& entry : *table) {
      const std::string& key = entry.Key();
      const std::size_t open = key.find('('), close = key.rfind(").Caption");
      if (!kx::StartsWithNoCase(key, "NcData.") || open == std::string::npos || close == std::string::npos ||
          close < open || close + 9 != key.size() || entry.Text().empty())
        continue;
      values[key.substr(7, open - 7)][key.substr(open + 1, close - open - 1)] = entry.Text();
    }
    TableOf(grid)->SetValueCaptions(std::move(values));
    return KX_OK;
  });
}

KX_API int kx_replace_undo_preview(const char* ini_file, int64_t* id, int32_t* restorable, int32_t* untouched,
                                   char* column, size_t size, size_t* needed) {
  return Guard([&] {
    if (!ini_file || !id) return KX_E_INVALID_ARG;
    *id = 0;
    if (restorable) *restorable = 0;
    if (untouched) *untouched = 0;
    const kx::TorvelSettings torvel = kx::ReadTorvelSettings(kx::NormalizeInputPath(ini_file));
    auto db = kx::Engine().OpenDatabase(torvel.DbName);
    std::string name;
    if (const auto last = kx::LastUndoableReplace(*db)) {
      const kx::UndoResult r = kx::PreviewUndo(*db, last->id, 0);
      *id = last->id;
      if (restorable) *restorable = static_cast<int32_t>(r.restored);
      if (untouched) *untouched = static_cast<int32_t>(r.untouched);
      name = last->column;
    }
    db->Close();
    return column ? CopyOut(name, column, size, needed) : KX_OK;
  });
}

KX_API int kx_replace_undo(const char* ini_file, int64_t id, int32_t* restored, int32_t* untouched) {
  return Guard([&] {
    if (!ini_file || id <= 0) return KX_E_INVALID_ARG;
    const kx::TorvelSettings torvel = kx::ReadTorvelSettings(kx::NormalizeInputPath(ini_file));
    const kx::ReplaceLog log = kx::ReplaceLogOf(torvel);
    auto db = kx::Engine().OpenDatabase(torvel.DbName);
    const kx::UndoResult r = kx::UndoReplace(*db, id, log.user, log.keep, 0);
    db->Close();
    if (restored) *restored = static_cast<int32_t>(r.restored);
    if (untouched) *untouched = static_cast<int32_t>(r.untouched);
    return KX_OK;
  });
}

KX_API int kx_testing_set_dialog(int kind, kx_fake_dialog_fn fn, void* context) {
  return Guard([&] {
    const char* mode = std::getenv("KX_TEST_MODE");
    if (!mode || std::strcmp(mode, "1") != 0) return KX_E_ACCESS_DENIED;
    if (kind != KX_DIALOG_NEW_JOB && kind != KX_DIALOG_REPLACE) return KX_E_INVALID_ARG;
    EnsureDialogsRegistered();  // first, so that the fake replaces the real dialog
    const auto k = kind == KX_DIALOG_REPLACE ? kx::DialogKind::Replace : kx::DialogKind::NewJob;
    if (!fn) {
      // The real dialog again, so that a fake never outlives its test.
#ifdef KX_WITH_DIALOGS
      const kx::DialogFactory real =
          k == kx::DialogKind::Replace ? &kx::CreateReplaceDialog : &kx::CreateNewJobDialog;
      kx::SetDialogFactory(k, [real] { return kx::GuardedQtDialog(real); });
#else
      kx::SetDialogFactory(k, nullptr);
#endif
    } else {
      kx::SetDialogFactory(k, [fn, context] { return std::make_unique<CallbackDialog>(fn, context); });
    }
    return KX_OK;
  });
}

}  // extern "C"
