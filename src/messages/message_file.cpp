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

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size());
  auto unit = [&](std::size_t i) -> std::uint32_t {
    auto b0 = static_cast<unsigned char>(bytes[i]);
    auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
  };
  const std::size_t n = bytes.size() & ~std::size_t{1};  // an odd last byte is dropped
  for (std::size_t i = 0; i < n; i += 2) {
    std::uint32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < n) {
      std::uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u);
  }
  return out;
}

// Next code point of UTF-8 text; invalid sequences yield U+FFFD and advance one byte.
std::uint32_t NextCodePoint(std::string_view s, std::size_t& i) {
  auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = b(i);
  if (c < 0x80) {
    ++i;
    return c;
  }
  int len = (c >= 0xF0 && c <= 0xF4) ? 4 : (c >= 0xE0) && c < 0xF0 ? 3 : (c >= 0xC2 && c < 0xE0) ? 2 : 0;
  if (len == 0 || i + len > s.size()) {
    ++i;
    return 0xFFFD;
  }
  std::uint32_t cp = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
  for (int k = 1; k < len; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  const bool overlong = (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += len;
  return cp;
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

std::string EncodeUtf16LeWithBom(std::string_view utf8) {
  std::string out = "\xFF\xFE";
  out.reserve(2 + utf8.size() * 2);
  auto put = [&](std::uint32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  for (std::size_t i = 0; i < utf8.size();) {
    std::uint32_t cp = NextCodePoint(utf8, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(0xD800 + (cp >> 10));
      put(0xDC00 + (cp & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

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
