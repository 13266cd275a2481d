// clsFso: read-only attribute, in-use probes and file times.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "fs/clsFso.h"
#include "fs/native_path.h"
#include "fs/unique_fd.h"

namespace kx {

namespace fsys = std::filesystem;

namespace {

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// Calls fn(pid) for every other process whose /proc entry we may read.
template <class Fn>
bool AnyOtherProcess(Fn&& fn) {
  UniqueDir proc(::opendir("/proc"));
  if (!proc) return false;
  const std::string self = std::to_string(::getpid());
  while (dirent* e = ::readdir(proc.get())) {
    std::string_view pid(e->d_name);
    if (!IsDigits(pid) || pid == self) continue;
    if (fn(std::string(pid))) return true;
  }
  return false;
}

// Calls fn(fdPath, fdName) for each open descriptor of a process.
template <class Fn>
bool AnyDescriptor(const std::string& pid, Fn&& fn) {
  const std::string base = "/proc/" + pid + "/fd";
  UniqueDir fds(::opendir(base.c_str()));
  if (!fds) return false;
  while (dirent* e = ::readdir(fds.get())) {
    if (!IsDigits(e->d_name)) continue;
    if (fn(base + "/" + e->d_name, std::string(e->d_name))) return true;
  }
  return false;
}

bool OpenForWriting(const std::string& pid, const std::string& fd) {
  std::ifstream info("/proc/" + pid + "/fdinfo/" + fd);
  std::string key;
  while (info >> key) {
    if (key == "flags:") {
      unsigned long flags = 0;
      info >> std::oct >> flags;
      return (flags & O_ACCMODE) == O_WRONLY || (flags & O_ACCMODE) == O_RDWR;
    }
  }
  return false;
}

// A POSIX, flock or OFD lock on the file held by another process (/proc/locks).
bool LockedByOther(const struct stat& st) {
  std::ifstream locks("/proc/locks");
  char id[64];
  std::snprintf(id, sizeof id, "%02x:%02x:%lu", major(st.st_dev), minor(st.st_dev),
                static_cast<unsigned long>(st.st_ino));
  const std::string self = std::to_string(::getpid());
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream in(line);
    std::string num, type, mode, rw, pid, inode;
    in >> num >> type;
    if (type == "->") continue;  // a waiter, not a holder
    in >> mode >> rw >> pid >> inode;
    if (inode == id && pid != self) return true;
  }
  return false;
}

bool ParseDateTime(const std::string& text, std::tm& tm) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char sep = ' ';
  int n = std::sscanf(text.c_str(), "%d-%d-%d%c%d:%d:%d", &y, &mo, &d, &sep, &h, &mi, &s);
  if (n != 3 && n != 7) return false;
  if (n == 7 && sep != ' ' && sep != 'T') return false;
  if (y < 1601 || y > 30827 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 ||
      s < 0 || s > 59)
    return false;
  tm = {};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  std::tm check = tm;
  if (std::mktime(&check) == -1 && !(y == 1969 && mo == 12 && d == 31)) return false;
  return check.tm_mday == d && check.tm_mon == mo - 1;  // no 31 February
}

}  // namespace

bool clsFso::FileReadOnly(const std::string& Path) const {
  struct stat st {};
  if (Path.empty() || ::stat(ToNative(Path).c_str(), &st) != 0) return false;
  if (fsoActive_ && S_ISDIR(st.st_mode)) return false;  // the object's GetFile fails on a folder
  return (st.st_mode & S_IWUSR) == 0;
}

// Read-only is the absence of write permission. The write bits a file loses are kept with
// it (an extended attribute, written while the file may still be written), so clearing
// read-only gives them back: 664 stays 664. Without that record the owner gets write access.
void clsFso::FileReadOnly(const std::string& Path, bool vNewValue) {
  if (Path.empty()) return;
  constexpr const char* kWriteBits = "user.kestrafix.write-bits";
  constexpr mode_t kWrite = S_IWUSR | S_IWGRP | S_IWOTH;
  const fsys::path native = ToNative(Path);
  struct stat st {};
  if (::stat(native.c_str(), &st) != 0) return;
  if (fsoActive_ && S_ISDIR(st.st_mode)) return;
  if (((st.st_mode & S_IWUSR) == 0) == vNewValue) return;
  const mode_t mode = st.st_mode & 07777;
  // Errors are ignored throughout; a file system without such attributes loses only the record.
  if (vNewValue) {
    const std::string bits = std::to_string(mode & kWrite);
    ::setxattr(native.c_str(), kWriteBits, bits.data(), bits.size(), 0);
    ::chmod(native.c_str(), mode & ~kWrite);
    return;
  }
  mode_t restore = S_IWUSR;
  char buf[16] = {};
  const ssize_t n = ::getxattr(native.c_str(), kWriteBits, buf, sizeof buf - 1);
  if (n > 0) restore |= static_cast<mode_t>(std::strtoul(buf, nullptr, 10)) & kWrite;
  ::chmod(native.c_str(), mode | restore);
  ::removexattr(native.c_str(), kWriteBits);
}

