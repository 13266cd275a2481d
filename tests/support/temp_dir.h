#pragma once
// A temp folder per test, removed with everything in it when the test ends.
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace kx::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(std::string_view rel) const { return path_ / rel; }

  // Writes a file (creating its folders) and returns its native path.
  std::filesystem::path Write(std::string_view rel, std::string_view content = {}) const;
  std::filesystem::path MakeDir(std::string_view rel) const;

 private:
  std::filesystem::path path_;
};

std::string ReadAll(const std::filesystem::path& file);

}  // namespace kx::test
