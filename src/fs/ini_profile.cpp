#include "fs/ini_profile.h"

#include <cstdint>
#include <filesystem>

#include "core/text.h"
#include "fs/atomic_file.h"
#include "fs/native_path.h"

namespace kx {

namespace {

enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Cp1252 };

// One line of the file: content bytes [begin, end), line end bytes [end, next).
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
  std::string text;  // content decoded to UTF-8
};

enum class Kind { Other, Section, Key };

struct Parsed {
  Kind kind = Kind::Other;
  std::string name;   // section or key name, trimmed
  std::string value;  // key value, trimmed, quotes not yet stripped
};

struct Document {
  std::string bytes;
  Encoding enc = Encoding::Utf8;
  std::size_t bodyStart = 0;  // after the byte order mark
  std::vector<Line> lines;
  bool binary = false;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return TrimRight(s);
}

bool IsUtf16(Encoding e) { return e == Encoding::Utf16Le || e == Encoding::Utf16Be; }

// One UTF-16 code unit at byte offset i: lines are split on code units, not bytes.
std::uint32_t Unit16(const std::string& b, std::size_t i, Encoding e) {
  auto x = static_cast<unsigned char>(b[i]), y = static_cast<unsigned char>(b[i + 1]);
  return e == Encoding::Utf16Le ? (x | (y << 8)) : ((x << 8) | y);
}

std::string DecodeUtf16(const std::string& b, std::size_t from, std::size_t to, Encoding e) {
  return Utf16ToUtf8(std::string_view(b).substr(from, to - from), e == Encoding::Utf16Be);
}

// Bytes of a text in the document's encoding; nullopt when it cannot be written there.
std::optional<std::string> Encode(std::string_view text, Encoding e) {
  switch (e) {
    case Encoding::Utf16Le:
      return Utf8ToUtf16(text, false);
    case Encoding::Utf16Be:
      return Utf8ToUtf16(text, true);
    case Encoding::Cp1252:
      return Utf8ToCp1252(text);
    default:
      return std::string(text);
  }
}

Document Load(std::string bytes) {
  Document d;
  d.bytes = std::move(bytes);
  const std::string& b = d.bytes;
  if (b.size() >= 3 && b.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    d.enc = Encoding::Utf8Bom;
    d.bodyStart = 3;
  } else if (b.size() >= 2 && b[0] == '\xFF' && b[1] == '\xFE') {
    d.enc = Encoding::Utf16Le;
    d.bodyStart = 2;
  } else if (b.size() >= 2 && b[0] == '\xFE' && b[1] == '\xFF') {
    d.enc = Encoding::Utf16Be;
    d.bodyStart = 2;
  } else {
    d.enc = IsValidUtf8(b) ? Encoding::Utf8 : Encoding::Cp1252;
  }
  const bool wide = IsUtf16(d.enc);
  const std::size_t step = wide ? 2 : 1;
  const std::size_t size = wide ? b.size() - ((b.size() - d.bodyStart) % 2) : b.size();
  auto unit = [&](std::size_t i) -> std::uint32_t {
    return wide ? Unit16(b, i, d.enc) : static_cast<unsigned char>(b[i]);
  };
  std::size_t start = d.bodyStart;
  for (std::size_t i = d.bodyStart; i < size;) {
    std::uint32_t u = unit(i);
    if (u == 0) d.binary = true;  // NUL characters: not a text file
    if (u != '\r' && u != '\n') {
      i += step;
      continue;
    }
    Line line{start, i, i + step, {}};
    if (u == '\r' && i + step < size && unit(i + step) == '\n') line.next += step;
    d.lines.push_back(line);
    i = start = line.next;
  }
  if (start < size) d.lines.push_back(Line{start, size, size, {}});
  if (d.binary) return d;
  for (Line& l : d.lines) {
    std::string_view raw(b.data() + l.begin, l.end - l.begin);
    if (wide)
      l.text = DecodeUtf16(b, l.begin, l.end, d.enc);
    else if (d.enc == Encoding::Cp1252)
      l.text = Cp1252ToUtf8(raw);
    else
      l.text = std::string(raw);
  }
  return d;
}

