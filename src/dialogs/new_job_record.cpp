#include "dialogs/new_job_record.h"

#include <exception>
#include <memory>
#include <string_view>

#include "config/config_keys.h"
#include "config/shared_state.h"
#include "core/error.h"
#include "core/numbers.h"
#include "core/text.h"
#include "core/variant.h"
#include "dialogs/next_value.h"
#include "fs/native_path.h"
#include "jobdata/clsRsData.h"
#include "jobfiles/mdlTorvel.h"
#include "messages/clsResStrs.h"
#include "platform/database.h"
#include "platform/host_grid.h"
#include "platform/sql_dialect.h"
#include "platform/ui_services.h"

namespace kx {

namespace {

constexpr std::string_view kProgramNumber = "Text1(0)";
constexpr std::string_view kFileName = "Text1(1)";
constexpr std::string_view kDataType = "SSDBCombo1(2)";
constexpr std::string_view kMachine = "SSDBCombo1(3)";
constexpr std::string_view kMachineSet = "SSDBCombo1(4)";
constexpr std::string_view kAddress = "SSDBCombo2(1)";
constexpr std::string_view kOrder = "SSDBCombo2(2)";
constexpr std::string_view kCopyFiles = "Check2(3)";

constexpr std::size_t kKeyLimit = 255;
constexpr std::size_t kNameBytes = 255;  // one file or folder name on Linux file systems
constexpr std::size_t kMachineLimit = 100;
constexpr double kVersionLimit = 32767;  // largest 16-bit version; kept, never exceeded

constexpr const char* kProcedure = "DataAdd";
constexpr const char* kSource = "Kestrafix";
constexpr long kObjectNotSet = 91;   // "Object variable not set": no host grid
constexpr long kInternalError = 51;  // a failure that carries no number of its own

// A key field of the dialog: its text box and the button whose caption names it.
struct KeyField {
  std::string_view box;
  std::string_view caption;
  std::string_view column;
};
constexpr KeyField kProgramNumberField{kProgramNumber, "Command1(0)", "ProgramNumber"};
constexpr KeyField kFileNameField{kFileName, "Command1(1)", "Filename"};

// Wrong input: a beep, the focus on the field, the reason in the status bar.
void Reject(INewJobView& view, std::string_view focus, const std::string& status) {
  Ui().Beep();
  view.Focus(focus);
  view.ShowStatus(status);
}

void RejectExists(INewJobView& view, const KeyField& field, const std::string& value) {
  Ui().Beep();
  view.Select(field.box, 0, static_cast<int>(CharLength(value)));
  view.Focus(field.box);
  view.ShowStatus(ResStrs().Msg("MSG(VarValExists)", view.Caption(field.caption), value));
}

std::int32_t CountKey(Database& db, const KeyField& field, const std::string& value, std::int32_t options) {
  // The engine's collation compares without case; the value is quoted so O'Brien is a key too.
  return CountRecords(
      db, "select Count(*) from data where [" + std::string(field.column) + "]=" + QuoteSqlText(value),
      options);
}

// Program number and file name become file and folder names: whatever Windows or Linux would
// not take as one name (or would take as a device, or as a step up the tree) is refused.
bool IsFileSystemName(std::string_view name) {
  if (name.size() > kNameBytes || name == "." || name == "..") return false;
  if (name.back() == '.' || name.back() == ' ') return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || c == 0x7F ||
        std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
      return false;
    // C1 controls U+0080..U+009F: C2 80..C2 9F in UTF-8.
    if (c == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) <= 0x9F) return false;
  }
  // Device names, also with an extension: "CON", "nul.txt", "Com1.tar.gz".
  std::string base = ToUpper(std::string(name.substr(0, name.find('.'))));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL"})
    if (base == device) return false;
  return !(base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) && base[3] >= '1' &&
           base[3] <= '9');
}

