#pragma once
// The add-in library loaded as a host loads it: dlopen of the built libkestrafix, every C
// entry point looked up by name. A library that does not load or lacks an entry point
// fails the test.
#include <functional>
#include <string>

#include "addin/kestrafix_entry_points.h"

namespace kx::test {

// A dialog for kx_testing_set_dialog(kind, FakeDialog::Play, &fake): records what the add-in
// hands over, does the work given and answers retVal.
struct FakeDialog {
  int retVal = 1;
  int calls = 0;
  kx_run_view seen{};
  std::string ini, filename, parameter;
  std::function<void()> work;

  static int Play(void* context, const kx_run_view* view) {
    auto* f = static_cast<FakeDialog*>(context);
    ++f->calls;
    f->seen = *view;
    f->ini = view->ini_file;
    f->filename = view->filename;
    f->parameter = view->parameter;
    if (f->work) f->work();
    return f->retVal;
  }
};

// Where the build put the add-in library.
const char* AddinLibraryFile();

class AddinLibrary : public AddinEntryPoints {
 public:
  AddinLibrary();
  ~AddinLibrary();
  AddinLibrary(const AddinLibrary&) = delete;
  AddinLibrary& operator=(const AddinLibrary&) = delete;

  void* Handle() const { return handle_; }
  bool Loaded() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;
};

}  // namespace kx::test
