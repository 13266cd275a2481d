#include "gui/qt_app_guard.h"

#include <QApplication>
#include <QThread>
#include <optional>

#include "gui/display_probe.h"
#include "gui/qt_ui_services.h"
#include "platform/ui_services.h"

namespace kx {

namespace {

char g_arg0[] = "kestrafix";
char g_platformOption[] = "-platform";

// Qt message boxes while a dialog runs, then the thread's default services again.
class QtUiScope {
 public:
  QtUiScope() { SetUi(std::make_shared<QtUiServices>()); }
  ~QtUiScope() { SetUi(nullptr); }
  QtUiScope(const QtUiScope&) = delete;
  QtUiScope& operator=(const QtUiScope&) = delete;
};

class GuardedDialog : public IModalDialog {
 public:
  explicit GuardedDialog(DialogFactory inner) : inner_(std::move(inner)) {}

  void ShowModal() override {
    QtAppGuard app;
    if (!app.Ready() || !inner_) return;
    QtUiScope ui;
    // The dialog must be gone before an application made here goes.
    std::unique_ptr<IModalDialog> dialog = inner_();
    if (!dialog) return;
    dialog->ShowModal();
    retVal_ = dialog->RetVal();
    records_ = dialog->RecordsAffected();
  }
  bool RetVal() const override { return retVal_; }
  long RecordsAffected() const override { return records_; }

 private:
  DialogFactory inner_;
  bool retVal_ = false;
  long records_ = 0;
};

}  // namespace

QtAppGuard::QtAppGuard() {
  if (!QCoreApplication::instance()) {
    std::optional<std::string> platform = UsableQtPlatform();
    if (!platform) return;
    platform_ = std::move(*platform);
    argv_ = {g_arg0, g_platformOption, platform_.data(), nullptr};
    argc_ = 3;
    own_ = std::make_unique<QApplication>(argc_, argv_.data());
  }
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  ready_ = app && app->thread() == QThread::currentThread();
}

QtAppGuard::~QtAppGuard() = default;

std::unique_ptr<IModalDialog> GuardedQtDialog(DialogFactory inner) {
  return std::make_unique<GuardedDialog>(std::move(inner));
}

void GuardQtDialogs() {
  for (const DialogKind kind : {DialogKind::NewJob, DialogKind::Replace}) {
    DialogFactory inner = GetDialogFactory(kind);
    if (!inner) continue;
    SetDialogFactory(kind, [inner] { return GuardedQtDialog(inner); });
  }
}

}  // namespace kx
