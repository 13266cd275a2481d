#include "jobdata/clsRsData.h"

#include <memory>

#include "config/mdlPublic.h"
#include "config/shared_state.h"
#include "core/numbers.h"
#include "core/text.h"
#include "fs/native_path.h"
#include "jobdata/mdlDatabase.h"
#include "jobdata/mdlString.h"
#include "platform/database.h"
#include "platform/db_name.h"
#include "platform/sql_dialect.h"

namespace kx {

namespace {

constexpr std::int32_t kRefElectrode = 5;

// --- Field access -------------------------------------------------------------------------

Variant FieldValue(const Recordset& rs, std::string_view column) { return rs.Fields(column).Value(); }

std::string TextOf(const Recordset& rs, std::string_view column) {
  return IfNull(FieldValue(rs, column), Variant("")).ToText();
}

std::int16_t Int16Of(const Recordset& rs, std::string_view column) {
  return CInt(IfNull(FieldValue(rs, column), Variant(0)).ToNumber());
}

std::int32_t Int32Of(const Recordset& rs, std::string_view column) {
  return CLng(IfNull(FieldValue(rs, column), Variant(0)).ToNumber());
}

double DoubleOf(const Recordset& rs, std::string_view column) {
  return IfNull(FieldValue(rs, column), Variant(0)).ToNumber();
}

// Machine-table directories may be stored as native absolute paths ("/srv/nc"); inside,
// every path is in the Windows form.
std::string MachinePathOf(const Recordset& rs, std::string_view column) {
  std::string value = TextOf(rs, column);
  if (!value.empty() && value.front() == '/') value = NormalizeInputPath(value);
  return value;
}

std::unique_ptr<Recordset> OpenForwardOnly(Database& db, const std::string& statement) {
  return db.OpenRecordset(statement, dbOpenForwardOnly, Shared().glOpenRecordsetOptions);
}

std::string JobStatement(const std::string& filename) {
  return "select * from NCDATA where filename=" + QuoteSqlText(filename);
}

std::string MachineStatement(const std::string& machine) {
  return "select * from Machine where machine=" + QuoteSqlText(machine);
}

bool DatabaseFileExists(const std::string& dbName) {
  if (dbName.empty()) return false;
  if (IsServerDbName(dbName)) return true;  // a server database: opening it tells
  return Fso().FileExists(dbName.front() == '/' ? NormalizeInputPath(dbName) : dbName);
}

// The cutting forms and "$(Filename)" with the job's name.
std::string ExpandName(std::string text, const std::string& name) {
  text = ReplaceLeftParams(text, name);
  text = ReplaceRightParams(text, name);
  text = ReplaceMidParams(text, name);
  return ReplaceNoCase(text, "$(Filename)", name);
}

// One row's columns into the text, in the table's column order.
void ReplaceColumns(const Recordset& rs, std::string& text, bool bDefault, bool bFolder) {
  const int count = rs.FieldCount();
  for (int i = 0; i < count; ++i) {
    const Field field = rs.Fields(i);
    const std::string& name = field.Name();
    if (EqualsNoCase(name, "VEMIX_SEQUENCE")) continue;
    const std::string placeholder = "$(" + name + ")";
    if (ContainsNoCase(text, placeholder)) {
      std::string value = Trim(IfNull(field.Value(), Variant("")).ToText());
      if (!value.empty() || !bDefault) {
        if (bFolder) value = EncodeFileNameChars(value);
        text = ReplaceNoCase(text, placeholder, value);
      } else {
        text = ReplaceNoCase(text, placeholder, name);
      }
    }
    if (text.find("$(") == std::string::npos) break;
  }
}

}  // namespace

// --- Trimmed properties -------------------------------------------------------------------

void clsRsData::DirJobBase(const std::string& vNewValue) { dirJobBase_ = TrimBackslashes(vNewValue); }
void clsRsData::DirNcBase(const std::string& vNewValue) { dirNcBase_ = TrimBackslashes(vNewValue); }
void clsRsData::DirJob(const std::string& vNewValue) { dirJob_ = TrimBackslashes(vNewValue); }
void clsRsData::DirNc(const std::string& vNewValue) { dirNc_ = TrimBackslashes(vNewValue); }
void clsRsData::DirOpt(const std::string& vNewValue) { dirOpt_ = TrimBackslashes(vNewValue); }

// --- Derived properties -------------------------------------------------------------------

bool clsRsData::IsDatFile() const { return !extDat_.empty() && Fso().FileExists(FullFileDat()); }

bool clsRsData::IsRefElectrode() const { return !EqualsNoCase(filename_, orgFilename_); }

std::string clsRsData::FullFileJob() const { return dirJob_ + "\\" + filename_ + "." + extJob_; }
std::string clsRsData::FullFileJobBak() const { return dirJob_ + "\\" + filename_ + "." + extJobBak_; }
std::string clsRsData::FullFilePic() const { return dirJob_ + "\\" + filename_ + ".jpg"; }
std::string clsRsData::FullFileDat() const { return dirNc_ + "\\" + filename_ + "." + extDat_; }

std::string clsRsData::FullFileNc() const {
  if (!extDat_.empty()) {
    std::string dat = FullFileDat();
    if (Fso().FileExists(dat)) return dat;
  }
  return dirNc_ + "\\" + filename_ + "." + extNc_;
}

std::string clsRsData::FullFileSet() const {
  std::string set = dirNc_ + "\\" + filename_ + "." + extSet_;
  if (!EqualsNoCase(extSet_, "pdf")) return set;
  if (extDat_.empty() || Fso().FileExists(set)) return set;
  std::string dat = FullFileDat();
  return Fso().FileExists(dat) ? dat : set;
}

// --- Loading ------------------------------------------------------------------------------

void clsRsData::ResetData() {
  for (std::string* text : {&machine_,   &machineset_,   &machinesetMax_, &owner_,  &ordernumber_, &material_,
                            &name_,      &dirJobBase_,   &dirNcBase_,     &dirOpt_, &extDat_,      &extJob_,
                            &extJobBak_, &extNc_,        &extSet_,        &dirJob_, &dirNc_,       &kelbCall_,
                            &dncCall_,   &templateFile_, &dfltNestGap_})
    text->clear();
  dataArchive_ = 0;
  released_ = 0;
  materialthickness_ = 0.0;
  dirType_ = 0;
}

void clsRsData::Initialize(std::string sDbName, std::string sFileName, std::string sMachine) {
  dbName_ = std::move(sDbName);
  orgFilename_ = sFileName;
  filename_ = std::move(sFileName);
  ResetData();
  if (orgFilename_.empty() || !DatabaseFileExists(dbName_)) return;

  LoadFromDatabase(sMachine);

  // From here on the results are stored as they come; only the job directories trim.
  dirJobBase_ = ReplacePathParams(dirJobBase_);
  dirNcBase_ = ReplacePathParams(dirNcBase_);
  if (dirType_ == 1) {
    for (std::string* dir : {&dirJobBase_, &dirNcBase_})
      if (!dir->empty() && !ContainsNoCase(*dir, "$(Filename)")) *dir += "\\$(Filename)";
  }
  dirJobBase_ = ExpandName(dirJobBase_, filename_);
  dirNcBase_ = ExpandName(dirNcBase_, filename_);
  dirJobBase_ = ReplaceDbParams(dirJobBase_, true, true);
  dirNcBase_ = ReplaceDbParams(dirNcBase_, true, true);
  dirNcExport_ = ExpandName(dirNcExport_, filename_);
  dirExport_ = ExpandName(dirExport_, filename_);

  if (machineset_.empty()) {
    DirJob(dirJobBase_);
    DirNc(dirNcBase_);
  } else {
    if (!dirJobBase_.empty()) DirJob(dirJobBase_ + "\\" + machineset_);
    if (!dirNcBase_.empty()) DirNc(dirNcBase_ + "\\" + machineset_);
  }
}

void clsRsData::LoadFromDatabase(const std::string& sMachine) {
  const std::unique_ptr<Database> db = Engine().OpenDatabase(dbName_);

  {
    const std::unique_ptr<Recordset> rs = OpenForwardOnly(*db, JobStatement(filename_));
    if (rs->RecordCount() > 0) {
      ncDataType_ = Int32Of(*rs, "DataType");
      if (ncDataType_ == kRefElectrode)
        filename_ = IfNull(FieldValue(*rs, "ElecRefFilename"), Variant(orgFilename_)).ToText();
    }
    rs->Close();
  }

  {
    // Again with the possibly replaced name: a reference electrode takes the rest of its
    // data from the job it refers to.
    const std::unique_ptr<Recordset> rs = OpenForwardOnly(*db, JobStatement(filename_));
    if (rs->RecordCount() > 0) {
      machine_ = TextOf(*rs, "Machine");
      machineset_ = TextOf(*rs, "Machineset");
      machinesetMax_ = TextOf(*rs, "MachinesetMax");
      owner_ = TextOf(*rs, "Programmer");
      if (owner_.empty()) owner_ = TextOf(*rs, "Author");
      dataArchive_ = Int16Of(*rs, "DataArchive");
      nestStatus_ = Int16Of(*rs, "NestStatus");
      released_ = Int16Of(*rs, "Released");
      ordernumber_ = TextOf(*rs, "Ordernumber");
      material_ = TextOf(*rs, "Material");
      materialthickness_ = DoubleOf(*rs, "Materialthickness");
      name_ = TextOf(*rs, "Name");
    }
    rs->Close();
  }

  if (!sMachine.empty()) machine_ = sMachine;

  {
    const std::unique_ptr<Recordset> rs = OpenForwardOnly(*db, MachineStatement(machine_));
    if (rs->RecordCount() > 0) {
      dirType_ = Int16Of(*rs, "DirectoryType");
      DirJobBase(MachinePathOf(*rs, "KelbDirectory"));
      DirNcBase(MachinePathOf(*rs, "NcDirectory"));
      DirOpt(MachinePathOf(*rs, "OptNcDirectory"));
      extDat_ = TextOf(*rs, "DatFileExtension");
      extJob_ = TextOf(*rs, "KelbFileExtension");
      extJobBak_ = TextOf(*rs, "KelbBakFileExtension");
      extNc_ = TextOf(*rs, "NcFileExtension");
      extSet_ = TextOf(*rs, "SetFileExtension");
      extOpt_ = TextOf(*rs, "OptNcFileExtension");
      kelbCall_ = TextOf(*rs, "KelbCall");
      // A value set by the caller, or kept from an earlier load, wins.
      if (dirNcExport_.empty()) dirNcExport_ = MachinePathOf(*rs, "NCExportDirectory");
      extsNcExport_ = TextOf(*rs, "NCExportFileExtensions");
      dncCall_ = TextOf(*rs, "DncCall");
      templateFile_ = ReplacePathParams(MachinePathOf(*rs, "TemplateFile"));
      dirExport_ = MachinePathOf(*rs, "ExportDirectory");
    }
    rs->Close();
  }

  db->Close();
}

Variant clsRsData::Requery() {
  Initialize(dbName_, orgFilename_);
  return Variant();
}

// --- Placeholders -------------------------------------------------------------------------

std::string clsRsData::ReplaceDbParams(std::string sPath, bool bDefault, bool bFolder) const {
  if (sPath.find("$(") == std::string::npos) return sPath;
  const std::unique_ptr<Database> db = Engine().OpenDatabase(dbName_);
  {
    // The job row first, so a column of both tables (Machine) takes the job's value.
    const std::unique_ptr<Recordset> rs =
        OpenForwardOnly(*db, GetSqlNcData("*", -1, "filename=" + QuoteSqlText(filename_), true, "", false));
    if (!rs->Eof()) ReplaceColumns(*rs, sPath, bDefault, bFolder);
    rs->Close();
  }
  if (sPath.find("$(") != std::string::npos) {
    const std::unique_ptr<Recordset> rs =
        OpenForwardOnly(*db, GetSqlMachine("*", "Machine=" + QuoteSqlText(machine_), true, "", false));
    if (!rs->Eof()) ReplaceColumns(*rs, sPath, bDefault, bFolder);
    rs->Close();
  }
  db->Close();
  return sPath;
}

std::string clsRsData::GetProgramCall(std::string sProgramCall, const std::string& sFullFile,
                                      bool bIsKelbCall) {
  std::string text = ReplaceNoCase(sProgramCall, "$(Country)", Shared().gsCountry);
  text = ReplacePathParams(text);

  struct Parts {
    std::string fileName, fullFileJob, fullFileNc, driveJob, driveNc, dirJob, dirNc, extJob, extNc;
  } p;
  clsFso& fso = Fso();
  if (!sFullFile.empty()) {
    const auto parts = fso.GetFileParts(sFullFile);
    p.fileName = parts.Item("Filename");
    p.fullFileJob = p.fullFileNc = parts.Item("FullFile");
    p.driveJob = p.driveNc = parts.Item("Drive");
    p.dirJob = p.dirNc = parts.Item("Folder");
    p.extJob = p.extNc = parts.Item("Extension");
  } else {
    p = {filename_,
         FullFileJob(),
         FullFileNc(),
         fso.GetDriveName(dirJobBase_),
         fso.GetDriveName(dirNcBase_),
         dirJob_,
         dirNc_,
         extJob_,
         extNc_};
  }

  if (bIsKelbCall) {
    // The CAM program takes a name with blanks only in quotes; a template that already
    // quoted the placeholder keeps exactly one pair.
    auto quote = [&text](const std::string& value, std::string_view placeholder) {
      if (value.find(' ') == std::string::npos || !ContainsNoCase(text, placeholder)) return;
      const std::string once = "\"" + std::string(placeholder) + "\"";
      text = ReplaceNoCase(text, placeholder, once);
      text = ReplaceNoCase(text, "\"" + once + "\"", once);
    };
    quote(p.fileName, "$(FileName)");
    quote(p.fullFileJob, "$(FullFileJob)");
  }

  text = ReplaceNoCase(text, "$(FileName)", p.fileName);
  text = ReplaceNoCase(text, "$(FullFileJob)", p.fullFileJob);
  text = ReplaceNoCase(text, "$(FullFileNc)", p.fullFileNc);
  text = ReplaceNoCase(text, "$(DriveJob)", p.driveJob);
  text = ReplaceNoCase(text, "$(DriveNc)", p.driveNc);
  text = ReplaceNoCase(text, "$(DirJob)", p.dirJob);
  text = ReplaceNoCase(text, "$(DirNc)", p.dirNc);
  text = ReplaceNoCase(text, "$(ExtJob)", p.extJob);
  text = ReplaceNoCase(text, "$(ExtNc)", p.extNc);
  text = ReplaceNoCase(text, "$(DirJobBase)", dirJobBase_);
  text = ReplaceNoCase(text, "$(DirNcBase)", dirNcBase_);
  text = ReplaceDbParams(text, false, false);
  return ReplacePathParams(text);
}

std::string clsRsData::GetFullFileOpt(const std::string& sFullFileNc) const {
  clsFso& fso = Fso();
  const std::string base = fso.GetBaseName(sFullFileNc);
  const std::string parent = fso.GetParentFolderName(sFullFileNc);
  const std::string file = base + "." + extOpt_;
  if (dirOpt_.empty()) return parent + "\\" + file;
  const std::string drive = fso.GetDriveName(dirOpt_);
  if (!drive.empty() && fso.DriveExists(drive)) return dirOpt_ + "\\" + file;
  return parent + "\\" + dirOpt_ + "\\" + file;
}

}  // namespace kx
