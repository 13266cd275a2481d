#pragma once
// Byte-level side of the message files: reading them whole, telling their encoding,
// splitting lines, and writing the UTF-16 form the table is saved in.
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// Reads the whole file at a native path; throws KxError (70, 75, 76 ...) when it cannot.
std::string ReadMessageFileBytes(const std::string& nativePath);
// Creates or overwrites the file at a native path; throws KxError when it cannot.
void WriteMessageFileBytes(const std::string& nativePath, std::string_view bytes);

// File bytes to UTF-8: a UTF-8 BOM is dropped, UTF-16 LE/BE with a BOM is converted,
// other bytes are taken as UTF-8 when valid and as Windows-1252 otherwise.
std::string DecodeMessageText(std::string_view bytes);
// UTF-8 to UTF-16 little endian, with byte order mark. Invalid bytes become U+FFFD.
std::string EncodeUtf16LeWithBom(std::string_view utf8);

// Lines ended by CRLF, LF or CR; a last line without an end counts, an empty tail does not.
std::vector<std::string_view> SplitTextLines(std::string_view text);

}  // namespace kx
