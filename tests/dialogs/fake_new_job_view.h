#pragma once
// A new-job dialog without widgets: controls are map entries, and what the logic does to
// the dialog (focus, selection, status texts) is recorded in call order.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/variant.h"
#include "dialogs/new_job_view.h"

namespace kx::test {

class FakeNewJobView : public INewJobView {
 public:
  struct List {
    Variant value;     // the bound column's value
    std::string text;  // the shown text
    bool inList = true;
  };
  struct Selection {
    std::string control;
    int start = 0;
    int length = 0;
  };

  std::map<std::string, std::string, std::less<>> texts;
  std::map<std::string, List, std::less<>> lists;
  std::map<std::string, std::string, std::less<>> captions;
  std::map<std::string, bool, std::less<>> checks;

  std::vector<std::string> focused;
  std::vector<std::string> statuses;
  std::vector<Selection> selections;
  std::vector<std::string> textsSet;  // controls whose text the logic replaced

  // A list showing text whose value is the same text.
  void SetList(const std::string& control, const std::string& text, bool inList = true) {
    lists[control] = List{Variant(text), text, inList};
  }

  std::string Text(std::string_view control) const override { return Find(texts, control, std::string()); }
  void SetText(std::string_view control, const std::string& text) override {
    texts[std::string(control)] = text;
    textsSet.emplace_back(control);
  }
  void Select(std::string_view control, int start, int length) override {
    selections.push_back({std::string(control), start, length});
  }
  Variant ListValue(std::string_view control) const override { return Find(lists, control, List{}).value; }
  std::string ListText(std::string_view control) const override { return Find(lists, control, List{}).text; }
  bool ListIsItemInList(std::string_view control) const override {
    return Find(lists, control, List{Variant(), std::string(), false}).inList;
  }
  std::string Caption(std::string_view control) const override {
    return Find(captions, control, std::string());
  }
  bool Checked(std::string_view control) const override { return Find(checks, control, false); }
  void Focus(std::string_view control) override { focused.emplace_back(control); }
  void ShowStatus(const std::string& text) override { statuses.push_back(text); }

  // The last focus and status ("" when none).
  std::string LastFocus() const { return focused.empty() ? std::string() : focused.back(); }
  std::string LastStatus() const { return statuses.empty() ? std::string() : statuses.back(); }

 private:
  template <class Map, class T>
  static T Find(const Map& map, std::string_view key, T fallback) {
    const auto it = map.find(key);
    return it == map.end() ? fallback : it->second;
  }
};

}  // namespace kx::test
