#pragma once
// What confirming a new job needs of the new-job dialog, by control name ("Text1(0)",
// "SSDBCombo1(3)", "Check2(3)", ...). The Qt dialog implements it; so does the command line,
// so both create jobs with the same code.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/variant.h"

namespace kx {

class IImportProgress;

class INewJobView {
 public:
  virtual ~INewJobView() = default;

  // Text boxes "Text1(0)" (program number), "Text1(1)" (file name): the text as it stands.
  virtual std::string Text(std::string_view control) const = 0;
  virtual void SetText(std::string_view control, const std::string& text) = 0;
  // Selects characters [start, start + length) of a text box.
  virtual void Select(std::string_view control, int start, int length) = 0;

  // Lists "SSDBCombo1(2)" (data type), "SSDBCombo1(3)" (machine), "SSDBCombo1(4)" (machine
  // set, hidden), "SSDBCombo2(1)" (address), "SSDBCombo2(2)" (order).
  virtual Variant ListValue(std::string_view control) const = 0;
  virtual std::string ListText(std::string_view control) const = 0;  // the shown text
  virtual bool ListIsItemInList(std::string_view control) const = 0;

  // Captions as loaded: "Command1(0)", "Command1(1)", "Label1(3)", "Label2(1)", "Label2(2)".
  virtual std::string Caption(std::string_view control) const = 0;
  // "Check2(3)": copy the selected job's files.
  virtual bool Checked(std::string_view control) const = 0;

  virtual void Focus(std::string_view control) = 0;
  virtual void ShowStatus(const std::string& text) = 0;
  // Told about the files a copy takes over; none by default.
  virtual IImportProgress* CopyProgress() { return nullptr; }
};

// The [TORVEL] values the dialog read when it loaded.
struct NewJobSettings {
  std::string DbName;
  std::string UserId;
  std::int32_t OpenRecordsetOptions = 0;
};

}  // namespace kx
