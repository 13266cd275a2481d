#include "fs/internal/fso_helpers.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "core/error.h"
#include "core/like.h"
#include "core/text.h"
#include "fs/unique_fd.h"

namespace kx::fs_detail {

void Raise(long number) {
  const char* text = "Invalid procedure call or argument";
  switch (number) {
    case err::FileNotFound:
      text = "File not found";
      break;
    case err::FileAlreadyExists:
      text = "File already exists";
      break;
    case err::DeviceUnavailable:
      text = "Device unavailable";
      break;
    case err::PermissionDenied:
      text = "Permission denied";
      break;
    case err::PathNotFound:
      text = "Path not found";
      break;
    case err::PathFileAccessError:
      text = "Path/File access error";
      break;
    case err::DiskFull:
      text = "Disk full";
      break;
    default:
      break;
  }
  throw KxError(number, "clsFso", text);
}

void RaiseErrno(int error, long notFound) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      Raise(notFound);
    case EEXIST:
    case ENOTEMPTY:
      Raise(err::FileAlreadyExists);
    case ENOSPC:
    case EDQUOT:
      Raise(err::DiskFull);
    default:
      Raise(err::PermissionDenied);
  }
}

int ShellCode(int error) {
  switch (error) {
    case 0:
      return 0x402;
    case ENOENT:
      return 2;
    case ENOTDIR:
      return 3;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
      return 5;
    case EEXIST:
    case ENOTEMPTY:
      return 0x50;
    case ENOSPC:
    case EDQUOT:
      return 0x70;
    case EINVAL:
      return 0x71;
    case ENAMETOOLONG:
      return 0x7C;
    default:
      return 0x402;
  }
}

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

std::vector<std::string> SplitList(std::string_view list) {
  std::vector<std::string> out;
  for (auto& part : Split(list, ";"))
    if (!part.empty()) out.push_back(std::move(part));
  return out;
}

std::vector<std::string> MatchNames(const std::filesystem::path& folder, std::string_view pattern, int want) {
  std::vector<std::string> out;
  UniqueDir dir(::opendir(folder.c_str()));
  if (!dir) return out;
  while (dirent* e = ::readdir(dir.get())) {
    std::string_view name(e->d_name);
    if (name == "." || name == ".." || !DirPatternMatch(name, pattern)) continue;
    if (want != 0) {
      bool isDir = e->d_type == DT_DIR;
      if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
        struct stat st {};
        isDir = ::stat((folder / name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
      }
      if ((want == 1) == isDir) continue;
    }
    out.emplace_back(name);
  }
  std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
    int c = CompareNoCase(a, b);
    return c != 0 ? c < 0 : a < b;
  });
  return out;
}

}  // namespace kx::fs_detail
