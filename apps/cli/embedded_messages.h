#pragma once
// The shipped message files (examples/ResStr), compiled into the binary.
#include <string_view>
#include <vector>

namespace kx::cli {

struct EmbeddedFile {
  std::string_view name;  // "torvel.049"
  std::string_view bytes;
};

const std::vector<EmbeddedFile>& EmbeddedMessageFiles();

}  // namespace kx::cli
