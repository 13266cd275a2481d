#include "messages/clsResStrs.h"

#include <filesystem>
#include <memory>

#include "config/shared_state.h"
#include "core/error.h"
#include "core/text.h"
#include "fs/native_path.h"
#include "kx_version.h"
#include "messages/message_file.h"
#include "platform/ui_services.h"

namespace kx {
namespace {

constexpr std::string_view kModuleName = "Kestrafix";
constexpr std::string_view kGroupOpen = "//<<< ";
constexpr std::string_view kGroupClose = "//>>> ";

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Argument tokens in one pass over the message text, so that argument values are never
// scanned again: at each "/" the longest following number between 1 and the argument count
// is taken. That picks "/10" over "/1" exactly as replacing from the highest number down does.
std::string ReplaceArgumentTokens(std::string_view text, std::span<const Variant> args) {
  if (args.empty()) return std::string(text);
  const std::size_t maxDigits = std::to_string(args.size()).size();
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '/') {
      std::size_t best = 0, bestLen = 0, value = 0;
      for (std::size_t len = 1; len <= maxDigits && i + len < text.size() && IsDigit(text[i + len]); ++len) {
        value = value * 10 + static_cast<std::size_t>(text[i + len] - '0');
        if (text[i + 1] != '0' && value >= 1 && value <= args.size()) {
          best = value;
          bestLen = len;
        }
      }
      if (best != 0) {
        out += args[best - 1].ToText();
        i += 1 + bestLen;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

std::string NativeOf(const std::string& path) { return std::filesystem::path(ToNative(path)).string(); }

void ReportFailure(const std::exception& e, const char* procedure) {
  if (const auto* kx = dynamic_cast<const KxError*>(&e)) {
    ReportError(*kx, procedure);
  } else {
    ReportError(err::PathFileAccessError, std::string(kModuleName) + ".clsResStrs", e.what(), procedure);
  }
}

}  // namespace

bool clsResStrs::Load(const std::string& sFullFile) {
  entries_.Clear();
  fileName_ = sFullFile;
  try {
    if (!Fso().FileExists(sFullFile)) return false;
    const std::string text = DecodeMessageText(ReadMessageFileBytes(NativeOf(sFullFile)));
    ReadLines(text);
    return true;
  } catch (const std::exception& e) {
    // One report and out: retrying a file that cannot be read would only repeat it.
    ReportFailure(e, "Load");
    return false;
  }
}

void clsResStrs::ReadLines(std::string_view text) {
  for (std::string_view line : SplitTextLines(text)) {
    const std::string_view t = TrimBlanks(line);
    if (t.empty() || t.starts_with("//")) continue;
    const std::size_t eq = line.find('=');
    // Tabs go first, then the blanks at both ends: a key is read back as it is saved.
    std::string key;
    for (char c : line.substr(0, eq))
      if (c != '\t') key += c;
    key = std::string(TrimBlanks(key));
    // A line such as "=text" names no key; nothing could look it up. A key that starts with
    // "//" once its tabs are gone would be saved as a comment line: it is one already.
    if (key.empty() || key.starts_with("//")) continue;
    std::string value = eq == std::string_view::npos ? std::string() : std::string(line.substr(eq + 1));
    InsertResStr(ClsResStr(std::move(key), std::move(value)));
  }
}

bool clsResStrs::InsertResStr(ClsResStr oResStr) {
  const std::string key = oResStr.Key();
  return entries_.InsertSorted(std::move(oResStr), key) != 0;
}

void clsResStrs::AddEmptyKey(std::string_view sKey) {
  try {
    InsertResStr(ClsResStr(std::string(sKey), std::string()));
  } catch (const KxError&) {
    // A key the collection refuses stays out; the caller still gets the empty text.
  }
}

std::string clsResStrs::MsgArgs(std::string_view Index, std::span<const Variant> VarArg) {
  std::string text = Item(Index);
  text = ReplaceAll(text, "/n", "\r\n");
  text = ReplaceAll(text, "/t", "\t");
  text = ReplaceAll(text, "/v", GetVersionText());
  return ReplaceArgumentTokens(text, VarArg);
}

std::string clsResStrs::Item(std::string_view Index) {
  if (const ClsResStr* entry = entries_.Find(Index)) return entry->Text();
  AddEmptyKey(Index);
  return std::string();
}

std::string clsResStrs::Item(long Index) const {
  if (Index < 1 || Index > entries_.Count()) return std::string();
  return entries_.Item(Index).Text();
}

void clsResStrs::Item(std::string_view Index, std::string vNewValue) {
  if (ClsResStr* entry = entries_.Find(Index)) entry->Text(std::move(vNewValue));
}

void clsResStrs::Item(long Index, std::string vNewValue) {
  if (Index < 1 || Index > entries_.Count()) return;
  entries_.Item(Index).Text(std::move(vNewValue));
}

void clsResStrs::Remove(std::string_view Index) {
  if (entries_.HasKey(Index)) entries_.Remove(Index);
}

void clsResStrs::Remove(long Index) {
  if (Index >= 1 && Index <= entries_.Count()) entries_.Remove(Index);
}

std::string clsResStrs::GetKeyGroup(std::string_view sKey) {
  return std::string(sKey.substr(0, sKey.find_first_of(".(")));
}

std::string clsResStrs::GetVersionText() {
  return std::to_string(KX_VERSION_MAJOR) + "." + std::to_string(KX_VERSION_MINOR) + "." +
         std::to_string(KX_VERSION_PATCH);
}

std::string clsResStrs::SaveTarget(bool bSave) const {
  if (bSave) return fileName_;
  const std::size_t sep = fileName_.find_last_of("\\/");
  const std::string folder = sep == std::string::npos ? std::string() : fileName_.substr(0, sep + 1);
  return folder + std::string(kModuleName) + ".999";
}

void clsResStrs::Save(bool bSave) {
  if (fileName_.empty()) return;
  try {
    std::string out;
    std::string group;
    for (const ClsResStr& entry : entries_) {
      std::string entryGroup = GetKeyGroup(entry.Key());
      if (group.empty()) {
        group = std::move(entryGroup);
        out.append(kGroupOpen).append(group).append("\r\n");
      } else if (entryGroup != group) {
        out.append(kGroupClose).append(group).append("\r\n\r\n");
        group = std::move(entryGroup);
        out.append(kGroupOpen).append(group).append("\r\n");
      }
      out.append(entry.Key()).append("=").append(entry.Text()).append("\r\n");
    }
    out.append(kGroupClose).append(group).append("\r\n");
    WriteMessageFileBytes(NativeOf(SaveTarget(bSave)), EncodeUtf16LeWithBom(out));
  } catch (const std::exception& e) {
    ReportFailure(e, "Save");
  }
}

clsResStrs& ResStrs() {
  auto& table = Shared().goResStrs;
  if (!table) table = std::make_shared<clsResStrs>();
  return *table;
}

}  // namespace kx
