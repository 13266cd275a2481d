#pragma once
// The new-job dialog's controls as the command line fills them: texts and list choices come
// from the arguments, the lists' rows from the same sources the dialog fills them from, and
// what record creation does to the dialog (focus, status texts) is kept for the report.
#include <map>
#include <string>
#include <vector>

#include "dialogs/new_job_view.h"

namespace kx {
class IHostGrid;
}

namespace kx::cli {

struct NewJobInput {
  std::string programNumber;
  std::string filename;
  int dataType = 0;
  std::string machine;
  std::string machineSet;
  std::string address;
  std::string order;
  bool copyFiles = false;
  std::string baseFolder;  // Text2(0).Text: may hold path placeholders
};

class ConsoleNewJobView : public INewJobView {
 public:
  // grid: captions of the key and list controls; dbName: the machine list; showElectrode
  // offers data type 5.
  ConsoleNewJobView(const NewJobInput& input, IHostGrid& grid, const std::string& dbName, bool showElectrode);

  std::string Text(std::string_view control) const override;
  void SetText(std::string_view control, const std::string& text) override;
  void Select(std::string_view, int, int) override {}
  Variant ListValue(std::string_view control) const override;
  std::string ListText(std::string_view control) const override;
  bool ListIsItemInList(std::string_view control) const override;
  std::string Caption(std::string_view control) const override;
  bool Checked(std::string_view control) const override;
  void Focus(std::string_view control) override { focus_ = std::string(control); }
  void ShowStatus(const std::string& text) override { statuses_.push_back(text); }
  IImportProgress* CopyProgress() override { return progress_; }

  void SetCopyProgress(IImportProgress* progress) { progress_ = progress; }
  const std::vector<std::string>& Statuses() const { return statuses_; }
  // The machine list's rows: the machines of the machine table.
  const std::vector<std::string>& Machines() const { return machines_; }
  const std::string& LastFocus() const { return focus_; }

 private:
  struct List {
    Variant value;
    std::string text;
    bool inList = false;
  };
  // Sub-folder names of a folder (the address and order lists' rows).
  static std::vector<std::string> SubFolders(const std::string& folder);
  // The row equal to the typed text (case ignored) or the typed text when none is.
  static List Choose(const std::vector<std::string>& rows, const std::string& typed);

  std::map<std::string, std::string, std::less<>> texts_;
  std::map<std::string, List, std::less<>> lists_;
  std::map<std::string, std::string, std::less<>> captions_;
  std::vector<std::string> machines_;
  bool copyFiles_ = false;
  IImportProgress* progress_ = nullptr;
  std::string focus_;
  std::vector<std::string> statuses_;
};

}  // namespace kx::cli
