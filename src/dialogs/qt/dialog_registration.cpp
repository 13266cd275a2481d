#include "dialogs/qt/dialog_registration.h"

#include "addin/dialog_factory.h"
#include "dialogs/qt/dialog_factories.h"

namespace kx {

void RegisterQtDialogs() {
  SetDialogFactory(DialogKind::NewJob, &CreateNewJobDialog);
  SetDialogFactory(DialogKind::Replace, &CreateReplaceDialog);
}

}  // namespace kx
