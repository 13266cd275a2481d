#pragma once
// The native half of the guards: whatever the Windows-form text said, no delete and no
// overwrite may reach a protected folder. Paths are compared after the drive map (the
// caller's ToNative, which also resolves letter case), "." and "..", and symbolic links,
// never as the texts they were typed as.
#include <sys/types.h>

#include <filesystem>
#include <vector>

namespace kx::fs_detail {

// `native` as the guards compare it: absolute, the deepest existing ancestor through
// realpath (links, "..", "."), the missing rest normalised as text.
std::filesystem::path ResolveNative(const std::filesystem::path& native);

// True when `inner` lies below `outer` (both resolved); a path is not inside itself.
bool IsInside(const std::filesystem::path& inner, const std::filesystem::path& outer);

// True when a and b are one file or folder (same path after resolution, or the same inode
// through a link), or one lies inside the other: a copy or move between them destroys the
// source.
bool Overlaps(const std::filesystem::path& a, const std::filesystem::path& b);

// The protected folders of the moment, taken once per operation: "/", every drive and share
// root of the drive map, every home folder (password database and $HOME), the host folder,
// the common documents and application data, the temp folder; as a whole (nothing inside
// them either): the program files stand-in, the add-in's own folder and the folders that
// "SystemRoot" and "windir" name; for folders as a whole: the one "ProgramFiles" names
// (the text guards' rules, on resolved paths).
class FsGuard {
 public:
  FsGuard();

  // True when deleting `native` (a folder when `folder`), or replacing what is there, must
  // not happen: it resolves to "/", a top-level folder, into an operating-system folder
  // (/bin, /boot, /dev, /etc, /lib*, /proc, /run, /sbin, /sys, /usr, /var), to a protected
  // folder, into one protected as a whole, or it contains a protected folder.
  bool Refuses(const std::filesystem::path& native, bool folder = false) const;

  // True when a new entry at `native` (a copy or move target) would lie in a folder protected
  // as a whole, in an operating-system folder or directly in "/".
  bool RefusesNew(const std::filesystem::path& native) const;

  // A folder met inside a tree being removed that is a protected folder by identity (a
  // bind mount or hard-to-spell road into it): the removal must not enter it.
  bool IsProtectedFolder(dev_t dev, ino_t ino) const;

 private:
  enum class Scope { Itself, Whole, WholeForFolders };
  struct Folder {
    std::filesystem::path path;  // resolved
    Scope scope = Scope::Itself;
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
  };
  void Add(const std::filesystem::path& native, Scope scope) const;
  // The folders protected only themselves, read when a delete or replacement first asks:
  // a new copy needs only those protected as a whole.
  const std::vector<Folder>& All() const;
  bool InsideWhole(const std::filesystem::path& resolved, bool folder) const;

  mutable std::vector<Folder> folders_;
  mutable bool complete_ = false;
};

// FsGuard().Refuses(native).
bool IsProtectedLocation(const std::filesystem::path& native);

}  // namespace kx::fs_detail
