#include "jobfiles/ClsFiles.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "config/mdlPublic.h"
#include "config/shared_state.h"
#include "core/error.h"
#include "core/like.h"
#include "core/numbers.h"
#include "core/text.h"
#include "fs/atomic_file.h"
#include "fs/native_path.h"
#include "fs/unique_fd.h"
#include "jobdata/clsRsData.h"
#include "jobdata/mdlString.h"
#include "jobfiles/delimited_input.h"
#include "messages/message_file.h"

namespace kx {

struct ClsFiles::FolderClass {
  bool separateTrees = false;
  std::uint8_t treeType = filetype::Job;  // when the trees are separate
  bool inOptDir = false;
  bool isCurrent = false;
};

namespace {

constexpr std::uint8_t kOwnFolderPerJob = 1;

// The normal files of a native folder whose names match a listing pattern, in the order the
// file system returns them. Hidden entries (a leading "." on Linux, which also hides the temp
// files of a copy in progress) and anything that is not a regular file are left out; a link
// counts as what it points to. The listing is read completely before the caller works on it.
std::vector<std::string> NormalFiles(const std::filesystem::path& folder, const std::string& pattern) {
  std::vector<std::string> names;
  UniqueDir dir(::opendir(folder.c_str()));
  if (!dir) return names;
  const bool all = pattern == "*.*" || pattern == "*";
  while (dirent* e = ::readdir(dir.get())) {
    const char* n = e->d_name;
    if (n[0] == '.') continue;
    bool regular = e->d_type == DT_REG;
    if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
      struct stat st {};
      regular = ::fstatat(::dirfd(dir.get()), n, &st, 0) == 0 && S_ISREG(st.st_mode);
    }
    if (!regular) continue;
    if (!all && !DirPatternMatch(n, pattern)) continue;
    names.emplace_back(n);
  }
  return names;
}

}  // namespace

void ClsFiles::Initialize(const clsRsData& oRsData, std::int32_t iSubFolderCount) {
  filename_ = oRsData.filename();
  dirType_ = CByte(oRsData.DirType());  // 8 bits: 257 is an overflow, not 1
  dirJobBase_ = oRsData.DirJobBase();
  dirNcBase_ = oRsData.DirNcBase();
  dirOpt_ = oRsData.DirOpt();
  extOpt_ = oRsData.ExtOpt();
  extDat_ = oRsData.ExtDat();
  dirJob_ = oRsData.DirJob();
  dirNc_ = oRsData.DirNc();
  extsNc_.clear();
  for (const std::string* ext : {&oRsData.ExtDat(), &oRsData.ExtNc(), &oRsData.ExtSet(), &oRsData.ExtOpt()}) {
    if (ext->empty()) continue;
    if (!extsNc_.empty()) extsNc_ += ";";
    extsNc_ += *ext;
  }
  folderDepth_ = dirType_ != kOwnFolderPerJob ? iSubFolderCount : -1;

  files_.Clear();
  folders_.Clear();
  if (filename_.empty()) return;

  clsFso& fso = Fso();
  std::string roots;
  auto addRoot = [&roots](const std::string& dir) { roots += (roots.empty() ? "" : ";") + dir; };
  if (fso.FolderExists(dirJobBase_)) addRoot(dirJobBase_);
  if (fso.FolderExists(dirNcBase_) && !EqualsNoCase(dirNcBase_, dirJobBase_)) addRoot(dirNcBase_);
  if (fso.FolderExists(dirOpt_) && !EqualsNoCase(dirOpt_, dirNcBase_) && !EqualsNoCase(dirOpt_, dirJobBase_))
    addRoot(dirOpt_);
  if (roots.empty()) return;

  folders_ = fso.GetAllFolders(roots, folderDepth_);
  for (const std::string& folder : folders_) ScanFolder(folder);
}

ClsFiles::FolderClass ClsFiles::ClassifyFolder(const std::string& sFolder) const {
  FolderClass c;
  c.separateTrees = !dirNcBase_.empty() && !dirJobBase_.empty() && !EqualsNoCase(dirNcBase_, dirJobBase_);
  if (c.separateTrees) {
    if (StartsWithNoCase(sFolder, dirJobBase_)) {
      c.treeType = filetype::Job;
    } else if (StartsWithNoCase(sFolder, dirNcBase_)) {
      c.treeType = filetype::Nc;
    }
  }
  c.inOptDir = !dirOpt_.empty() && ContainsNoCase(sFolder, dirOpt_);
  c.isCurrent = (!dirJob_.empty() && StartsWithNoCase(sFolder, dirJob_)) ||
                (!dirNc_.empty() && StartsWithNoCase(sFolder, dirNc_));
  return c;
}

