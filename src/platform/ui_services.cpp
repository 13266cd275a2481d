#include "platform/ui_services.h"

namespace kx {

namespace {

std::shared_ptr<IUiServices>& CurrentUi() {
  thread_local std::shared_ptr<IUiServices> ui = std::make_shared<ScriptedUi>();
  return ui;
}

}  // namespace

IUiServices& Ui() { return *CurrentUi(); }

void SetUi(std::shared_ptr<IUiServices> ui) {
  // Null puts the scripted default back, so Ui() always has something to talk to.
  CurrentUi() = ui ? std::move(ui) : std::make_shared<ScriptedUi>();
}

MsgAnswer ScriptedUi::MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                                 MsgIcon icon) {
  shown.push_back({text, title, buttons, icon});
  if (!nextAnswers.empty()) {
    const MsgAnswer a = nextAnswers.front();
    nextAnswers.pop_front();
    return a;
  }
  return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::OK;
}

std::string ScriptedUi::BrowseForFolder(const std::string& title, const std::string& startFolder) {
  pickerCalls.emplace_back(title, startFolder);
  if (nextFolders.empty()) return {};
  std::string folder = std::move(nextFolders.front());
  nextFolders.pop_front();
  return folder;
}

void IUiServices::ShowError(long number, const std::string& source, const std::string& description,
                            const std::string& procedure) {
  MessageBox(std::to_string(number) + "\r\n" + description, "Kestrafix / " + source + " / " + procedure,
             MsgButtons::OK, MsgIcon::Critical);
}

void ReportError(long number, const std::string& source, const std::string& description,
                 const std::string& procedure) {
  Ui().ShowError(number, source, description, procedure);
}

void ReportError(const KxError& e, const std::string& procedure) {
  ReportError(e.Number(), e.Source(), e.Description(), procedure);
}

}  // namespace kx
