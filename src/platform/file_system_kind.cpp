#include "platform/file_system_kind.h"

#include <sys/statfs.h>
#include <sys/statvfs.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

namespace kx {
namespace {

std::mutex g_mutex;
FileSystemProbe g_probe;
NetworkShareWarning g_warning;

// mountinfo writes blanks and the like as octal escapes (\040).
std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s.find_first_not_of("01234567", i + 1) >= i + 4) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 3), nullptr, 8));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

// The type of the mount that holds folder ("fuse.sshfs"), from the longest mount point above it.
std::string MountType(const std::string& folder) {
  std::error_code ec;
  const std::string path = std::filesystem::weakly_canonical(folder, ec).string();
  std::ifstream in("/proc/self/mountinfo");
  std::string line, best, bestType;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string id, parent, dev, root, point, word;
    fields >> id >> parent >> dev >> root >> point;
    while (fields >> word && word != "-") {
    }
    std::string type;
    fields >> type;
    point = Unescape(point);
    const bool above = path == point || point == "/" ||
                       (path.compare(0, point.size(), point) == 0 && path.size() > point.size() &&
                        path[point.size()] == '/');
    if (above && point.size() >= best.size()) {
      best = point;
      bestType = type;
    }
  }
  return bestType;
}

FileSystemInfo RealProbe(const std::string& folder) {
  FileSystemInfo info;
  struct statfs fs {};
  if (statfs(folder.c_str(), &fs) == 0) info.magic = static_cast<unsigned long>(fs.f_type);
  struct statvfs vfs {};
  if (statvfs(folder.c_str(), &vfs) == 0) info.readOnly = (vfs.f_flag & ST_RDONLY) != 0;
  if (info.magic == 0x65735546) {  // FUSE: which one the mount table says
    const std::string type = MountType(folder);
    if (type.rfind("fuse.", 0) == 0) info.fuseType = type.substr(5);
  }
  return info;
}

}  // namespace

FileSystemInfo ProbeFileSystem(const std::string& folder) {
  FileSystemProbe probe;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    probe = g_probe;
  }
  return probe ? probe(folder) : RealProbe(folder);
}

void SetFileSystemProbe(FileSystemProbe probe) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_probe = std::move(probe);
}

std::string NetworkFileSystemName(const FileSystemInfo& info) {
  switch (info.magic) {
    case 0x6969:
      return "nfs";
    case 0x517B:
      return "smb";
    case 0xFF534D42:
      return "cifs";
    case 0xFE534D42:
      return "smb2";
    case 0x01021997:
      return "9p";
    case 0x5346414F:
    case 0x6B414653:
      return "afs";
    case 0x00C36400:
      return "ceph";
    case 0x73757245:
      return "coda";
    case 0x564C:
      return "ncp";
    case 0x7461636F:
      return "ocfs2";
    case 0x01161970:
      return "gfs2";
    case 0x0BD00BD0:
      return "lustre";
    case 0x65735546:
      // FUSE file systems that reach another machine; a local one (an archive, a
      // decrypted folder) keeps WAL.
      for (const char* remote : {"sshfs", "glusterfs", "ceph", "ceph-fuse", "s3fs", "rclone", "gcsfuse",
                                 "davfs", "davfs2", "smbnetfs", "curlftpfs", "juicefs", "moosefs", "mfs",
                                 "lizardfs", "cephfs", "beegfs", "seaweedfs", "goofys"})
        if (info.fuseType == remote) return "fuse." + info.fuseType;
      return {};
    default:
      return {};
  }
}

void SetNetworkShareWarning(NetworkShareWarning warning) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_warning = std::move(warning);
}

void WarnNetworkShare(const std::string& dbName, const std::string& fileSystem) {
  NetworkShareWarning warning;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    warning = g_warning;
  }
  if (warning) warning(dbName, fileSystem);
}

}  // namespace kx
