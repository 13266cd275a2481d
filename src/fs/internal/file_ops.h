#pragma once
// Native copy, move and delete that never lose the source. Results are errno values
// (0 = done). A copy is written where nobody sees it (an unnamed file in the target folder,
// or a temp name beside the target where the file system has no unnamed files) and put in
// place complete, so a target is either the old file or the complete new one. A move renames
// on the same file system; across file systems it copies completely (flushed to disk)
// before the source goes.
#include <sys/stat.h>

#include <filesystem>
#include <functional>

namespace kx::fs_detail {

// A folder a tree removal must not enter (by its stat), for the deletion guards.
using KeepFolder = std::function<bool(const struct stat&)>;

// One regular file. An existing target is replaced only when `overwrite` (EEXIST otherwise).
// `durable` flushes the copy to disk before it is put in place.
int CopyFile(const std::filesystem::path& src, const std::filesystem::path& dst, bool overwrite,
             bool durable = false);

// A folder tree merged into `dst` (created when missing). A clashing file without
// `overwrite` stops the copy with EEXIST; what was copied before stays. EINVAL when one
// folder lies in the other or both are the same: the copy would feed on itself.
int CopyTree(const std::filesystem::path& src, const std::filesystem::path& dst, bool overwrite,
             bool durable = false);

// A file or folder to `dst`. With `overwrite` an existing file target is replaced; an
// existing folder target receives the source's contents merged into it. EINVAL, nothing
// changed, when both are the same or one folder lies in the other.
int Move(const std::filesystem::path& src, const std::filesystem::path& dst, bool overwrite);

// A file, link or whole folder tree, read-only entries included (links are not followed).
// The removal never crosses into another mount (a mount point inside stays) nor enters a
// folder `keep` names; those stay with their parents and the result is EBUSY.
int Remove(const std::filesystem::path& path, const KeepFolder& keep = {});

// Moves a file or folder into the user's freedesktop.org trash ($XDG_DATA_HOME/Trash, by
// default ~/.local/share/Trash): the entry goes to files/, its origin and deletion time to
// info/<name>.trashinfo. Names are made unique with ".2", ".3", ... suffixes.
int MoveToTrash(const std::filesystem::path& path);

}  // namespace kx::fs_detail
