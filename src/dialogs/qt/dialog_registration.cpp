#include "dialogs/qt/dialog_registration.h"

#include "dialogs/dialog_factory.h"
#include "dialogs/qt/dialog_factories.h"

namespace kx {

void RegisterQtDialogs() {
  SetDialogFactory(DialogKind::NewJob, &CreateNewJobDialog);
  SetDialogFactory(DialogKind::Replace, &CreateReplaceDialog);
}

}  // namespace kx
