/*
 * Kestrafix add-in: the test seam of the C interface (kestrafix.h). Hosts do not need it;
 * tests use it to play a dialog instead of showing it.
 */
#ifndef KESTRAFIX_TESTING_H
#define KESTRAFIX_TESTING_H

#include "kestrafix.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Only when the environment has KX_TEST_MODE=1, else KX_E_ACCESS_DENIED.
 * Replaces the dialog of a kind (KX_DIALOG_NEW_JOB, KX_DIALOG_REPLACE) by a callback that
 * plays it: it gets what the host handed over and returns the dialog's RetVal (0 or 1);
 * a negative return makes the dialog fail. fn NULL puts the real dialog back. */
#define KX_DIALOG_NEW_JOB 0
#define KX_DIALOG_REPLACE 1

typedef struct kx_run_view {
  const char* ini_file;
  const char* filename;
  const char* parameter;
  int has_grid;            /* the dialogs have a grid to work on */
  const void* data_handle; /* the Data handle the host set, or NULL */
} kx_run_view;

typedef int (*kx_fake_dialog_fn)(void* context, const kx_run_view* view);

KX_API int kx_testing_set_dialog(int kind, kx_fake_dialog_fn fn, void* context);

typedef int (*kx_testing_set_dialog_fn)(int, kx_fake_dialog_fn, void*);

#ifdef __cplusplus
}
#endif

#endif /* KESTRAFIX_TESTING_H */
