#pragma once
// One NC job in memory: its row of the job table and the settings of its machine, with
// the job's directories and the full names of the files that make up the job.
// The object keeps no database connection between calls.
#include <cstdint>
#include <string>

#include "core/variant.h"

namespace kx {

class clsRsData {
 public:
  clsRsData() = default;

  // Stored properties (get and set). Trimmed ones drop leading backslashes (a network
  // path keeps its two) and all trailing ones on every set.
  const std::string& DbName() const { return dbName_; }
  void DbName(std::string vNewValue) { dbName_ = std::move(vNewValue); }
  std::int32_t NcDataType() const { return ncDataType_; }
  void NcDataType(std::int32_t vNewValue) { ncDataType_ = vNewValue; }
  const std::string& OrgFilename() const { return orgFilename_; }
  void OrgFilename(std::string vNewValue) { orgFilename_ = std::move(vNewValue); }
  const std::string& filename() const { return filename_; }
  void filename(std::string vNewValue) { filename_ = std::move(vNewValue); }
  const std::string& Machine() const { return machine_; }
  void Machine(std::string vNewValue) { machine_ = std::move(vNewValue); }
  const std::string& Machineset() const { return machineset_; }
  void Machineset(std::string vNewValue) { machineset_ = std::move(vNewValue); }
  const std::string& MachinesetMax() const { return machinesetMax_; }
  void MachinesetMax(std::string vNewValue) { machinesetMax_ = std::move(vNewValue); }
  const std::string& Owner() const { return owner_; }
  void Owner(std::string vNewValue) { owner_ = std::move(vNewValue); }
  std::int16_t DataArchive() const { return dataArchive_; }
  void DataArchive(std::int16_t vNewValue) { dataArchive_ = vNewValue; }
  std::int16_t NestStatus() const { return nestStatus_; }
  void NestStatus(std::int16_t vNewValue) { nestStatus_ = vNewValue; }
  std::int16_t Released() const { return released_; }
  void Released(std::int16_t vNewValue) { released_ = vNewValue; }
  const std::string& Ordernumber() const { return ordernumber_; }
  void Ordernumber(std::string vNewValue) { ordernumber_ = std::move(vNewValue); }
  const std::string& Material() const { return material_; }
  void Material(std::string vNewValue) { material_ = std::move(vNewValue); }
  double Materialthickness() const { return materialthickness_; }
  void Materialthickness(double vNewValue) { materialthickness_ = vNewValue; }
  const std::string& Name() const { return name_; }
  void Name(std::string vNewValue) { name_ = std::move(vNewValue); }
  std::int16_t DirType() const { return dirType_; }
  void DirType(std::int16_t vNewValue) { dirType_ = vNewValue; }
  const std::string& DirJobBase() const { return dirJobBase_; }
  void DirJobBase(const std::string& vNewValue);
  const std::string& DirNcBase() const { return dirNcBase_; }
  void DirNcBase(const std::string& vNewValue);
  const std::string& DirJob() const { return dirJob_; }
  void DirJob(const std::string& vNewValue);
  const std::string& DirNc() const { return dirNc_; }
  void DirNc(const std::string& vNewValue);
  const std::string& DirOpt() const { return dirOpt_; }
  void DirOpt(const std::string& vNewValue);
  const std::string& ExtDat() const { return extDat_; }
  void ExtDat(std::string vNewValue) { extDat_ = std::move(vNewValue); }
  const std::string& ExtJob() const { return extJob_; }
  void ExtJob(std::string vNewValue) { extJob_ = std::move(vNewValue); }
  const std::string& ExtJobBak() const { return extJobBak_; }
  void ExtJobBak(std::string vNewValue) { extJobBak_ = std::move(vNewValue); }
  const std::string& ExtNc() const { return extNc_; }
  void ExtNc(std::string vNewValue) { extNc_ = std::move(vNewValue); }
  const std::string& ExtSet() const { return extSet_; }
  void ExtSet(std::string vNewValue) { extSet_ = std::move(vNewValue); }
  const std::string& ExtOpt() const { return extOpt_; }
  void ExtOpt(std::string vNewValue) { extOpt_ = std::move(vNewValue); }

