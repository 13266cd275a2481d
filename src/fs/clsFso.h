#pragma once
// The add-in's one gateway to the file system. Paths are Windows-form text
// ("C:\dir\f.nc", "\\srv\share\x"); the native layer maps them onto POSIX paths.
// Two modes per object: object mode (FsoActive, default) gives the documented results of
// the platform file-system object; fallback mode follows the plain text rules.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/keyed_collection.h"

namespace kx {

using PathList = KeyedCollection<std::string>;  // full paths keyed by themselves

class clsFso {
 public:
  clsFso() = default;

  // Reads [FSO] Active and FoldersActive of an INI file; a non-empty value sets the flag
  // ("True"/"False" without case, or a number: non-zero is true). Anything else throws
  // KxError(TypeMismatch) and the rest of the file is not read.
  void Initialize(const std::string& Path);
  bool FsoActive() const { return fsoActive_; }
  void FsoActive(bool vNewValue) { fsoActive_ = vNewValue; }
  bool FsoFoldersActive() const { return fsoFoldersActive_; }
  void FsoFoldersActive(bool vNewValue) { fsoFoldersActive_ = vNewValue; }

  // Path text operations.
  std::string BuildPath(const std::string& Path, const std::string& Name) const;
  std::string GetAbsolutePathName(const std::string& Path) const;
  std::string GetBaseName(const std::string& Path) const;
  std::string GetDriveName(const std::string& Path) const;
  std::string GetExtensionName(const std::string& Path) const;
  std::string GetFileName(const std::string& Path) const;
  std::string GetParentFolderName(const std::string& Path) const;
  // "FullFile", "Drive", "Folder", "Filename", "Extension" in this order, keyed by those names.
  KeyedCollection<std::string> GetFileParts(const std::string& Path) const;
  std::string ShortPath(const std::string& Path) const;
  std::string LongPath(const std::string& Path) const;

  // Existence and drives.
  bool FileExists(const std::string& Path) const;
  bool FolderExists(const std::string& Path) const;
  bool DriveExists(const std::string& Drive) const;
  std::int32_t DriveType(const std::string& DriveName, std::string* DriveDescription = nullptr) const;

  // Special folders.
  std::string GetSpecialFolder(std::int32_t SpecialFolder) const;
  std::string GetSHSpecialFolder(std::int32_t CSIDL, bool Create = false, bool Verify = false) const;

  // Copy, move, delete: 0 when done, skipped or refused; non-zero shell-style code on
  // failure in fallback mode; KxError in object mode.
  std::int32_t CopyFile(const std::string& Source, const std::string& Destination, bool OverWrite = false,
                        std::int16_t Flags = 0);
  std::int32_t CopyFolder(const std::string& Source, const std::string& Destination, bool OverWrite = false,
                          std::int16_t Flags = 0);
  std::int32_t MoveFile(const std::string& Source, const std::string& Destination, bool OverWrite = false,
                        std::int16_t Flags = 0);
  std::int32_t MoveFolder(const std::string& Source, const std::string& Destination, bool OverWrite = false,
                          std::int16_t Flags = 0);
  std::int32_t DeleteFile(const std::string& Path, bool Recycle = false, std::int16_t Flags = 0);
  std::int32_t DeleteFolder(const std::string& Path, bool Recycle = false, std::int16_t Flags = 0);
  std::int32_t DeleteFiles(const std::string& Path, bool Recycle = false, std::int16_t Flags = 0);
  bool CreateFolder(const std::string& Path, bool IsFolder = false);

  // File properties and probes.
  bool FileReadOnly(const std::string& Path) const;
  void FileReadOnly(const std::string& Path, bool vNewValue);
  bool FileInUse(const std::string& sFullFile) const;
  bool FolderInUse(const std::string& sFolder) const;
  // Dates as "YYYY-MM-DD hh:mm:ss" local time; "" stands for the zero date.
  std::string FileDate(const std::string& Path, std::int32_t TimeType) const;
  void FileDate(const std::string& Path, std::int32_t TimeType, const std::string& vNewValue);

  // Enumeration: keyed collections of full paths sorted without regard to case.
  PathList GetFiles(const std::string& FolderPath, const std::string& Filters = "",
                    std::int32_t FileCount = 0) const;
  PathList GetFolders(const std::string& FolderPath, std::int32_t FolderCount = 0) const;
  PathList GetAllFolders(const std::string& FolderPaths, std::int32_t Level = 0) const;
  PathList GetAllFiles(const std::string& FolderPaths, const std::string& Filters = "",
                       std::int32_t Level = 0) const;
  PathList GetDrives() const;

 private:
  bool fsoActive_ = true;
  bool fsoFoldersActive_ = true;
};

}  // namespace kx
