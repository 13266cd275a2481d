#include "fs/internal/file_ops.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>
#include <system_error>

#include "fs/fs_env.h"
#include "fs/unique_fd.h"

namespace kx::fs_detail {

namespace fsys = std::filesystem;

namespace {

int Errno() { return errno ? errno : EIO; }

int CopyData(int in, int out, off_t size) {
  if (::ioctl(out, FICLONE, in) == 0) return 0;  // reflink where the file system offers it
  off_t left = size;
  bool rangeOk = true;
  while (left > 0 && rangeOk) {
    ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, static_cast<std::size_t>(left), 0);
    if (n > 0) {
      left -= n;
    } else if (n == 0) {
      break;
    } else if (errno == EINTR) {
      continue;
    } else if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) {
      rangeOk = false;
    } else {
      return Errno();
    }
  }
  if (rangeOk) return 0;
  off_t done = size - left;
  if (::lseek(in, done, SEEK_SET) < 0 || ::lseek(out, done, SEEK_SET) < 0) return Errno();
  char buf[1 << 16];
  for (;;) {
    ssize_t n = ::read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Errno();
    if (n == 0) return 0;
    for (ssize_t off = 0; off < n;) {
      ssize_t w = ::write(out, buf + off, static_cast<std::size_t>(n - off));
      if (w < 0 && errno == EINTR) continue;
      if (w < 0) return Errno();
      off += w;
    }
  }
}

bool Exists(const fsys::path& p) {
  struct stat st {};
  return ::lstat(p.c_str(), &st) == 0;
}

// "." + name + suffix, hidden beside dst (built by append: GCC 12 -O3 warns falsely on "." + ...).
fsys::path HiddenBeside(const fsys::path& dst, const char* suffix) {
  std::string name = ".";
  name.append(dst.filename().string()).append(suffix);
  return dst.parent_path() / name;
}

std::string TempName(const fsys::path& dst) { return HiddenBeside(dst, ".kxtmp-XXXXXX").string(); }

// Copies the data, mode and times of `in` into `out`, flushed when durable.
int FillCopy(int in, const struct stat& st, int out, bool durable) {
  int rc = CopyData(in, out, st.st_size);
  if (rc == 0 && ::fchmod(out, st.st_mode & 07777) != 0) rc = Errno();
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (rc == 0 && ::futimens(out, times) != 0) rc = Errno();
  if (rc == 0 && durable && ::fsync(out) != 0) rc = Errno();
  return rc;
}

// The copy as an unnamed file in the target's folder, linked in under the target's name
// once complete: one directory entry instead of a temp name, a rename and an unlink.
// Returns -1 when the file system cannot do it (network file systems, no /proc), so the
// caller takes the temp-name route; EEXIST when the name is taken.
int CopyToUnnamed(int in, const struct stat& st, const fsys::path& dst, bool durable) {
  const fsys::path folder = dst.has_parent_path() ? dst.parent_path() : fsys::path(".");
  UniqueFd out(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
  if (!out) return errno == ENOENT || errno == ENOTDIR || errno == EACCES ? Errno() : -1;
  if (const int rc = FillCopy(in, st, out.get(), durable); rc != 0) return rc;
  std::string self = "/proc/self/fd/";
  self += std::to_string(out.get());
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, dst.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    return errno == EEXIST ? EEXIST : -1;
  }
  return out.Close() ? 0 : Errno();
}

}  // namespace

int CopyFile(const fsys::path& src, const fsys::path& dst, bool overwrite, bool durable) {
  UniqueFd in(::open(src.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in) return Errno();
  struct stat st {};
  if (::fstat(in.get(), &st) != 0) return Errno();
  if (S_ISDIR(st.st_mode)) return EISDIR;
  struct stat dstSt {};
  const bool present = ::stat(dst.c_str(), &dstSt) == 0;
  if (present) {
    if (dstSt.st_dev == st.st_dev && dstSt.st_ino == st.st_ino) return EINVAL;  // a file onto itself
    if (S_ISDIR(dstSt.st_mode)) return EISDIR;
    if (!overwrite) return EEXIST;
  } else {
    // A new name: the unnamed file can never replace anything, so it suits both modes.
    int rc = CopyToUnnamed(in.get(), st, dst, durable);
    if (rc == EEXIST && overwrite) rc = -1;  // appeared meanwhile: replace it below
    if (rc >= 0) {
      if (rc == 0 && durable) SyncFolder(dst.parent_path());
      return rc;
    }
  }
  std::string tmp = TempName(dst);
  UniqueFd out(::mkostemp(tmp.data(), O_CLOEXEC));
  if (!out) return Errno();
  int rc = FillCopy(in.get(), st, out.get(), durable);
  if (!out.Close() && rc == 0) rc = Errno();
  // Without overwrite the final step must not replace a file that appeared meanwhile.
  if (rc == 0) {
    if (overwrite) {
      if (::rename(tmp.c_str(), dst.c_str()) != 0) rc = Errno();
    } else if (::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) != 0) {
      rc = Errno();
      if (rc == EINVAL || rc == ENOSYS) {  // file systems without the flag
        rc = ::link(tmp.c_str(), dst.c_str()) == 0 ? 0 : Errno();
      }
    }
  }
  ::unlink(tmp.c_str());  // gone already after a rename
  if (rc == 0 && durable) SyncFolder(dst.parent_path());
  return rc;
}

