#pragma once
// The add-in library loaded as a host loads it: dlopen of the built libkestrafix, every C
// entry point looked up by name. A library that does not load or lacks an entry point
// fails the test.
#include "addin/kestrafix_entry_points.h"

namespace kx::test {

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
