#pragma once
// Where a job database file lies. SQLite's WAL needs memory shared between the processes that
// use the file, which a network file system (NFS, SMB/CIFS, sshfs, ...) cannot give: there the
// engine keeps a rollback journal and warns that a server is the safe way to share a job
// database. On a read-only file system the file is opened for reading only, as immutable.
#include <functional>
#include <string>

namespace kx {

struct FileSystemInfo {
  unsigned long magic = 0;  // statfs's f_type
  std::string fuseType;     // of a FUSE mount: its type after "fuse." (sshfs, glusterfs, ...)
  bool readOnly = false;    // mounted read-only
};

using FileSystemProbe = std::function<FileSystemInfo(const std::string& folder)>;

// The file system of a folder (statfs, statvfs, and /proc/self/mountinfo for FUSE).
FileSystemInfo ProbeFileSystem(const std::string& folder);
// Tests put a probe of their own in place; an empty one brings back the real one.
void SetFileSystemProbe(FileSystemProbe probe);

// The network file system's name ("nfs", "cifs", "fuse.sshfs", ...), "" for a local one.
std::string NetworkFileSystemName(const FileSystemInfo& info);

// Told when a job database file is opened or made on a network file system (the command line
// prints its warning once); an empty function tells nobody.
using NetworkShareWarning = std::function<void(const std::string& dbName, const std::string& fileSystem)>;
void SetNetworkShareWarning(NetworkShareWarning warning);
void WarnNetworkShare(const std::string& dbName, const std::string& fileSystem);

}  // namespace kx