namespace {

int CopyTreeIn(const fsys::path& src, const fsys::path& dst, bool overwrite, bool durable) {
  struct stat st {};
  if (::stat(src.c_str(), &st) != 0) return Errno();
  if (!S_ISDIR(st.st_mode)) return ENOTDIR;
  std::error_code ec;
  if (!Exists(dst)) {
    if (::mkdir(dst.c_str(), (st.st_mode & 07777) | S_IRWXU) != 0) return Errno();
  } else {
    struct stat dst_st {};
    if (::stat(dst.c_str(), &dst_st) != 0 || !S_ISDIR(dst_st.st_mode)) return EEXIST;
  }
  UniqueDir dir(::opendir(src.c_str()));
  if (!dir) return Errno();
  while (dirent* e = ::readdir(dir.get())) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    struct stat est {};
    fsys::path from = src / name;
    if (::lstat(from.c_str(), &est) != 0) return Errno();
    int rc = 0;
    if (S_ISDIR(est.st_mode)) {
      rc = CopyTreeIn(from, dst / name, overwrite, durable);
    } else if (S_ISLNK(est.st_mode)) {
      fsys::path target = fsys::read_symlink(from, ec);
      if (ec) return ec.value();
      if (Exists(dst / name)) {
        if (!overwrite) return EEXIST;
        fsys::remove(dst / name, ec);
      }
      fsys::create_symlink(target, dst / name, ec);
      rc = ec.value();
    } else if (S_ISREG(est.st_mode)) {
      rc = CopyFile(from, dst / name, overwrite, durable);
    }  // devices, sockets and pipes are not job files: skipped
    if (rc != 0) return rc;
  }
  return 0;
}

// Both resolved through links: the same folder, or one inside the other.
bool TreesOverlap(const fsys::path& a, const fsys::path& b) {
  std::error_code ec;
  const fsys::path ca = fsys::weakly_canonical(a, ec), cb = fsys::weakly_canonical(b, ec);
  if (ca == cb) return true;
  auto below = [](const fsys::path& inner, const fsys::path& outer) {
    const fsys::path rel = inner.lexically_relative(outer);
    return !rel.empty() && rel.native().rfind("..", 0) != 0;
  };
  return below(ca, cb) || below(cb, ca);
}

bool MountRoot(int dirfd, const char* name) {
  struct statx stx {};
  if (::statx(dirfd, name, AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &stx) != 0) return false;
  return (stx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (stx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
}

// Empties the open folder `fd` of device `dev`; folders opened without following links, so a
// link swapped in meanwhile is removed as a link.
int RemoveEntries(int fd, dev_t dev, const KeepFolder& keep) {
  struct stat self {};
  if (::fstat(fd, &self) != 0) return Errno();
  // Read-only folders cannot lose their entries; open them up first.
  if ((self.st_mode & S_IRWXU) != S_IRWXU) ::fchmod(fd, (self.st_mode & 07777) | S_IRWXU);
  const int listFd = ::dup(fd);
  if (listFd < 0) return Errno();
  UniqueDir dir(::fdopendir(listFd));
  if (!dir) {
    const int e = Errno();
    ::close(listFd);
    return e;
  }
  int rc = 0;
  while (dirent* e = ::readdir(dir.get())) {
    const char* name = e->d_name;
    if (std::string_view(name) == "." || std::string_view(name) == "..") continue;
    struct stat st {};
    if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      rc = Errno();
      continue;
    }
    if (!S_ISDIR(st.st_mode)) {
      if (::unlinkat(fd, name, 0) != 0) rc = Errno();
      continue;
    }
    if (st.st_dev != dev || MountRoot(fd, name) || (keep && keep(st))) {
      rc = EBUSY;
      continue;
    }
    UniqueFd sub(::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    int r = sub ? RemoveEntries(sub.get(), dev, keep) : Errno();
    if (r == 0 && ::unlinkat(fd, name, AT_REMOVEDIR) != 0) r = Errno();
    if (r != 0) rc = r;
  }
  return rc;
}

}  // namespace

int CopyTree(const fsys::path& src, const fsys::path& dst, bool overwrite, bool durable) {
  if (TreesOverlap(src, dst)) return EINVAL;
  return CopyTreeIn(src, dst, overwrite, durable);
}

int Remove(const fsys::path& path, const KeepFolder& keep) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return Errno();
  if (!S_ISDIR(st.st_mode)) return ::unlink(path.c_str()) == 0 ? 0 : Errno();
  if (keep && keep(st)) return EBUSY;
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd) return Errno();
  if (int rc = RemoveEntries(fd.get(), st.st_dev, keep); rc != 0) return rc;
  return ::rmdir(path.c_str()) == 0 ? 0 : Errno();
}

