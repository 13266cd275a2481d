#pragma once
// The native half of the deletion guards: whatever the Windows-form text said, a delete
// must never reach the operating system's own folders or a user's home folder.
#include <filesystem>

namespace kx::fs_detail {

// True when `native`, resolved through "..", symbolic links and the current folder, is "/",
// a top-level folder ("/tmp", "/home" themselves), lies in /bin, /boot, /dev, /etc, /lib*,
// /proc, /run, /sbin, /sys, /usr or /var, or is a user's home folder itself (any home of
// /etc/passwd, or $HOME). Touches nothing.
bool IsProtectedLocation(const std::filesystem::path& native);

}  // namespace kx::fs_detail