Parsed Parse(std::string_view text) {
  Parsed p;
  std::string_view t = TrimBlanks(text);
  if (t.empty() || t.front() == ';') return p;
  if (t.front() == '[') {
    std::size_t close = t.find(']', 1);
    p.kind = Kind::Section;
    p.name = std::string(TrimBlanks(t.substr(1, close == std::string_view::npos ? t.npos : close - 1)));
    return p;
  }
  std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) return p;
  p.kind = Kind::Key;
  p.name = std::string(TrimBlanks(t.substr(0, eq)));
  p.value = std::string(TrimBlanks(t.substr(eq + 1)));
  return p;
}

// Only double quotes are stripped: the profile writers wrap values in double quotes only,
// and a value in single quotes then reads back as written.
std::string StripQuotes(std::string_view v) {
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  return std::string(v);
}

// Index of the first section header named `section`, or -1.
long FindSection(const Document& d, std::string_view section) {
  for (std::size_t i = 0; i < d.lines.size(); ++i) {
    Parsed p = Parse(d.lines[i].text);
    if (p.kind == Kind::Section && EqualsNoCase(p.name, section)) return static_cast<long>(i);
  }
  return -1;
}

// First line after the section's header that starts another section (or the line count).
std::size_t SectionEnd(const Document& d, std::size_t header) {
  for (std::size_t i = header + 1; i < d.lines.size(); ++i)
    if (Parse(d.lines[i].text).kind == Kind::Section) return i;
  return d.lines.size();
}

std::optional<Document> LoadFile(const std::filesystem::path& native) {
  auto bytes = ReadFileBytes(native);
  if (!bytes) return std::nullopt;
  Document d = Load(std::move(*bytes));
  if (d.binary) return std::nullopt;
  return d;
}

std::vector<std::pair<std::string, std::string>> SectionPairs(const Document& d, std::string_view section) {
  std::vector<std::pair<std::string, std::string>> out;
  long h = FindSection(d, section);
  if (h < 0) return out;
  std::size_t end = SectionEnd(d, static_cast<std::size_t>(h));
  for (std::size_t i = static_cast<std::size_t>(h) + 1; i < end; ++i) {
    Parsed p = Parse(d.lines[i].text);
    if (p.kind == Kind::Key) out.emplace_back(std::move(p.name), StripQuotes(p.value));
  }
  return out;
}

