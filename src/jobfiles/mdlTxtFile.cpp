#include "jobfiles/mdlTxtFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "core/error.h"
#include "fs/atomic_file.h"
#include "fs/native_path.h"
#include "fs/unique_fd.h"

namespace kx {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

[[noreturn]] void RaiseFor(int error, const std::string& file) {
  long number = err::PathFileAccessError;
  if (error == ENOENT || error == ENOTDIR) number = err::PathNotFound;
  if (error == EACCES || error == EPERM || error == EROFS) number = err::PermissionDenied;
  if (error == ENOSPC || error == EDQUOT) number = err::DiskFull;
  throw KxError(number, "mdlTxtFile", file + ": " + std::strerror(error));
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

void AppendTextLine(const std::string& sFullFile, const std::string& sText) {
  const std::filesystem::path native = ToNative(sFullFile);
  UniqueFd fd(::open(native.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
  if (!fd) RaiseFor(errno, sFullFile);
  // One write call, so a line is never interleaved with another writer's.
  const std::string line = sText + std::string(kLineEnd);
  if (!WriteAll(fd.get(), line)) RaiseFor(errno ? errno : EIO, sFullFile);
  if (!fd.Close()) RaiseFor(errno, sFullFile);
}

void WriteTextFile(const std::string& sFullFile, const std::string& sText) {
  const std::filesystem::path native = ToNative(sFullFile);
  errno = 0;
  if (!WriteFileAtomic(native, sText + std::string(kLineEnd))) RaiseFor(errno ? errno : EIO, sFullFile);
}

}  // namespace kx
