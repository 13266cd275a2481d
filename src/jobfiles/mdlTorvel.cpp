#include "jobfiles/mdlTorvel.h"

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "config/shared_state.h"
#include "core/error.h"
#include "core/keyed_collection.h"
#include "core/mdlCollection.h"
#include "core/text.h"
#include "fs/fs_env.h"
#include "fs/native_path.h"
#include "jobdata/clsRsData.h"
#include "jobdata/mdlString.h"
#include "jobfiles/ClsFiles.h"
#include "jobfiles/import_progress.h"
#include "jobfiles/internal/mdlTorvel_steps.h"
#include "jobfiles/mdlTxtFile.h"
#include "messages/clsResStrs.h"
#include "platform/ui_services.h"

namespace kx {

namespace {

constexpr std::int16_t kFileFlags = 0x94;    // silent, no confirmation, files only
constexpr std::int16_t kFolderFlags = 0x14;  // silent, no confirmation
constexpr std::int16_t kOwnFolderPerJob = 1;

// Data-file table entry: the old data file, the new one, then the new one's lines.
using DatFileTable = KeyedCollection<std::vector<std::string>>;
// The new data files' encoding and line ends: those of the old ones, by the new one's name.
using DatFormats = KeyedCollection<TextFormat>;

// True when both names reach one and the same file (another drive letter or a linked folder
// for the same place): replacing the target would destroy the source.
bool SameNativeFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (::stat(ToNative(a).c_str(), &sa) != 0 || ::stat(ToNative(b).c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// A folder text that names or lies in the program files or the system folder. The values come
// from the same environment (with Linux stand-ins) as the file layer's deletion guards; an
// empty value is contained in every text, so it refuses everything.
bool InSystemFolders(const std::string& sFolder) {
  for (const char* name : {"ProgramFiles", "SystemRoot"}) {
    if (ContainsNoCase(sFolder, EnvValueOrStandIn(name).value_or(""))) return true;
  }
  return false;
}

// Every occurrence of the target NC base and a "\" removed: a path relative to that base.
std::string RelativeToNcBase(const std::string& sPath, const clsRsData& oTarget) {
  if (oTarget.DirNcBase().empty()) return sPath;  // nothing to be relative to
  return ReplaceNoCase(sPath, oTarget.DirNcBase() + "\\", "");
}

// A line that the data-file reader gives back as it was written: a name holding a comma or
// beginning or ending with a blank is quoted (the plain form would be split or trimmed).
std::string DatLine(const std::string& sPath) {
  const bool blankEdge = !sPath.empty() && (sPath.front() == ' ' || sPath.front() == '\t' ||
                                            sPath.back() == ' ' || sPath.back() == '\t');
  if (sPath.find(',') == std::string::npos && !blankEdge) return sPath;
  return "\"" + sPath + "\"";
}

// An empty or relative job or NC directory would put the files into the root or the working
// folder, and a relative source would take a moved job's files from there: such a machine row
// is named (machine and column) and nothing is copied. An empty source folder has no files.
void RequireAbsoluteFolders(const clsRsData& job, bool bJobFiles, bool bNcFiles, bool source) {
  const struct {
    bool used;
    const std::string& dir;
    const char* column;
  } dirs[] = {{bJobFiles, job.DirJobBase(), "KelbDirectory"}, {bNcFiles, job.DirNcBase(), "NcDirectory"}};
  for (const auto& d : dirs) {
    if (!d.used || (d.dir.empty() ? source : IsAbsoluteWindowsPath(d.dir))) continue;
    throw KxError(err::PathNotFound, "mdlTorvel",
                  "Machine \"" + job.Machine() + "\" of job " + job.filename() + ": " + d.column +
                      " gives no absolute folder (\"" + d.dir + "\"); no job files were copied.");
  }
}

std::uint64_t SizeOf(const std::string& file) {
  struct stat st {};
  return ::stat(ToNative(file).c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

// A failed copy or move said with its files: a permission names the one refused, a full disk
// the target, anything else both.
[[noreturn]] void RaiseNamed(const KxError& e, const std::string& s, const std::string& t, bool bMove) {
  std::string where = (bMove ? "moving " : "copying ") + s + " to " + t;
  if (e.Number() == err::PermissionDenied) where = ::access(ToNative(s).c_str(), R_OK) != 0 ? s : t;
  if (e.Number() == err::DiskFull) where = "no room for " + t;
  throw KxError(e.Number(), e.Source(), e.Description() + ": " + where);
}

bool Asked(const std::string& t, const std::string& s) {
  clsResStrs& msgs = ResStrs();
  const std::string text = msgs.Msg("MSG(ImportFiles_003)", t, s);
  const std::string title = msgs.Item("MSG(Question)");
  return Ui().MessageBox(text, title, MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes;
}

}  // namespace

namespace torvel {

std::string GetTargetFileName(const std::string& sFullFile, const std::string& sFileNameSource,
                              const std::string& sFileNameTarget, std::int32_t sMode) {
  clsFso& fso = Fso();
  const std::string name = fso.GetFileName(sFullFile);
  switch (sMode) {
    case 0:
      return name;
    case 1:
      if (EqualsNoCase(fso.GetBaseName(sFullFile), sFileNameSource))
        return ReplaceNoCase(name, sFileNameSource, sFileNameTarget);
      return name;
    case 3: {
      const std::string ext = fso.GetExtensionName(sFullFile);
      return ext.empty() ? sFileNameTarget : sFileNameTarget + "." + ext;
    }
    default:
      return ReplaceNoCase(name, sFileNameSource, sFileNameTarget);
  }
}

void TransferJobFiles(const clsRsData& oSource, const clsRsData& oTarget, bool bJobFiles, bool bNcFiles,
                      bool bMove, std::uint8_t iOverwrite, std::int16_t iRenameMode,
                      const std::string& sFilter, std::int16_t iDatMode, IImportProgress* progress) {
  clsFso& fso = Fso();
  // The source set is complete before the first file is written, so targets never feed back.
  ClsFiles files;
  files.Initialize(oSource, Shared().glSubFolderCount);

  // The files taken over: their kind is asked for and the filter lets them through (data
  // files are written anew, not copied).
  auto taken = [&](const clsFile& f) {
    const bool kind = f.FileType() == filetype::Job ? bJobFiles : f.FileType() != filetype::Dat && bNcFiles;
    return kind && (sFilter.empty() || MatchesPatternList(f.FullFile(), sFilter));
  };
  if (progress) {
    long count = 0;
    std::uint64_t bytes = 0;
    for (const std::shared_ptr<clsFile>& f : files) {
      if (!taken(*f)) continue;
      ++count;
      bytes += SizeOf(f->FullFile());
    }
    progress->ImportStarted(count, bytes);
  }

  // Files named in a data file only get the job name inside their names replaced.
  const std::int32_t refMode = iRenameMode == 3 ? 2 : iRenameMode;
  const std::string& srcName = oSource.filename();
  const std::string& dstName = oTarget.filename();
  auto inTree = [&](const std::string& s, const std::string& from, const std::string& to) {
    return ReplaceNoCase(fso.GetParentFolderName(s), from, to);
  };
  DatFileTable dats;
  DatFormats formats;

  for (const std::shared_ptr<clsFile>& f : files) {
    const std::string& s = f->FullFile();
    std::string t;
    const bool counted = progress && taken(*f);
    const std::uint64_t bytes = counted ? SizeOf(s) : 0;  // before a move takes it away
    auto report = [&](ImportOutcome outcome) {
      if (counted) progress->FileHandled(s, t, bytes, outcome);
    };
    switch (f->FileType()) {
      case filetype::Job:
        if (bJobFiles)
          t = inTree(s, oSource.DirJobBase(), oTarget.DirJobBase()) + "\\" +
              GetTargetFileName(s, srcName, dstName, iRenameMode);
        break;
      case filetype::Nc:
        if (bNcFiles)
          t = inTree(s, oSource.DirNcBase(), oTarget.DirNcBase()) + "\\" +
              GetTargetFileName(s, srcName, dstName, iRenameMode);
        break;
      case filetype::DatReference:
        if (bNcFiles) {
          const std::string& d = f->FullFileDat();
          const std::string D = inTree(d, oSource.DirNcBase(), oTarget.DirNcBase()) + "\\" +
                                GetTargetFileName(d, srcName, dstName, iRenameMode);
          if (!CollectionHasKey(dats, D)) {
            dats.Add({d, D}, D);
            formats.Add(TextFormatOf(d), D);
          }
          fso.CreateFolder(D, false);
          const std::string folder = fso.GetParentFolderName(D);
          const std::string name = GetTargetFileName(s, srcName, dstName, refMode);
          t = iDatMode == 1 ? folder + "\\" + name : folder + "\\" + fso.GetBaseName(D) + "\\" + name;
          AppendTextLine(D, DatLine(iDatMode == 2 ? t : RelativeToNcBase(t, oTarget)), formats.Item(D));
        }
        break;
      case filetype::Optimised:
        if (bNcFiles) {
          const std::string name = GetTargetFileName(s, srcName, dstName, iRenameMode);
          if (oTarget.DirOpt().empty()) {
            t = inTree(s, oSource.DirNcBase(), oTarget.DirNcBase()) + "\\" + name;
          } else if (fso.DriveExists(fso.GetDriveName(oTarget.DirOpt()))) {
            t = oSource.DirOpt() + "\\" + name;
          } else {  // relative to the NC folder
            t = ReplaceNoCase(inTree(s, oSource.DirNcBase(), oTarget.DirNcBase()), oSource.DirOpt(),
                              oTarget.DirOpt()) +
                "\\" + name;
          }
        }
        break;
      default:  // data files are written anew below
        break;
    }

    if (!sFilter.empty() && !MatchesPatternList(s, sFilter)) continue;
    if (t.empty() || EqualsNoCase(t, s)) {
      report(ImportOutcome::Skipped);
      continue;
    }
    if (fso.FileExists(t)) {
      if (SameNativeFile(s, t)) {
        report(ImportOutcome::Skipped);
        continue;
      }
      if (iOverwrite == 1 || (iOverwrite == 2 && Asked(t, s))) fso.DeleteFile(t, false, kFileFlags);
      // A target that is still there (kept, or its delete refused) leaves both files alone.
      if (fso.FileExists(t)) {
        report(ImportOutcome::Skipped);
        continue;
      }
    } else {
      fso.CreateFolder(t, false);
    }
    std::int32_t rc = 0;
    try {
      rc = bMove ? fso.MoveFile(s, t, false, kFileFlags) : fso.CopyFile(s, t, true, kFileFlags);
    } catch (const KxError& e) {
      report(ImportOutcome::Failed);
      RaiseNamed(e, s, t, bMove);
    }
    // In its shell mode the file layer answers a failure with a code and the import goes on.
    report(rc == 0 ? ImportOutcome::Copied : ImportOutcome::Failed);
  }

  if (bMove) {
    for (const std::vector<std::string>& entry : dats) {
      const std::string& d = entry[0];
      if (d.empty() || EqualsNoCase(d, entry[1])) continue;
      if (!sFilter.empty() && !MatchesPatternList(d, sFilter)) continue;
      fso.DeleteFile(d, false, kFileFlags);
    }
    RemoveSourceJobFolders(oSource, files);
  }

  if (dats.Empty()) return;
  // The new data files name what now lies in the target job, in path order.
  ClsFiles targetFiles;
  targetFiles.Initialize(oTarget, Shared().glSubFolderCount);
  for (const std::shared_ptr<clsFile>& g : targetFiles) {
    if (g->FileType() != filetype::DatReference) continue;
    std::vector<std::string>* entry = dats.Find(g->FullFileDat());
    if (entry == nullptr || !fso.FileExists(g->FullFile())) continue;
    entry->push_back(DatLine(iDatMode == 2 ? g->FullFile() : RelativeToNcBase(g->FullFile(), oTarget)));
  }
  for (const std::vector<std::string>& entry : dats) {
    const std::vector<std::string> lines(entry.begin() + 2, entry.end());
    const TextFormat& format = formats.Item(entry[1]);
    WriteTextFile(entry[1], Join(lines, format.lineEnd), format);
  }
}

void RemoveSourceJobFolders(const clsRsData& oSource, const ClsFiles& oFiles) noexcept {
  const std::string& name = oSource.filename();
  if (name.empty()) return;
  clsFso& fso = Fso();
  // Each folder on its own: one that cannot be tested or removed does not stop the others.
  auto removable = [&](const std::string& dir) {
    return dir.find('*') == std::string::npos && !InSystemFolders(dir) && fso.FolderExists(dir);
  };
  if (oSource.DirType() == kOwnFolderPerJob) {
    // A file of the set that is still in place (not taken over: filtered, kept, or a job moved
    // onto itself) keeps its job folder where it is instead of sending it to the trash.
    auto holdsSourceFile = [&](const std::string& dir) {
      const std::string prefix = dir + "\\";
      for (const std::shared_ptr<clsFile>& f : oFiles) {
        if (StartsWithNoCase(f->FullFile(), prefix) && fso.FileExists(f->FullFile())) return true;
      }
      return false;
    };
    for (const std::string* dir : {&oSource.DirJobBase(), &oSource.DirNcBase()}) {
      try {
        if (EqualsNoCase(fso.GetBaseName(*dir), name) && removable(*dir) && !holdsSourceFile(*dir))
          fso.DeleteFolder(*dir, true, kFolderFlags);
      } catch (...) {  // trapped: the folder stays where it is
      }
    }
    return;
  }
  std::vector<std::string> folders;
  for (const std::shared_ptr<clsFile>& f : oFiles) folders.push_back(f->FullFile());
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    try {
      const std::string folder = fso.GetParentFolderName(*it);
      if (EqualsNoCase(folder, oSource.DirJobBase()) || EqualsNoCase(folder, oSource.DirNcBase()) ||
          EqualsNoCase(folder, oSource.DirOpt()) || !removable(folder))
        continue;
      if (fso.GetFolders(folder, 1).Empty() && fso.GetFiles(folder, "*.*", 1).Empty())
        fso.DeleteFolder(folder, true, kFolderFlags);
    } catch (...) {  // trapped: the folder stays where it is
    }
  }
}

}  // namespace torvel

void ImportJobFiles(const std::string& sDbNameSource, const std::string& sFileNameSource,
                    const std::string& sDbNameTarget, const std::string& sFileNameTarget, bool bJobFiles,
                    bool bNcFiles, bool bMove, std::uint8_t iOverwrite, std::int16_t iRenameMode,
                    const std::string& sFilter, std::int16_t iDatMode, IImportProgress* progress) {
  if (!bJobFiles && !bNcFiles) return;
  clsRsData source;
  source.Initialize(sDbNameSource, sFileNameSource);
  clsRsData target;
  target.Initialize(sDbNameTarget, sFileNameTarget);
  RequireAbsoluteFolders(source, bJobFiles, bNcFiles, true);
  RequireAbsoluteFolders(target, bJobFiles, bNcFiles, false);
  if (iRenameMode < 0 || iRenameMode > 3) iRenameMode = target.DirType() != 0 ? 0 : 3;
  torvel::TransferJobFiles(source, target, bJobFiles, bNcFiles, bMove, iOverwrite, iRenameMode, sFilter,
                           iDatMode, progress);
}

}  // namespace kx
