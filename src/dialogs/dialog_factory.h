#pragma once
// How Run gets its dialogs: the add-in installs the Qt dialogs as one factory per kind; tests install fakes.
#include <functional>
#include <memory>

namespace kx {

class IModalDialog {
 public:
  virtual ~IModalDialog() = default;
  // Shows the dialog without an owner window and returns when it has closed.
  virtual void ShowModal() = 0;
  // True when the user confirmed the dialog and its work succeeded.
  virtual bool RetVal() const = 0;
  // Jobs the confirmed work stored or changed (a replace answered No changes none).
  virtual long RecordsAffected() const { return RetVal() ? 1 : 0; }
};

enum class DialogKind { NewJob, Replace };

using DialogFactory = std::function<std::unique_ptr<IModalDialog>()>;

// Installs the factory of a kind for the whole process; an empty function removes it.
// Called at start-up (library load, test set-up), not while a dialog runs.
void SetDialogFactory(DialogKind kind, DialogFactory factory);
// The factory installed for a kind (empty when none), e.g. to wrap it in another.
DialogFactory GetDialogFactory(DialogKind kind);
// A new dialog of that kind, or null when no factory is installed.
std::unique_ptr<IModalDialog> CreateModalDialog(DialogKind kind);

}  // namespace kx
