#pragma once
// What the system shows outside its dialogs: message boxes, the beep, the folder picker.
// One instance per thread; tests install a ScriptedUi ("next answer" seams) so nothing blocks.
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/error.h"

namespace kx {

enum class MsgButtons { OK, YesNo };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgAnswer { OK, Yes, No, Cancel };

class IUiServices {
 public:
  virtual ~IUiServices() = default;
  virtual MsgAnswer MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                               MsgIcon icon) = 0;
  virtual void Beep() = 0;
  // The folder the user picked (Windows form), or "" when cancelled.
  virtual std::string BrowseForFolder(const std::string& title, const std::string& startFolder) = 0;
  // The report of a procedure with its own handler (see ReportError). A window shows the
  // critical message box; a console prints it in its own form.
  virtual void ShowError(long number, const std::string& source, const std::string& description,
                         const std::string& procedure);
};

// This thread's UI services; a ScriptedUi with no answers queued until one is installed.
IUiServices& Ui();
void SetUi(std::shared_ptr<IUiServices> ui);

// Test double: answers from queues (default OK/Yes for boxes, "" for the picker) and records
// everything shown.
class ScriptedUi : public IUiServices {
 public:
  struct Shown {
    std::string text, title;
    MsgButtons buttons;
    MsgIcon icon;
  };
  std::deque<MsgAnswer> nextAnswers;
  std::deque<std::string> nextFolders;
  std::vector<Shown> shown;
  std::vector<std::pair<std::string, std::string>> pickerCalls;  // title, start folder
  int beeps = 0;

  MsgAnswer MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                       MsgIcon icon) override;
  void Beep() override { ++beeps; }
  std::string BrowseForFolder(const std::string& title, const std::string& startFolder) override;
};

// The error report of the system's procedures with their own handler: critical icon,
// title "Kestrafix / <source> / <procedure>", text "<number>\r\n<description>".
void ReportError(long number, const std::string& source, const std::string& description,
                 const std::string& procedure);
void ReportError(const KxError& e, const std::string& procedure);

}  // namespace kx
