#include "dialogs/dialog_factory.h"

namespace kx {

namespace {

DialogFactory& Slot(DialogKind kind) {
  static DialogFactory newJob;
  static DialogFactory replace;
  return kind == DialogKind::Replace ? replace : newJob;
}

}  // namespace

void SetDialogFactory(DialogKind kind, DialogFactory factory) { Slot(kind) = std::move(factory); }

DialogFactory GetDialogFactory(DialogKind kind) { return Slot(kind); }

std::unique_ptr<IModalDialog> CreateModalDialog(DialogKind kind) {
  const DialogFactory& f = Slot(kind);
  return f ? f() : nullptr;
}

}  // namespace kx
