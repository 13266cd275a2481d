#include "console_new_job_view.h"

#include "config/shared_state.h"
#include "core/text.h"
#include "jobdata/mdlString.h"
#include "messages/clsResStrs.h"
#include "platform/database.h"
#include "platform/host_grid.h"

namespace kx::cli {

namespace {

constexpr std::string_view kDataType = "SSDBCombo1(2)";
constexpr std::string_view kMachine = "SSDBCombo1(3)";
constexpr std::string_view kMachineSet = "SSDBCombo1(4)";
constexpr std::string_view kAddress = "SSDBCombo2(1)";
constexpr std::string_view kOrder = "SSDBCombo2(2)";

std::vector<std::string> MachineRows(const std::string& dbName) {
  // The statement the dialog binds its machine list to.
  auto db = Engine().OpenDatabase(dbName);
  auto rs = db->OpenRecordset("select Distinct [Machine] from machine order by [Machine] ASC");
  std::vector<std::string> out;
  for (; !rs->Eof(); rs->MoveNext()) out.push_back(rs->Fields(0).Value().ToText());
  rs->Close();
  db->Close();
  return out;
}

}  // namespace

std::vector<std::string> ConsoleNewJobView::SubFolders(const std::string& folder) {
  std::vector<std::string> out;
  clsFso& fso = Fso();
  if (!fso.FolderExists(folder)) return out;
  const auto folders = fso.GetAllFolders(folder, 1);
  bool first = true;
  for (const std::string& f : folders) {
    if (first) {  // the folder itself
      first = false;
      continue;
    }
    out.push_back(fso.GetFileName(f));
  }
  return out;
}

ConsoleNewJobView::List ConsoleNewJobView::Choose(const std::vector<std::string>& rows,
                                                  const std::string& typed) {
  for (const std::string& row : rows) {
    if (EqualsNoCase(row, typed)) return List{Variant(row), row, true};
  }
  return List{Variant(typed), typed, false};
}

ConsoleNewJobView::ConsoleNewJobView(const NewJobInput& input, IHostGrid& grid, const std::string& dbName,
                                     bool showElectrode)
    : machines_(MachineRows(dbName)), copyFiles_(input.copyFiles) {
  texts_["Text1(0)"] = input.programNumber;
  texts_["Text1(1)"] = input.filename;

  const bool offered = (input.dataType >= 0 && input.dataType <= 4) || (input.dataType == 5 && showElectrode);
  std::string typeCaption = ResStrs().Msg("NcData.DataType(" + std::to_string(input.dataType) + ").Caption");
  lists_[std::string(kDataType)] = List{
      Variant(input.dataType), typeCaption.empty() ? std::to_string(input.dataType) : typeCaption, offered};
  lists_[std::string(kMachine)] = Choose(machines_, input.machine);
  lists_[std::string(kMachineSet)] = List{Variant(input.machineSet), input.machineSet, true};

  const std::string base = ReplacePathParams(input.baseFolder);
  lists_[std::string(kAddress)] = Choose(SubFolders(base), input.address);
  const List& address = lists_[std::string(kAddress)];
  lists_[std::string(kOrder)] = address.inList ? Choose(SubFolders(base + "\\" + address.text), input.order)
                                               : List{Variant(input.order), input.order, false};

  // Captions from the host grid's columns, as the dialog takes them.
  const std::pair<const char*, const char*> captions[] = {
      {"Command1(0)", "Programnumber"}, {"Command1(1)", "Filename"}, {"Label1(2)", "DataType"},
      {"Label1(3)", "Machine"},         {"Label1(4)", "MachineSet"}, {"Label2(1)", "Adresstext"},
      {"Label2(2)", "OrderNumber"}};
  for (const auto& [control, column] : captions) captions_[control] = grid.Columns(column).Caption();
}

std::string ConsoleNewJobView::Text(std::string_view control) const {
  const auto it = texts_.find(control);
  return it == texts_.end() ? std::string() : it->second;
}

void ConsoleNewJobView::SetText(std::string_view control, const std::string& text) {
  texts_[std::string(control)] = text;
}

Variant ConsoleNewJobView::ListValue(std::string_view control) const {
  const auto it = lists_.find(control);
  return it == lists_.end() ? Variant() : it->second.value;
}

std::string ConsoleNewJobView::ListText(std::string_view control) const {
  const auto it = lists_.find(control);
  return it == lists_.end() ? std::string() : it->second.text;
}

bool ConsoleNewJobView::ListIsItemInList(std::string_view control) const {
  const auto it = lists_.find(control);
  return it != lists_.end() && it->second.inList;
}

std::string ConsoleNewJobView::Caption(std::string_view control) const {
  const auto it = captions_.find(control);
  return it == captions_.end() ? std::string() : it->second;
}

bool ConsoleNewJobView::Checked(std::string_view control) const {
  return control == "Check2(3)" && copyFiles_;
}

}  // namespace kx::cli
