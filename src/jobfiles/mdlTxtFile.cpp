#include "jobfiles/mdlTxtFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>

#include "core/error.h"
#include "core/text.h"
#include "fs/atomic_file.h"
#include "fs/native_path.h"
#include "fs/unique_fd.h"

namespace kx {

namespace {

using Encoding = TextFormat::Encoding;

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

std::string_view Bom(Encoding e) {
  switch (e) {
    case Encoding::Utf8Bom:
      return "\xEF\xBB\xBF";
    case Encoding::Utf16Le:
      return "\xFF\xFE";
    case Encoding::Utf16Be:
      return "\xFE\xFF";
    default:
      return {};
  }
}

// The bytes of a text in the encoding; nullopt when Windows-1252 has no byte for a character.
std::optional<std::string> Encode(std::string_view text, Encoding e) {
  switch (e) {
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
      return Utf8ToUtf16(text, e == Encoding::Utf16Be);
    case Encoding::Cp1252:
      return Utf8ToCp1252(text);
    default:
      return std::string(text);
  }
}

// A whole file's bytes: the byte order mark, then the text; UTF-8 when Windows-1252 cannot hold it.
std::string FileBytes(std::string_view text, const TextFormat& format) {
  if (auto bytes = Encode(text, format.encoding)) return std::string(Bom(format.encoding)) + *bytes;
  return std::string(text);
}

}  // namespace

TextFormat DetectTextFormat(std::string_view bytes, const TextFormat& assumed) {
  TextFormat f = assumed;
  std::string text;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    f.encoding = Encoding::Utf8Bom;
    text = bytes.substr(3);
  } else if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    f.encoding = bytes[0] == '\xFF' ? Encoding::Utf16Le : Encoding::Utf16Be;
    text = Utf16ToUtf8(bytes.substr(2), f.encoding == Encoding::Utf16Be);
  } else if (std::any_of(bytes.begin(), bytes.end(),
                         [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
    f.encoding = IsValidUtf8(bytes) ? Encoding::Utf8 : Encoding::Cp1252;
    text = bytes;
  } else if (f.encoding != Encoding::Cp1252) {
    f.encoding = Encoding::Utf8;
    text = bytes;
  } else {
    text = bytes;
  }
  const std::size_t end = text.find_first_of("\r\n");
  if (end != std::string::npos) f.lineEnd = text.compare(end, 2, "\r\n") == 0 ? "\r\n" : text.substr(end, 1);
  return f;
}

TextFormat TextFormatOf(const std::string& sFullFile) {
  const std::optional<std::string> bytes = ReadFileBytes(ToNative(sFullFile));
  return bytes ? DetectTextFormat(*bytes) : TextFormat{};
}

void AppendTextLine(const std::string& sFullFile, const std::string& sText, const TextFormat& format) {
  const std::filesystem::path native = ToNative(sFullFile);
  const std::optional<std::string> old = ReadFileBytes(native);
  const TextFormat f = old && !old->empty() ? DetectTextFormat(*old, format) : format;
  std::optional<std::string> bytes = Encode(sText + f.lineEnd, f.encoding);
  if (!bytes) {  // the file so far in UTF-8, then the line
    WriteTextFile(sFullFile, (old ? Cp1252ToUtf8(*old) : std::string()) + sText, {Encoding::Utf8, f.lineEnd});
    return;
  }
  UniqueFd fd(::open(native.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
  if (!fd) RaiseFor(errno, sFullFile);
  struct stat st {};
  if (::fstat(fd.get(), &st) == 0 && st.st_size == 0) bytes->insert(0, Bom(f.encoding));
  // One write call, so a line is never interleaved with another writer's.
  if (!WriteAll(fd.get(), *bytes)) RaiseFor(errno ? errno : EIO, sFullFile);
  if (!fd.Close()) RaiseFor(errno, sFullFile);
}

void WriteTextFile(const std::string& sFullFile, const std::string& sText, const TextFormat& format) {
  const std::filesystem::path native = ToNative(sFullFile);
  errno = 0;
  if (!WriteFileAtomic(native, FileBytes(sText + format.lineEnd, format)))
    RaiseFor(errno ? errno : EIO, sFullFile);
}

}  // namespace kx