std::string Cut(std::string_view text, std::size_t bufferChars) {
  if (bufferChars == 0) return {};
  return LeftChars(text, bufferChars - 1);
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

std::vector<std::pair<std::string, std::string>> GetPrivateProfileSectionNative(
    const std::filesystem::path& file, std::string_view section) {
  auto d = LoadFile(file);
  if (!d) return {};
  return SectionPairs(*d, section);
}

std::vector<std::pair<std::string, std::string>> GetPrivateProfileSection(const std::string& file,
                                                                          std::string_view section) {
  if (file.empty()) return {};
  return GetPrivateProfileSectionNative(ToNative(file), section);
}

std::string GetPrivateProfileString(const std::string& file, std::string_view section, std::string_view key,
                                    std::string_view deflt, std::size_t bufferChars) {
  std::string_view d = deflt;
  while (!d.empty() && d.back() == ' ') d.remove_suffix(1);
  std::string fallback = Cut(d, bufferChars);
  if (key.empty() || file.empty()) return fallback;
  auto doc = LoadFile(ToNative(file));
  if (!doc) return fallback;
  for (auto& [name, value] : SectionPairs(*doc, section))
    if (EqualsNoCase(name, key)) return Cut(value, bufferChars);
  return fallback;
}

bool WritePrivateProfileString(const std::string& file, std::string_view section,
                               std::optional<std::string_view> key, std::optional<std::string_view> value) {
  try {
    if (file.empty() || HasLineBreak(section) || section.find(']') != std::string_view::npos) return false;
    if (key && (key->empty() || HasLineBreak(*key) || key->find('=') != std::string_view::npos)) return false;
    if (value && HasLineBreak(*value)) return false;
    const std::filesystem::path native = ToNative(file);
    std::error_code ec;
    Document d;
    if (std::filesystem::exists(native, ec)) {
      auto bytes = ReadFileBytes(native);
      if (!bytes) return false;
      d = Load(std::move(*bytes));
      if (d.binary) return false;  // never rewrite a file we cannot read as text
      // A UTF-16 file cut after an odd byte: that half character is no text, and anything
      // written after it would never read back (and be written again, and again).
      if (IsUtf16(d.enc) && (d.bytes.size() - d.bodyStart) % 2 != 0) d.bytes.pop_back();
    } else if (!key || !value) {
      return true;  // nothing to delete
    }
    // A value that Windows-1252 cannot hold turns the file into UTF-8 rather than losing it.
    if (d.enc == Encoding::Cp1252 && value && !Utf8ToCp1252(*value)) {
      d = Load(std::string(d.bytes.substr(0, d.bodyStart)) + Cp1252ToUtf8(d.bytes.substr(d.bodyStart)));
    }
    // Line end of the file's first line; CRLF for files without one.
    std::string eol = *Encode("\r\n", d.enc);
    if (!d.lines.empty() && d.lines.front().next > d.lines.front().end)
      eol = d.bytes.substr(d.lines.front().end, d.lines.front().next - d.lines.front().end);

    std::string& b = d.bytes;
    long h = FindSection(d, section);
    if (!key) {  // delete the section with everything in it
      if (h < 0) return true;
      std::size_t endLine = SectionEnd(d, static_cast<std::size_t>(h));
      std::size_t from = d.lines[static_cast<std::size_t>(h)].begin;
      std::size_t to = endLine < d.lines.size() ? d.lines[endLine].begin : b.size();
      b.erase(from, to - from);
      return WriteFileAtomic(native, b);
    }
    if (h < 0) {
      if (!value) return true;
      auto text = Encode("[" + std::string(section) + "]", d.enc);
      auto kv = Encode(std::string(*key) + "=" + std::string(*value), d.enc);
      if (!text || !kv) return false;
      std::string add;
      if (!d.lines.empty() && d.lines.back().next == d.lines.back().end) add += eol;
      add += *text + eol + *kv + eol;
      b += add;
      return WriteFileAtomic(native, b);
    }
    std::size_t endLine = SectionEnd(d, static_cast<std::size_t>(h));
    std::size_t lastKey = static_cast<std::size_t>(h);
    for (std::size_t i = static_cast<std::size_t>(h) + 1; i < endLine; ++i) {
      Parsed p = Parse(d.lines[i].text);
      if (p.kind != Kind::Key) continue;
      if (EqualsNoCase(p.name, *key)) {
        const Line& l = d.lines[i];
        if (!value) {
          b.erase(l.begin, l.next - l.begin);
          return WriteFileAtomic(native, b);
        }
        // Keep the line's own text up to the value: its key spelling and blanks stay. An
        // empty value leaves "key=", as the Windows writer does.
        std::string_view t = l.text;
        std::size_t eq = t.find('=');
        std::size_t keep = eq + 1;
        while (keep < t.size() && IsBlank(t[keep])) ++keep;
        std::string head(value->empty() ? TrimRight(t.substr(0, eq)) : t.substr(0, keep));
        if (value->empty()) head += '=';
        auto line = Encode(head + std::string(*value), d.enc);
        if (!line) return false;
        b.replace(l.begin, l.end - l.begin, *line);
        return WriteFileAtomic(native, b);
      }
      lastKey = i;
    }
    if (!value) return true;
    auto kv = Encode(std::string(*key) + "=" + std::string(*value), d.enc);
    if (!kv) return false;
    const Line& after = d.lines[lastKey];
    if (after.next == after.end)
      b.insert(after.end, eol + *kv);
    else
      b.insert(after.next, *kv + eol);
    return WriteFileAtomic(native, b);
  } catch (...) {
    return false;  // the writer reports failure by its result only
  }
}

}  // namespace kx
