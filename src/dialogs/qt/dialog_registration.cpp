#include "dialogs/qt/dialog_registration.h"

#include "addin/dialog_factory.h"
#include "dialogs/qt/dialog_factories.h"

// Each dialog is registered once its source is part of the build.
#if __has_include("dialogs/qt/frmMain.h")
#define KX_HAS_FRMMAIN 1
#endif
#if __has_include("dialogs/qt/frmReplace.h")
#define KX_HAS_FRMREPLACE 1
#endif

namespace kx {

void RegisterQtDialogs() {
#ifdef KX_HAS_FRMMAIN
  SetDialogFactory(DialogKind::NewJob, &CreateNewJobDialog);
#endif
#ifdef KX_HAS_FRMREPLACE
  SetDialogFactory(DialogKind::Replace, &CreateReplaceDialog);
#endif
}

}  // namespace kx