int Move(const fsys::path& src, const fsys::path& dst, bool overwrite) {
  struct stat st {};
  if (::lstat(src.c_str(), &st) != 0) return Errno();
  struct stat dstSt {};
  const bool dstExists = ::stat(dst.c_str(), &dstSt) == 0;
  if (dstExists && dstSt.st_dev == st.st_dev && dstSt.st_ino == st.st_ino) return EINVAL;
  if (S_ISDIR(st.st_mode) && TreesOverlap(src, dst)) return EINVAL;  // into itself or its parent
  if (dstExists && !overwrite) return EEXIST;
  if (dstExists && S_ISDIR(dstSt.st_mode) && S_ISDIR(st.st_mode)) {
    // Merge into the existing folder, then the emptied source goes.
    int rc = CopyTree(src, dst, true, true);
    return rc != 0 ? rc : Remove(src);
  }
  if (dstExists && S_ISDIR(dstSt.st_mode) != S_ISDIR(st.st_mode)) return EEXIST;
  int rc = 0;
  if (dstExists) {
    rc = ::rename(src.c_str(), dst.c_str()) == 0 ? 0 : Errno();
  } else {
    rc = ::renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) == 0 ? 0 : Errno();
    if (rc == EINVAL || rc == ENOSYS) rc = ::rename(src.c_str(), dst.c_str()) == 0 ? 0 : Errno();
  }
  if (rc != EXDEV) return rc;
  // Another file system: the source stays until its copy is complete and on disk.
  if (S_ISDIR(st.st_mode)) {
    fsys::path tmp = HiddenBeside(dst, ".kxtmp-move");
    std::error_code ec;
    fsys::remove_all(tmp, ec);
    rc = CopyTree(src, tmp, true, true);
    if (rc == 0) rc = ::rename(tmp.c_str(), dst.c_str()) == 0 ? 0 : Errno();
    if (rc != 0) {
      Remove(tmp);
      return rc;
    }
    SyncFolder(dst.parent_path());
  } else {
    rc = CopyFile(src, dst, overwrite, true);
    if (rc != 0) return rc;
  }
  return Remove(src);
}

namespace {

std::string UrlEncodePath(const std::string& p) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : p) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace

int MoveToTrash(const fsys::path& path) {
  std::error_code ec;
  fsys::path abs = fsys::absolute(path, ec).lexically_normal();
  if (!Exists(abs)) return ENOENT;
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  fsys::path trash = (dataHome && *dataHome == '/') ? fsys::path(dataHome) / "Trash"
                                                    : HomeFolder() / ".local" / "share" / "Trash";
  fsys::create_directories(trash / "files", ec);
  fsys::create_directories(trash / "info", ec);
  if (ec) return ec.value();
  std::string base = abs.filename().string();
  if (base.empty()) return EINVAL;
  char stamp[32];
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&now, &tm);
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &tm);
  const std::string info =
      "[Trash Info]\nPath=" + UrlEncodePath(abs.string()) + "\nDeletionDate=" + stamp + "\n";
  for (int n = 1; n < 10000; ++n) {
    std::string name = n == 1 ? base : base + "." + std::to_string(n);
    fsys::path infoFile = trash / "info" / (name + ".trashinfo");
    // The info file is claimed first (O_EXCL): two deletes never pick the same name.
    UniqueFd fd(::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd) {
      if (errno == EEXIST) continue;
      return Errno();
    }
    bool ok = ::write(fd.get(), info.data(), info.size()) == static_cast<ssize_t>(info.size());
    fd.Close();
    if (Exists(trash / "files" / name)) ok = false;
    int rc = ok ? Move(abs, trash / "files" / name, false) : EIO;
    if (!ok && Exists(trash / "files" / name)) {
      ::unlink(infoFile.c_str());
      continue;
    }
    if (rc != 0) ::unlink(infoFile.c_str());
    return rc;
  }
  return EEXIST;
}

}  // namespace kx::fs_detail
