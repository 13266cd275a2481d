// clsFso: configuration, path text, existence, drives and special folders.
#include "fs/clsFso.h"

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <cctype>
#include <fstream>

#include "core/error.h"
#include "core/numbers.h"
#include "core/text.h"
#include "fs/fs_env.h"
#include "fs/ini_profile.h"
#include "fs/internal/fso_helpers.h"
#include "fs/internal/path_rules.h"
#include "fs/native_path.h"

namespace kx {

namespace fsys = std::filesystem;
using fb = fs_detail::FallbackPathRules;
using ob = fs_detail::FsoPathRules;
using fs_detail::RemoveLeadingBackslash;
using fs_detail::RemoveTrailingBackslash;

namespace {

bool ParseFlag(const std::string& value) {
  if (EqualsNoCase(value, "True")) return true;
  if (EqualsNoCase(value, "False")) return false;
  if (IsNumeric(value)) return CDbl(value) != 0.0;
  throw KxError(err::TypeMismatch, "clsFso", "Type mismatch");
}

bool IsDir(const fsys::path& p) {
  struct stat st {};
  return !p.empty() && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsNonDir(const fsys::path& p) {
  struct stat st {};
  return !p.empty() && ::stat(p.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string CurrentDirWindows() {
  std::error_code ec;
  fsys::path cwd = fsys::current_path(ec);
  return ToWindows(ec ? fsys::path("/") : cwd);
}

// "c", "C:", "C:\" (any case) or "\\srv\share": the drive key; "" for anything else.
std::string DriveSpec(std::string_view drive) {
  std::string d(drive);
  if (d.size() > 2 && d[0] == '\\' && d[1] == '\\') return RemoveTrailingBackslash(d);
  if (d.empty() || !std::isalpha(static_cast<unsigned char>(d[0]))) return {};
  if (d.size() == 1 || (d.size() == 2 && d[1] == ':') || (d.size() == 3 && d[1] == ':' && d[2] == '\\'))
    return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(d[0])))) + ":";
  return {};
}

bool RemovableBlockDevice(dev_t dev) {
  std::string base = "/sys/dev/block/" + std::to_string(major(dev)) + ":" + std::to_string(minor(dev));
  for (const char* rel : {"/removable", "/../removable"}) {
    std::ifstream in(base + rel);
    int flag = 0;
    if (in >> flag) return flag != 0;
  }
  return false;
}

// Kernel drive type (2 removable, 3 fixed, 4 network, 5 CD-ROM, 6 RAM disk) of the file
// system holding `root`; 1 when there is no such folder.
std::int32_t NativeDriveType(const fsys::path& root) {
  struct statfs fs {};
  struct stat st {};
  if (!IsDir(root) || ::statfs(root.c_str(), &fs) != 0 || ::stat(root.c_str(), &st) != 0) return 1;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969UL:      // nfs
    case 0xFF534D42UL:  // cifs
    case 0xFE534D42UL:  // smb2
    case 0x517BUL:      // smb
      return 4;
    case 0x9660UL:      // iso9660
    case 0x15013346UL:  // udf
      return 5;
    case 0x01021994UL:  // tmpfs
    case 0x858458F6UL:  // ramfs
      return 6;
    case 0x4D44UL:      // vfat
    case 0x2011BAB0UL:  // exfat
      return RemovableBlockDevice(st.st_dev) ? 2 : 3;
    default:
      return 3;
  }
}

const char* DriveDescription(std::int32_t type) {
  switch (type) {
    case 0:
      return "Unknown";
    case 2:
      return "Removable";
    case 3:
      return "Fixed";
    case 4:
      return "Network";
    case 5:
      return "CD-ROM";
    case 6:
      return "RAM Disk";
    default:
      return "";
  }
}

bool ContainsAsciiNoCase(std::string_view hay, std::string_view needle) {
  auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  if (needle.size() > hay.size()) return false;
  for (std::size_t i = 0; i + needle.size() <= hay.size(); ++i) {
    std::size_t k = 0;
    while (k < needle.size() && lower(hay[i + k]) == lower(needle[k])) ++k;
    if (k == needle.size()) return true;
  }
  return false;
}

}  // namespace

