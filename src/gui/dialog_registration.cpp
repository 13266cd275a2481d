#include "gui/dialog_registration.h"

namespace kx {

void RegisterQtDialogs() {
  SetDialogFactory(DialogKind::NewJob, &CreateNewJobDialog);
  SetDialogFactory(DialogKind::Replace, &CreateReplaceDialog);
}

}  // namespace kx
