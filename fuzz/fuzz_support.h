#pragma once
// What the fuzz targets share: a broken property stops the run (libFuzzer keeps the input),
// and a scratch file of this process for the targets that read and write files.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#define KX_FUZZ_CHECK(cond)                                                             \
  do {                                                                                  \
    if (!(cond)) {                                                                      \
      std::fprintf(stderr, "property broken: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
      std::abort();                                                                     \
    }                                                                                   \
  } while (0)

namespace kx::fuzz {

// A folder of this process in the temp folder, removed when the run ends normally.
struct ScratchDir {
  std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("kx-fuzz-" + std::to_string(::getpid()));
  ScratchDir() { std::filesystem::create_directories(path); }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

// A file of that folder, rewritten for each input.
inline std::string ScratchFile(std::string_view name, std::string_view content) {
  static const ScratchDir dir;
  const std::filesystem::path file = dir.path / std::string(name);
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(content.data(), static_cast<std::streamsize>(content.size()));
  return file.string();
}

}  // namespace kx::fuzz
