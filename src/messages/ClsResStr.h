#pragma once
// One entry of the message table: a lookup key and its text.
#include <string>
#include <utility>

namespace kx {

class ClsResStr {
 public:
  ClsResStr() = default;
  ClsResStr(std::string sKey, std::string sText) : key_(std::move(sKey)), text_(std::move(sText)) {}

  const std::string& Key() const { return key_; }
  void Key(std::string vNewValue) { key_ = std::move(vNewValue); }
  const std::string& Text() const { return text_; }
  void Text(std::string vNewValue) { text_ = std::move(vNewValue); }

 private:
  std::string key_;
  std::string text_;
};

}  // namespace kx
