#pragma once
// Small text files of the job layer (data files). Paths are Windows-form text. A data file
// written anew takes the encoding and the line ends of the file it replaces, so a Windows
// workstation reads it as it read the old one; without such a file: UTF-8 and CR LF.
#include <string>
#include <string_view>

namespace kx {

struct TextFormat {
  enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Cp1252 };
  Encoding encoding = Encoding::Utf8;
  std::string lineEnd = "\r\n";
};

// The encoding of a file's bytes (byte order mark; else UTF-8 when valid, else Windows-1252)
// and its first line end. What the bytes cannot tell (no line end; plain ASCII, which both
// 8-bit encodings read alike) is taken from `assumed`.
TextFormat DetectTextFormat(std::string_view bytes, const TextFormat& assumed = {});
// The same for a file; the defaults when it cannot be read.
TextFormat TextFormatOf(const std::string& sFullFile);

// Appends sText and a line end to the file, creating it in `format` when missing; a file with
// content keeps its own. A Windows-1252 file that cannot hold the text becomes UTF-8 rather
// than lose it. Throws KxError when the file cannot be opened or written.
void AppendTextLine(const std::string& sFullFile, const std::string& sText, const TextFormat& format = {});

// Replaces the file's content by sText and a line end. The new content goes to a temp file that
// is renamed over the old one, so a failure leaves the old file whole. Throws KxError on failure.
void WriteTextFile(const std::string& sFullFile, const std::string& sText, const TextFormat& format = {});

}  // namespace kx
