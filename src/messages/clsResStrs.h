#pragma once
// The message string table: texts looked up by key, loaded from a per-country file.
// Keys compare without regard to case; entries stay sorted by key.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/keyed_collection.h"
#include "core/variant.h"
#include "messages/ClsResStr.h"

namespace kx {

class clsResStrs {
 public:
  using Entries = KeyedCollection<ClsResStr>;

  // Replaces the table by the file's entries. True when the file existed and was read;
  // a read error is reported once and gives false with the entries read so far.
  bool Load(const std::string& sFullFile);
  // Writes the table as UTF-16 LE to the loaded file (bSave) or to Kestrafix.999 beside it.
  void Save(bool bSave);

  // The key's text with "/n", "/t", "/v" and the argument tokens "/1".."/k" replaced.
  template <class... Args>
  std::string Msg(std::string_view Index, Args&&... VarArg) {
    const Variant args[] = {Variant(), Variant(std::forward<Args>(VarArg))...};
    return MsgArgs(Index, std::span<const Variant>(args).subspan(1));
  }
  std::string MsgArgs(std::string_view Index, std::span<const Variant> VarArg);

  // Stored text, unchanged; an absent key is added with empty text.
  std::string Item(std::string_view Index);
  // By 1-based position; a position outside the table yields the empty text.
  std::string Item(long Index) const;
  // Sets the text of a present entry; absent keys and positions are ignored.
  void Item(std::string_view Index, std::string vNewValue);
  void Item(long Index, std::string vNewValue);

  std::int32_t Count() const { return static_cast<std::int32_t>(entries_.Count()); }
  void Remove(std::string_view Index);
  void Remove(long Index);

  // Enumeration in key order.
  Entries::const_iterator begin() const { return entries_.begin(); }
  Entries::const_iterator end() const { return entries_.end(); }

  const std::string& FileName() const { return fileName_; }

 private:
  void AddEmptyKey(std::string_view sKey);
  bool InsertResStr(ClsResStr oResStr);
  static std::string GetKeyGroup(std::string_view sKey);
  static std::string GetVersionText();
  void ReadLines(std::string_view text);
  std::string SaveTarget(bool bSave) const;

  Entries entries_;
  std::string fileName_;
};

// This thread's shared message table (goResStrs), created empty on first use.
clsResStrs& ResStrs();

}  // namespace kx
