#pragma once
// The files that make up one job: job files, NC files, data files and the files they name,
// optimised NC files. Gathered from the job's directories (clsRsData), classified, and kept
// in ascending order of their full paths compared without regard to case.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/keyed_collection.h"
#include "jobfiles/clsFile.h"

namespace kx {

class clsRsData;

class ClsFiles {
 public:
  using FileList = KeyedCollection<std::shared_ptr<clsFile>>;

  ClsFiles() = default;

  // Gathers the job's files; iSubFolderCount levels of sub-folders are scanned (all levels
  // when every job has its own folder). Errors of the file system (a data file that cannot
  // be read) reach the caller.
  void Initialize(const clsRsData& oRsData, std::int32_t iSubFolderCount);

  // The entry at a 1-based position or under a full path; nullptr when there is none.
  std::shared_ptr<clsFile> Item(long Index) const;
  std::shared_ptr<clsFile> Item(std::string_view Index) const;
  std::int32_t Count() const { return static_cast<std::int32_t>(files_.Count()); }

  // Enumeration in list order.
  FileList::const_iterator begin() const { return files_.begin(); }
  FileList::const_iterator end() const { return files_.end(); }

  // Sets or clears the read-only attribute of every file (errors are ignored per file).
  void ReadOnly(bool vNewValue);

  // The folders scanned by the last Initialize.
  const KeyedCollection<std::string>& Folders() const { return folders_; }

 private:
  // What ScanFolder learns from a folder's text once for all of its files.
  struct FolderClass;

  void ScanFolder(const std::string& sFolder);
  FolderClass ClassifyFolder(const std::string& sFolder) const;
  void AddFile(const std::shared_ptr<clsFile>& oFile);
  void AddDatFileReferences(const clsFile& oFile);
  long InsertFileSorted(const std::shared_ptr<clsFile>& oFile);

  FileList files_;
  KeyedCollection<std::string> folders_;
  std::string filename_;
  std::uint8_t dirType_ = 0;
  std::string dirJobBase_;
  std::string dirNcBase_;
  std::string dirOpt_;
  std::string extOpt_;
  std::string extDat_;
  std::string extsNc_;
  std::string dirJob_;
  std::string dirNc_;
  std::int32_t folderDepth_ = 0;
};

}  // namespace kx
