#pragma once
// Owner of a POSIX file descriptor (and of a DIR stream), closed when it goes out of scope.
#include <dirent.h>
#include <unistd.h>

#include <filesystem>
#include <utility>

namespace kx {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Close(); }
  UniqueFd(UniqueFd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& o) noexcept {
    if (this != &o) {
      Close();
      fd_ = std::exchange(o.fd_, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // True when there was nothing to close or the close succeeded.
  bool Close() {
    if (fd_ < 0) return true;
    int rc = ::close(std::exchange(fd_, -1));
    return rc == 0;
  }

 private:
  int fd_ = -1;
};

class UniqueDir {
 public:
  explicit UniqueDir(DIR* d) : d_(d) {}
  ~UniqueDir() {
    if (d_) ::closedir(d_);
  }
  UniqueDir(const UniqueDir&) = delete;
  UniqueDir& operator=(const UniqueDir&) = delete;
  DIR* get() const { return d_; }
  explicit operator bool() const { return d_ != nullptr; }

 private:
  DIR* d_;
};

// Flushes a folder's entries (after a rename or create inside it).
void SyncFolder(const std::filesystem::path& folder);

}  // namespace kx
