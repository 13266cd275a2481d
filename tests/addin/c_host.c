/* A host written in C: nothing but the public headers and dlopen. Exit code 0 on success. */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "addin/kestrafix_testing.h"

static int confirm(void* context, const kx_run_view* view) {
  (void)context;
  return strcmp(view->ini_file, "C:\\Host\\torvel.cfg") == 0 && strcmp(view->parameter, "/Replace") == 0;
}

static int released = 0;
static void release(void* handle) {
  (void)handle;
  ++released;
}

/* dlsym gives an object pointer; copying its bytes is the POSIX way to a function pointer. */
#define LOAD(name)                        \
  kx_##name##_fn name;                    \
  do {                                    \
    void* p_ = dlsym(lib, "kx_" #name);   \
    memcpy((void*)&name, &p_, sizeof p_); \
  } while (0)

/* With "--real-dialog": the library's own replace dialog, which must not take the host down
 * when it cannot be shown (Run gives 0). */
int main(int argc, char** argv) {
  int data = 0;
  int32_t result = -1;
  kx_object* object = NULL;
  void* lib;
  int real;
  if (argc < 2) return 2;
  real = argc > 2 && strcmp(argv[2], "--real-dialog") == 0;
  lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    fprintf(stderr, "%s\n", dlerror());
    return 1;
  }
  {
    LOAD(testing_set_dialog);
    LOAD(create_object);
    LOAD(object_put_string);
    LOAD(object_put_object);
    LOAD(object_run);
    LOAD(object_release);
    LOAD(can_unload_now);
    if (!testing_set_dialog || !create_object || !object_put_string || !object_put_object || !object_run ||
        !object_release || !can_unload_now)
      return 1;
    if (real) {
      if (create_object(KX_PROGID, &object) != KX_OK) return 1;
      if (object_put_string(object, "Parameter", "/Replace") != KX_OK) return 1;
      if (object_run(object, &result) != KX_OK || result != 0) return 1;
      object_release(object);
      puts("ok");
      return 0;
    }
    if (testing_set_dialog(KX_DIALOG_REPLACE, confirm, NULL) != KX_OK) return 1;
    if (create_object(KX_PROGID, &object) != KX_OK) return 1;
    if (object_put_string(object, "IniFile", "C:\\Host\\torvel.cfg") != KX_OK) return 1;
    if (object_put_string(object, "filename", "A1.nc") != KX_OK) return 1;
    if (object_put_object(object, "SSDBGrid", &data, release) != KX_OK) return 1;
    if (object_put_object(object, "Data", &data, release) != KX_OK) return 1;
    if (object_put_string(object, "Parameter", "/Replace") != KX_OK) return 1;
    if (object_run(object, &result) != KX_OK || result != 2) {
      fprintf(stderr, "run gave %d\n", (int)result);
      return 1;
    }
    if (can_unload_now() != 0) return 1;
    if (object_release(object) != KX_OK || released != 2 || can_unload_now() != 1) return 1;
  }
  dlclose(lib);
  puts("ok");
  return 0;
}
