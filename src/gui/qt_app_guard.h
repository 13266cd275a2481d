#pragma once
// Qt dialogs inside a host that may not be a Qt program.
//
// A host built with Qt already runs a QApplication; the dialogs use it. Any other host has
// none, so one is made for as long as a dialog runs and removed afterwards, on the platform
// that UsableQtPlatform found. Without a display that answers, Qt would abort the whole host
// process while making that application, so then no dialog is shown at all and the caller
// sees a dialog that was not confirmed.
#include <memory>
#include <string>
#include <vector>

#include "dialogs/dialog_factory.h"

class QApplication;

namespace kx {

class QtAppGuard {
 public:
  // Uses the running QApplication, or makes one when there is none and a display is there.
  QtAppGuard();
  // Removes the application it made (every widget must be gone by then).
  ~QtAppGuard();
  QtAppGuard(const QtAppGuard&) = delete;
  QtAppGuard& operator=(const QtAppGuard&) = delete;

  // Widgets can be made and shown on this thread: a QApplication (not just a core or GUI
  // application) runs, and this is its thread.
  bool Ready() const { return ready_; }
  // This guard made the application.
  bool Created() const { return own_ != nullptr; }

 private:
  // QApplication keeps references to argc and argv for its whole life.
  std::string platform_;
  int argc_ = 0;
  std::vector<char*> argv_;
  std::unique_ptr<QApplication> own_;
  bool ready_ = false;
};

// A Qt dialog as Run gets it through the library's entry points: the dialog is made, shown
// and destroyed while a QtAppGuard holds, with Qt message boxes on this thread for that time.
// Without a display the dialog is never made and RetVal stays false.
std::unique_ptr<IModalDialog> GuardedQtDialog(DialogFactory inner);

// Wraps every installed dialog factory in GuardedQtDialog. Called once after the Qt dialogs
// are registered, before any test fake replaces one.
void GuardQtDialogs();

}  // namespace kx