// In use: another process holds the file open for writing or holds a lock on it. Like the
// exclusive open this stands for, the probe creates a missing file as an empty file.
bool clsFso::FileInUse(const std::string& sFullFile) const {
  if (sFullFile.empty()) return false;
  const fsys::path native = ToNative(sFullFile);
  UniqueFd fd(::open(native.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666));
  struct stat st {};
  if (!fd || ::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  if (LockedByOther(st)) return true;
  return AnyOtherProcess([&](const std::string& pid) {
    return AnyDescriptor(pid, [&](const std::string& link, const std::string& num) {
      struct stat other {};
      return ::stat(link.c_str(), &other) == 0 && other.st_dev == st.st_dev && other.st_ino == st.st_ino &&
             OpenForWriting(pid, num);
    });
  });
}

// In use: another process has a file open or its current folder inside the folder, or the
// folder cannot be renamed (its parent is not writable for us, or it is a mount point).
bool clsFso::FolderInUse(const std::string& sFolder) const {
  if (!FolderExists(sFolder)) return false;
  std::error_code ec;
  const fsys::path folder = fsys::canonical(ToNative(sFolder), ec);
  if (ec) return false;
  struct stat st {
  }, parent{};
  if (::stat(folder.c_str(), &st) != 0) return false;
  if (folder == folder.parent_path() || ::stat(folder.parent_path().c_str(), &parent) != 0) return true;
  if (st.st_dev != parent.st_dev || ::access(folder.parent_path().c_str(), W_OK | X_OK) != 0) return true;
  const std::string root = folder.string();
  auto inside = [&](const std::string& link) {
    char buf[4096];
    ssize_t n = ::readlink(link.c_str(), buf, sizeof buf);
    if (n <= 0) return false;
    std::string_view target(buf, static_cast<std::size_t>(n));
    return target == root || (target.size() > root.size() && target.substr(0, root.size()) == root &&
                              target[root.size()] == '/');
  };
  return AnyOtherProcess([&](const std::string& pid) {
    if (inside("/proc/" + pid + "/cwd")) return true;
    return AnyDescriptor(pid, [&](const std::string& link, const std::string&) { return inside(link); });
  });
}

// Creation time is the birth time where the file system records it, else the change time.
std::string clsFso::FileDate(const std::string& Path, std::int32_t TimeType) const {
  if (Path.empty()) return {};
  UniqueFd fd(::open(ToNative(Path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct statx sx {};
  if (!fd || ::statx(fd.get(), "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) return {};
  if (S_ISDIR(sx.stx_mode)) return {};  // the kernel's file open refuses folders
  std::time_t t = 0;
  switch (TimeType) {
    case 1:
      t = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime.tv_sec : sx.stx_ctime.tv_sec;
      break;
    case 2:
      t = sx.stx_atime.tv_sec;
      break;
    case 4:
      t = sx.stx_mtime.tv_sec;
      break;
    default:
      return "1601-01-01 00:00:00";  // the zero file time
  }
  std::tm tm{};
  ::localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

// Linux cannot set a birth time: bit 1 is passed over; bits 2 and 4 set access and write.
void clsFso::FileDate(const std::string& Path, std::int32_t TimeType, const std::string& vNewValue) {
  std::tm tm{};
  if (Path.empty() || !ParseDateTime(vNewValue, tm)) return;
  const std::time_t t = std::mktime(&tm);
  UniqueFd fd(::open(ToNative(Path).c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK));
  if (!fd) return;
  struct timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
  if (TimeType & 2) times[0] = {t, 0};
  if (TimeType & 4) times[1] = {t, 0};
  if (times[0].tv_nsec == UTIME_OMIT && times[1].tv_nsec == UTIME_OMIT) return;
  ::futimens(fd.get(), times);
}

}  // namespace kx
