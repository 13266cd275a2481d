#include "addin_loader.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace kx::test {

const char* AddinLibraryFile() { return KX_ADDIN_LIBRARY; }

AddinLibrary::AddinLibrary() {
  handle_ = dlopen(KX_ADDIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    ADD_FAILURE() << dlerror();
    return;
  }
  if (const char* missing = Resolve(handle_)) ADD_FAILURE() << "missing entry point " << missing;
}

AddinLibrary::~AddinLibrary() {
  if (handle_) dlclose(handle_);
}

}  // namespace kx::test
