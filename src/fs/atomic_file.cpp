#include "fs/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "fs/unique_fd.h"

namespace kx {

namespace fsys = std::filesystem;

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

void SyncFolder(const fsys::path& folder) {
  UniqueFd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir) ::fsync(dir.get());
}

bool WriteFileAtomic(const fsys::path& targetIn, std::string_view bytes) {
  std::error_code ec;
  fsys::path target = targetIn;
  // Replace the file a link points to, not the link.
  if (fsys::is_symlink(target, ec)) {
    target = fsys::weakly_canonical(target, ec);
    if (ec) return false;
  }
  fsys::path folder = target.parent_path();
  std::string tmpl = (folder / ("." + target.filename().string() + ".kxtmp-XXXXXX")).string();
  UniqueFd fd(::mkostemp(tmpl.data(), O_CLOEXEC));
  if (!fd) return false;
  struct stat st {};
  mode_t mode = 0644;
  if (::stat(target.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
  ok = fd.Close() && ok;
  if (ok && ::rename(tmpl.c_str(), target.c_str()) == 0) {
    SyncFolder(folder);
    return true;
  }
  ::unlink(tmpl.c_str());
  return false;
}

std::optional<std::string> ReadFileBytes(const fsys::path& file) {
  UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return std::nullopt;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
  std::string out;
  if (st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  return out;
}

}  // namespace kx