void ClsFiles::ScanFolder(const std::string& sFolder) {
  clsFso& fso = Fso();
  const std::string pattern = dirType_ == kOwnFolderPerJob ? std::string("*.*") : filename_ + ".*";
  const std::vector<std::string> names = NormalFiles(ToNative(sFolder), pattern);
  if (names.empty()) return;
  // The tree, optimisation and current tests depend on the folder only.
  const FolderClass folder = ClassifyFolder(sFolder);
  for (const std::string& d : names) {
    auto f = std::make_shared<clsFile>();
    f->FullFile(sFolder + "\\" + d);
    const std::string ext = fso.GetExtensionName(d);
    std::uint8_t type = filetype::Job;
    if (folder.separateTrees) {
      type = folder.treeType;
    } else if (MatchesPatternList(ext, extsNc_)) {
      type = filetype::Nc;
    }
    if (!extOpt_.empty() && type == filetype::Nc) {
      if (!dirOpt_.empty()) {
        if (folder.inOptDir) type = filetype::Optimised;
      } else if (EqualsNoCase(ext, extOpt_)) {
        type = filetype::Optimised;
      }
    }
    if (!extDat_.empty() && EqualsNoCase(ext, extDat_)) type = filetype::Dat;
    f->FileType(type);
    f->IsCurrent(folder.isCurrent);
    AddFile(f);
    AddDatFileReferences(*f);
  }
}

void ClsFiles::AddFile(const std::shared_ptr<clsFile>& oFile) {
  // Most files are new: the sorted insertion is the lookup, and it refuses a listed path.
  if (InsertFileSorted(oFile) != 0) return;
  std::shared_ptr<clsFile>* listed = files_.Find(oFile->FullFile());
  if (listed == nullptr) return;
  clsFile& e = **listed;
  if (oFile->FileType() == filetype::Optimised) {
    e.FileType(filetype::Optimised);
  } else if (oFile->FileType() == filetype::DatReference) {
    e.FileType(filetype::DatReference);
    e.FullFileDat(oFile->FullFileDat());
  }
}

void ClsFiles::AddDatFileReferences(const clsFile& oFile) {
  if (oFile.FileType() != filetype::Dat) return;
  errno = 0;
  std::optional<std::string> bytes = ReadFileBytes(ToNative(oFile.FullFile()));
  if (!bytes) {
    const int e = errno;
    const long number = (e == ENOENT)                 ? err::FileNotFound
                        : (e == EACCES || e == EPERM) ? err::PermissionDenied
                                                      : err::PathFileAccessError;
    throw KxError(number, "ClsFiles", oFile.FullFile() + ": " + std::strerror(e ? e : EIO));
  }
  clsFso& fso = Fso();
  const std::string folder = fso.GetParentFolderName(oFile.FullFile());
  for (std::string n : ReadDelimitedFields(DecodeMessageText(*bytes))) {
    if (n.empty()) continue;
    // A native absolute path ("/srv/nc/x.nc") is taken in the Windows form like any other input.
    n = NormalizeInputPath(n);
    if (fso.GetDriveName(n).empty()) n = folder + "\\" + TrimBackslashes(n);
    if (!fso.FileExists(n)) continue;
    auto g = std::make_shared<clsFile>();
    g->Initialize(n, oFile.IsCurrent(), filetype::DatReference, oFile.FullFile());
    AddFile(g);
  }
}

long ClsFiles::InsertFileSorted(const std::shared_ptr<clsFile>& oFile) {
  return files_.InsertSorted(oFile, oFile->FullFile());
}

std::shared_ptr<clsFile> ClsFiles::Item(long Index) const {
  if (Index < 1 || Index > files_.Count()) return nullptr;
  return files_.Item(Index);
}

std::shared_ptr<clsFile> ClsFiles::Item(std::string_view Index) const {
  const std::shared_ptr<clsFile>* f = files_.Find(Index);
  return f ? *f : nullptr;
}

void ClsFiles::ReadOnly(bool vNewValue) {
  clsFso& fso = Fso();
  for (const std::shared_ptr<clsFile>& f : files_) fso.FileReadOnly(f->FullFile(), vNewValue);
}

}  // namespace kx