void clsFso::Initialize(const std::string& Path) {
  std::string active = GetPrivateProfileString(Path, "FSO", "Active", "", 6000);
  if (!active.empty()) fsoActive_ = ParseFlag(active);
  std::string folders = GetPrivateProfileString(Path, "FSO", "FoldersActive", "", 6000);
  if (!folders.empty()) fsoFoldersActive_ = ParseFlag(folders);
}

std::string clsFso::BuildPath(const std::string& Path, const std::string& Name) const {
  if (fsoActive_) return ob::BuildPath(RemoveTrailingBackslash(Path), RemoveLeadingBackslash(Name));
  return fb::BuildPath(Path, Name);
}

std::string clsFso::GetAbsolutePathName(const std::string& Path) const {
  if (fsoActive_) return ob::GetAbsolutePathName(RemoveTrailingBackslash(Trim(Path)), CurrentDirWindows());
  return fb::GetAbsolutePathName(Path);
}

std::string clsFso::GetBaseName(const std::string& Path) const {
  return fsoActive_ ? ob::GetBaseName(RemoveTrailingBackslash(Path)) : fb::GetBaseName(Path);
}

std::string clsFso::GetDriveName(const std::string& Path) const {
  return fsoActive_ ? ob::GetDriveName(Path) : fb::GetDriveName(Path);
}

std::string clsFso::GetExtensionName(const std::string& Path) const {
  return fsoActive_ ? ob::GetExtensionName(Path) : fb::GetExtensionName(Path);
}

std::string clsFso::GetFileName(const std::string& Path) const {
  return fsoActive_ ? ob::GetFileName(Path) : fb::GetFileName(Path);
}

std::string clsFso::GetParentFolderName(const std::string& Path) const {
  return fsoActive_ ? ob::GetParentFolderName(Path) : fb::GetParentFolderName(Path);
}

KeyedCollection<std::string> clsFso::GetFileParts(const std::string& Path) const {
  KeyedCollection<std::string> parts;
  parts.Add(Path, "FullFile");
  parts.Add(GetDriveName(Path), "Drive");
  parts.Add(GetParentFolderName(Path), "Folder");
  parts.Add(GetBaseName(Path), "Filename");
  parts.Add(GetExtensionName(Path), "Extension");
  return parts;
}

// Linux has no 8.3 names: an existing path is its own short form.
std::string clsFso::ShortPath(const std::string& Path) const {
  if (Path.empty()) return {};
  struct stat st {};
  return ::stat(ToNative(Path).c_str(), &st) == 0 ? Path : std::string();
}

std::string clsFso::LongPath(const std::string& Path) const {
  if (Path.size() >= 2 && Path[0] == '\\' && Path[1] == '\\') return Path;
  std::vector<std::string> parts = Split(Path, "\\");
  if (parts.size() < 2) return {};
  if (parts[1].empty()) return Path;
  std::string longPath = parts[0];
  fsys::path cur = ToNative(parts[0].empty() ? std::string("\\") : parts[0] + "\\");
  for (std::size_t i = 1; i < parts.size(); ++i) {
    // An empty name (a doubled or trailing "\") finds nothing, like any missing entry.
    std::optional<std::string> found;
    if (fs_detail::HasWildcard(parts[i])) {
      auto names = fs_detail::MatchNames(cur, parts[i], 0);
      if (!names.empty()) found = names.front();
    } else {
      found = FindEntryNoCase(cur, parts[i]);
    }
    if (!found) return {};
    longPath += "\\" + *found;
    cur /= *found;
  }
  return longPath;
}

// A wildcard is no pattern here: only an entry of exactly that name (legal on Linux) exists.
bool clsFso::FileExists(const std::string& Path) const { return !Path.empty() && IsNonDir(ToNative(Path)); }

bool clsFso::FolderExists(const std::string& Path) const { return !Path.empty() && IsDir(ToNative(Path)); }