  // Derived, evaluated on every read; the file tests go through the shared clsFso.
  bool IsDatFile() const;
  bool IsRefElectrode() const;
  std::string FullFileJob() const;
  std::string FullFileJobBak() const;
  std::string FullFilePic() const;
  std::string FullFileNc() const;
  std::string FullFileDat() const;
  std::string FullFileSet() const;

  const std::string& KelbCall() const { return kelbCall_; }
  void KelbCall(std::string vNewValue) { kelbCall_ = std::move(vNewValue); }
  const std::string& DncCall() const { return dncCall_; }
  void DncCall(std::string vNewValue) { dncCall_ = std::move(vNewValue); }
  const std::string& TemplateFile() const { return templateFile_; }
  void TemplateFile(std::string vNewValue) { templateFile_ = std::move(vNewValue); }
  const std::string& DfltNestGap() const { return dfltNestGap_; }
  void DfltNestGap(std::string vNewValue) { dfltNestGap_ = std::move(vNewValue); }
  const std::string& DirNcExport() const { return dirNcExport_; }
  void DirNcExport(std::string vNewValue) { dirNcExport_ = std::move(vNewValue); }
  const std::string& ExtsNcExport() const { return extsNcExport_; }
  void ExtsNcExport(std::string vNewValue) { extsNcExport_ = std::move(vNewValue); }
  const std::string& DirExport() const { return dirExport_; }
  void DirExport(std::string vNewValue) { dirExport_ = std::move(vNewValue); }

  // Loads the job sFileName of the database sDbName; a given sMachine overrides the job's
  // machine. A missing database file or an empty name leaves the cleared object. Engine
  // errors pass to the caller with what was loaded up to then.
  void Initialize(std::string sDbName, std::string sFileName, std::string sMachine = "");
  // Initialize(DbName, OrgFilename) again, without a machine.
  Variant Requery();

  // Expands a command-line template (KelbCall, DncCall). With sFullFile the file
  // placeholders name that file; bIsKelbCall quotes a file name that holds a blank.
  std::string GetProgramCall(std::string sProgramCall, const std::string& sFullFile,
                             bool bIsKelbCall = false);
  // The optimised NC file of an NC file: DirOpt absolute (its drive exists) or relative
  // to the NC file's folder, or the NC file's folder itself when DirOpt is empty.
  std::string GetFullFileOpt(const std::string& sFullFileNc) const;
  // "$(" column ")" by the job's value, else the machine's. bDefault: an empty value gives
  // the column's name; bFolder: the value is escaped for a folder name. A text without "$("
  // never opens the database. Values become text as Variant::ToText gives them (numbers
  // with "." and no thousands separators, dates "YYYY-MM-DD hh:mm:ss", True/False), blanks
  // trimmed. The job and machine names are quoted for the statements (O'Brien works).
  std::string ReplaceDbParams(std::string sPath, bool bDefault, bool bFolder) const;

 private:
  void ResetData();
  void LoadFromDatabase(const std::string& sMachine);

  std::string dbName_;
  std::int32_t ncDataType_ = 0;
  std::string orgFilename_;
  std::string filename_;
  std::string machine_;
  std::string machineset_;
  std::string machinesetMax_;
  std::string owner_;
  std::int16_t dataArchive_ = 0;
  std::int16_t nestStatus_ = 0;
  std::int16_t released_ = 0;
  std::string ordernumber_;
  std::string material_;
  double materialthickness_ = 0.0;
  std::string name_;
  std::int16_t dirType_ = 0;
  std::string dirJobBase_;
  std::string dirNcBase_;
  std::string dirJob_;
  std::string dirNc_;
  std::string dirOpt_;
  std::string extDat_;
  std::string extJob_;
  std::string extJobBak_;
  std::string extNc_;
  std::string extSet_;
  std::string extOpt_;
  std::string kelbCall_;
  std::string dncCall_;
  std::string templateFile_;
  std::string dfltNestGap_;
  std::string dirNcExport_;
  std::string extsNcExport_;
  std::string dirExport_;
};

}  // namespace kx
