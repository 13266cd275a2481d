#include "messages/message_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "core/error.h"
#include "core/text.h"

namespace kx {
namespace {

constexpr const char* kSource = "Kestrafix.clsResStrs";

// Owns one POSIX file descriptor.
class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int Get() const { return fd_; }
  // Closes now so that a failing close (delayed write error) can be reported.
  int Close() {
    int rc = ::close(fd_);
    fd_ = -1;
    return rc;
  }

 private:
  int fd_;
};

[[noreturn]] void ThrowErrno(int e, const std::string& path) {
  long number = err::PathFileAccessError;
  switch (e) {
    case EACCES:
    case EPERM:
    case EROFS:
      number = err::PermissionDenied;
      break;
    case ENOENT:
    case ENOTDIR:
      number = err::PathNotFound;
      break;
    case ENOSPC:
      number = err::DiskFull;
      break;
    default:
      break;
  }
  throw KxError(number, kSource, std::string(std::strerror(e)) + ": " + path);
}

}  // namespace

std::string ReadMessageFileBytes(const std::string& nativePath) {
  UniqueFd fd(::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) ThrowErrno(errno, nativePath);
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) ThrowErrno(errno, nativePath);
  if (S_ISDIR(st.st_mode)) ThrowErrno(EISDIR, nativePath);
  std::string data;
  if (S_ISREG(st.st_mode) && st.st_size > 0) data.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t got = ::read(fd.Get(), buf, sizeof buf);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(errno, nativePath);
    }
    data.append(buf, static_cast<std::size_t>(got));
  }
  return data;
}

void WriteMessageFileBytes(const std::string& nativePath, std::string_view bytes) {
  UniqueFd fd(::open(nativePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (fd.Get() < 0) ThrowErrno(errno, nativePath);
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = ::write(fd.Get(), bytes.data() + done, bytes.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(errno, nativePath);
    }
    done += static_cast<std::size_t>(put);
  }
  if (fd.Close() != 0) ThrowErrno(errno, nativePath);
}

std::string DecodeMessageText(std::string_view bytes) {
  auto starts = [&](std::string_view bom) { return bytes.substr(0, bom.size()) == bom; };
  if (starts("\xEF\xBB\xBF"))
    bytes.remove_prefix(3);
  else if (starts("\xFF\xFE"))
    return Utf16ToUtf8(bytes.substr(2), false);
  else if (starts("\xFE\xFF"))
    return Utf16ToUtf8(bytes.substr(2), true);
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Cp1252ToUtf8(bytes);
}

std::string EncodeUtf16LeWithBom(std::string_view utf8) { return "\xFF\xFE" + Utf8ToUtf16(utf8, false); }

std::vector<std::string_view> SplitTextLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

}  // namespace kx