// Presence, length, uniqueness and use as a name of one key; false after reporting the first
// failure.
bool CheckKey(INewJobView& view, Database& db, std::int32_t options, const KeyField& field) {
  const std::string value = view.Text(field.box);  // as it stands: blanks are a value
  if (value.empty()) {
    Reject(view, field.box, ResStrs().Msg("MSG(VarValMissing)", view.Caption(field.caption)));
    return false;
  }
  if (CharLength(value) > kKeyLimit) {
    Reject(view, field.box,
           ResStrs().Msg("MSG(VarValLengthError)", view.Caption(field.caption), static_cast<int>(kKeyLimit)));
    return false;
  }
  if (CountKey(db, field, value, options) >= 1) {
    RejectExists(view, field, value);
    return false;
  }
  if (!IsFileSystemName(value)) {
    Reject(view, field.box, ResStrs().Msg("MSG(VarValInvalidName)", view.Caption(field.caption), value));
    return false;
  }
  return true;
}

// A list whose text is not one of its rows: "<caption>?".
bool CheckListChoice(INewJobView& view, std::string_view list, std::string_view label) {
  if (!view.ListText(list).empty() && view.ListIsItemInList(list)) return true;
  Reject(view, list, view.Caption(label) + "?");
  return false;
}

void ApplyCaseToBox(INewJobView& view, std::string_view box, std::int16_t mode) {
  const std::string text = view.Text(box);
  std::string converted = ApplyKeyValueCase(text, mode);
  if (converted != text) view.SetText(box, converted);
}

bool IsKeyColumn(const std::string& upperName) {
  for (std::string_view key : {"FILENAME", "PROGRAMNUMBER", "DATATYPE", "MACHINE", "MACHINESET"}) {
    if (upperName == key) return true;
  }
  return false;
}

// Every column of the source row except the keys the dialog set; the version counts up.
void CopySourceColumns(IHostGrid& grid, Bookmark source) {
  for (long i = 0; i < grid.ColumnCount(); ++i) {
    IGridColumn& column = grid.ColumnAt(i);
    const std::string name = ToUpper(column.Name());
    if (IsKeyColumn(name)) continue;
    const Variant value = column.CellValue(source);
    if (name == "VERSION") {
      const double version = LeadingNumber(value.ToText());
      column.Value(version < kVersionLimit ? Variant(version + 1) : value);
    } else {
      column.Value(value);
    }
  }
}

// A failed write leaves its pending row or change in the grid; the table is what counts.
void DropPendingChanges(IHostGrid* grid) {
  if (grid) grid->CancelUpdate();
}

// Another user stored a key between the counts and our insert: say which one, as the
// counts would have.
bool ReportClash(INewJobView& view, Database& db, std::int32_t options) {
  for (const KeyField* field : {&kProgramNumberField, &kFileNameField}) {
    const std::string value = view.Text(field->box);
    if (CountKey(db, *field, value, options) >= 1) {
      RejectExists(view, *field, value);
      return true;
    }
  }
  return false;
}

// The job's two folders. One that cannot be made is reported in the status bar and left out;
// the job itself is stored. An empty or relative machine directory would mean the root or
// the working folder: it is named instead (machine and column), and nothing is made.
void CreateJobFolders(INewJobView& view, const std::string& dbName, const std::string& fileName) {
  clsRsData job;
  job.Initialize(dbName, fileName);
  const std::pair<std::string, const char*> folders[] = {{job.DirJob(), "KelbDirectory"},
                                                         {job.DirNc(), "NcDirectory"}};
  for (const auto& [folder, column] : folders) {
    if (!IsAbsoluteWindowsPath(folder)) {
      view.ShowStatus(ResStrs().Msg("MSG(JobFolderInvalid)", job.Machine(), column, folder));
      continue;
    }
    try {
      Fso().CreateFolder(folder, true);
    } catch (const KxError& e) {
      view.ShowStatus(ResStrs().Msg("MSG(CreateFolderFailed)", folder, e.Description()));
    }
  }
}

