#pragma once
// Small text files of the job layer (data files). Paths are Windows-form text. Lines end with
// CR LF, as the job manager's Windows workstations expect. Texts are written as UTF-8, the
// system's own encoding on Linux (the job manager's 8-bit code page has no place here).
#include <string>

namespace kx {

// Appends sText and a line end to the file, creating it when missing. Throws KxError when the
// file cannot be opened or written.
void AppendTextLine(const std::string& sFullFile, const std::string& sText);

// Replaces the file's content by sText and a line end. The new content goes to a temp file that
// is renamed over the old one, so a failure leaves the old file whole. Throws KxError on failure.
void WriteTextFile(const std::string& sFullFile, const std::string& sText);

}  // namespace kx
