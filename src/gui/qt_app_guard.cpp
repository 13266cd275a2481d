#include "gui/qt_app_guard.h"

#include <QApplication>
#include <QThread>
#include <cstdlib>
#include <string_view>

#include "gui/qt_ui_services.h"
#include "platform/ui_services.h"

namespace kx {

namespace {

bool IsSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

// QApplication keeps references to argc and argv for its whole life.
int g_argc = 1;
char g_arg0[] = "kestrafix";
char* g_argv[] = {g_arg0, nullptr};

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
  }
  bool RetVal() const override { return retVal_; }

 private:
  DialogFactory inner_;
  bool retVal_ = false;
};

}  // namespace

bool QtDisplayAvailable() {
  if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return true;
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  // "offscreen" may carry options after a colon ("offscreen:fontengine=freetype").
  return platform && std::string_view(platform).starts_with("offscreen");
}

QtAppGuard::QtAppGuard() {
  if (!QCoreApplication::instance()) {
    if (!QtDisplayAvailable()) return;
    own_ = std::make_unique<QApplication>(g_argc, g_argv);
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