bool clsFso::DriveExists(const std::string& Drive) const {
  if (Drive.empty()) return false;
  if (fsoActive_) {
    std::string key = DriveSpec(Drive);
    if (key.empty()) return false;
    auto root = DriveRoot(key);
    return root && IsDir(*root);
  }
  // The kernel's drive string list: "C:\<NUL>Z:\<NUL>..."; the argument may match anywhere.
  std::string buffer;
  for (const auto& [letter, root] : MappedDrives()) buffer += letter + "\\" + std::string(1, '\0');
  if (buffer.empty()) return false;
  return ContainsAsciiNoCase(buffer, Drive);
}

std::int32_t clsFso::DriveType(const std::string& DriveName, std::string* Description) const {
  if (fsoActive_) {
    std::string key = DriveSpec(DriveName);
    if (key.empty()) fs_detail::Raise(err::InvalidProcedureCall);
    auto root = DriveRoot(key);
    if (!root) fs_detail::Raise(err::DeviceUnavailable);
    std::int32_t type = NativeDriveType(*root);
    if (type == 1) type = 0;  // a mapped drive whose folder is gone: the object says Unknown
    if (Description) *Description = DriveDescription(type);
    return type;
  }
  std::string rootName;
  if (DriveName.empty()) {
    rootName = CurrentDirWindows().substr(0, 2) + "\\";
  } else if (DriveName.size() >= 2 && DriveName[0] == '\\' && DriveName[1] == '\\') {
    rootName = RemoveTrailingBackslash(DriveName) + "\\";
  } else {
    rootName = DriveName.substr(0, 1) + ":\\";
  }
  auto root = DriveRoot(rootName);
  std::int32_t type = root ? NativeDriveType(*root) : 1;
  if (Description) *Description = DriveDescription(type);
  return type;
}

// Windows environment names; on Linux, unset ones fall back to stand-ins (see fs_env.h):
// ALLUSERSPROFILE the common application data, APPDATA $XDG_CONFIG_HOME (~/.config),
// COMMONPROGRAMFILES and PROGRAMFILES the program files folder, HOMEDRIVE/HOMEPATH/USERPROFILE
// the home folder, SYSTEMROOT/WINDIR/TEMP/TMP as for the deletion guards.
std::string clsFso::GetSpecialFolder(std::int32_t SpecialFolder) const {
  static const char* const kNames[] = {"ALLUSERSPROFILE", "APPDATA",  "COMMONPROGRAMFILES",
                                       "HOMEDRIVE",       "HOMEPATH", "PROGRAMFILES",
                                       "SYSTEMROOT",      "TEMP",     "TMP",
                                       "USERPROFILE",     "WINDIR"};
  if (SpecialFolder < 0 || SpecialFolder > 10) return {};
  const std::string name = kNames[SpecialFolder];
  if (auto v = GetEnvNoCase(name)) return NormalizeInputPath(*v);
  const std::string home = ToWindows(HomeFolder());
  switch (SpecialFolder) {
    case 0:
      return ToWindows(CommonAppDataFolder());
    case 1: {
      const char* cfg = std::getenv("XDG_CONFIG_HOME");
      return ToWindows(cfg && *cfg == '/' ? fsys::path(cfg) : HomeFolder() / ".config");
    }
    case 2:
    case 5:
      return ToWindows(ProgramFilesFolder());
    case 3:
      return home.size() >= 2 && home[1] == ':' ? home.substr(0, 2) : std::string();
    case 4:
      return home.size() >= 2 && home[1] == ':' ? home.substr(2) : home;
    case 9:
      return home;
    default:
      return EnvValueOrStandIn(name).value_or("");
  }
}

std::string clsFso::GetSHSpecialFolder(std::int32_t CSIDL, bool Create, bool Verify) const {
  fsys::path folder;
  switch (CSIDL & 0xFF) {
    case 35:
      folder = CommonAppDataFolder();
      break;
    case 38:
      folder = ProgramFilesFolder();
      break;
    case 46:
      folder = CommonDocumentsFolder();
      break;
    default:
      return {};
  }
  std::error_code ec;
  if (Create || (CSIDL & 0x8000)) fsys::create_directories(folder, ec);
  if (Verify && !IsDir(folder)) return {};
  return ToWindows(folder);
}

PathList clsFso::GetDrives() const {
  PathList drives;
  for (const auto& [letter, root] : MappedDrives()) drives.Add(letter, letter);
  return drives;
}

}  // namespace kx
