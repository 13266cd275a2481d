#pragma once
// The edge between the Windows-form path text used everywhere inside the add-in and the
// POSIX file system. A drive map gives each drive letter and each "\\server\share" a native
// root directory; "Z:" is "/" unless the map says otherwise. The map file is an INI file with
// a [Drives] section (keys "D:" or "\\srv\nc", values native directories), found through
// KESTRAFIX_DRIVE_MAP, then $XDG_CONFIG_HOME/kestrafix/drives.ini (default
// ~/.config/kestrafix/drives.ini), then each $XDG_CONFIG_DIRS entry (default /etc/xdg).
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kx {

// How a path was mapped, for people: the drive-map entry ("D:", "\\srv\share"; "" for a
// relative path or one below no root) with its root, and each component as typed with the
// name used on disk ("" from the first one that does not exist on: the rest is kept as typed).
struct PathTrace {
  std::string entry;
  std::filesystem::path root;
  std::vector<std::pair<std::string, std::string>> components;
};

// A Windows-form path ("C:\dir\f", "\\srv\share\x", "rel\f", "\abs") as a native path.
// Each component is taken exactly when it exists, else an entry that equals it without
// regard to case; of folders in several spellings the first (in byte order) whose rest
// exists is taken. The missing tail is kept as typed.
// "." and ".." are applied to the text. A path that starts with "/" is already native and is
// returned unchanged. An unmapped drive or share gives a path that never exists.
std::filesystem::path ToNative(std::string_view windowsPath, PathTrace* trace = nullptr);

// A native path in Windows form through the longest matching root ("/srv/jobs/A1" gives
// "Z:\srv\jobs\A1" by default). A path below no root comes back in its native text.
std::string ToWindows(const std::filesystem::path& native, PathTrace* trace = nullptr);

// Native absolute paths (starting with "/") into Windows form; anything else unchanged.
std::string NormalizeInputPath(std::string_view path);

// True for a text that names a native absolute path.
bool IsNativeAbsolute(std::string_view path);

// Root of a drive ("d", "D:", "D:\") or share ("\\srv\share"); nullopt when unmapped.
std::optional<std::filesystem::path> DriveRoot(std::string_view drive);

// Every mapped drive letter ("C:" form, in letter order) with its root.
std::vector<std::pair<std::string, std::filesystem::path>> MappedDrives();
// The root of every mapped drive and share, "Z:" included.
std::vector<std::filesystem::path> MappedRoots();

// True for a Windows-form path that names a place without a current folder: "D:", "D:\...",
// "\\server\share\...", or a native absolute path. "rel", "\rel" and "D:rel" are relative.
bool IsAbsoluteWindowsPath(std::string_view path);

// The drive map file in effect (empty when there is none).
std::filesystem::path DriveMapFile();

// The entry of `dir` named `name`: exact when present, else the first entry (in byte order)
// equal without regard to case; nullopt when there is none.
std::optional<std::string> FindEntryNoCase(const std::filesystem::path& dir, std::string_view name);

// Value of an environment variable, name compared without case as Windows does
// (an exact match wins); nullopt when unset.
std::optional<std::string> GetEnvNoCase(std::string_view name);

// Test seams: map a drive ("D:") or share to a root, taking precedence over the map file.
void SetDriveRootForTests(std::string drive, std::filesystem::path root);
void ClearDriveMapOverrides();

}  // namespace kx