// The three writes of the new row, then the job files and the job's folders.
bool StoreNewJob(INewJobView& view, IHostGrid* grid, Database& db, const NewJobSettings& settings) {
  const std::string programNumber = view.Text(kProgramNumber);
  const std::string fileName = view.Text(kFileName);
  const bool copy = view.Checked(kCopyFiles);
  if (grid == nullptr)
    throw KxError(kObjectNotSet, kSource, "Object variable not set: there is no job grid.");
  IHostGrid& g = *grid;
  const Bookmark source = copy ? g.GetBookmark() : Bookmark{};

  g.AddNew();
  g.Columns("Filename").Value(fileName);
  g.Columns("ProgramNumber").Value(programNumber);
  g.Columns("DataType").Value(view.ListValue(kDataType));
  g.Columns("Machine").Value(view.ListValue(kMachine));
  g.Columns("Machineset").Value(view.ListText(kMachineSet));
  // Filled with the file name here and cleared by the second write.
  for (const char* column : {"Text10", "ElecRefFilename", "NestComment"}) g.Columns(column).Value(fileName);
  try {
    g.Update();
  } catch (const KxError& e) {
    if (e.Number() != dberr::DuplicateKey) throw;
    DropPendingChanges(grid);
    if (ReportClash(view, db, settings.OpenRecordsetOptions)) return false;
    throw;  // the clashing row is gone again: report the refusal itself
  }
  g.MoveLast();
  // The second and third writes go to the current row: it must be the one just stored.
  if (!EqualsNoCase(g.Columns("Filename").Value().ToText(), fileName))
    throw KxError(dberr::NoCurrentRecord, kSource,
                  "The new job '" + fileName + "' is not the grid's last row.");

  for (const char* column : {"Text10", "ElecRefFilename", "NestComment"})
    g.Columns(column).Value(std::string());
  g.Update();

  if (copy) {
    CopySourceColumns(g, source);
  } else {
    g.Columns("Version").Value(1);
  }
  g.Columns("Author").Value(settings.UserId);
  g.Columns("Createdate").Value(Variant::Now());
  g.Columns("DataArchive").Value(0);
  g.Columns("Released").Value(0);
  g.Columns("Adresstext").Value(view.ListValue(kAddress));
  g.Columns("OrderNumber").Value(view.ListValue(kOrder));
  g.Update();

  if (copy) {
    const std::string sourceName = g.Columns("filename").CellValue(source).ToText();
    ImportJobFiles(settings.DbName, sourceName, settings.DbName, fileName, true, false, false, 1, 3,
                   std::string(), 0, view.CopyProgress());
  }

  CreateJobFolders(view, settings.DbName, fileName);
  return true;
}

}  // namespace

std::int32_t CountRecords(Database& db, const std::string& sSql, std::int32_t options) {
  auto rs = db.OpenRecordset(sSql, dbOpenForwardOnly, options);
  const double count = rs->Fields(0).Value().ToNumber();
  rs->Close();
  return static_cast<std::int32_t>(count);
}

bool ValidateInput(INewJobView& view, Database& db, std::int32_t options) {
  if (!CheckKey(view, db, options, kProgramNumberField)) return false;
  if (!CheckKey(view, db, options, kFileNameField)) return false;

  const std::string machine = view.ListValue(kMachine).ToText();
  if (machine.empty()) {
    Reject(view, kMachine, ResStrs().Msg("MSG(VarValMissing)", view.Caption("Label1(3)")));
    return false;
  }
  if (CharLength(machine) > kMachineLimit) {
    Reject(
        view, kMachine,
        ResStrs().Msg("MSG(VarValLengthError)", view.Caption("Label1(3)"), static_cast<int>(kMachineLimit)));
    return false;
  }
  return true;
}

bool AddJobRecord(INewJobView& view, IHostGrid* grid, Database& db, const NewJobSettings& settings) {
  try {
    const std::int16_t mode = ReadTorvelSettings().KeyValueUpperAndLowerCase;
    ApplyCaseToBox(view, kProgramNumber, mode);
    ApplyCaseToBox(view, kFileName, mode);

    if (!CheckListChoice(view, kAddress, "Label2(1)")) return false;
    if (!CheckListChoice(view, kOrder, "Label2(2)")) return false;
    if (!ValidateInput(view, db, settings.OpenRecordsetOptions)) return false;

    return StoreNewJob(view, grid, db, settings);
  } catch (const KxError& e) {
    // One report, then the dialog stays open with the user's input; a row already stored stays.
    DropPendingChanges(grid);
    ReportError(e, kProcedure);
  } catch (const std::exception& e) {
    DropPendingChanges(grid);
    ReportError(kInternalError, kSource, e.what(), kProcedure);
  }
  return false;
}

}  // namespace kx
