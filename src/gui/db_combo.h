#pragma once
// The dialogs' drop-down list: an edit field over a list of rows with named columns,
// a value column and a display column. Rows come from added texts (split at the field
// separator) or from the rows of a bound data source.
#include <QComboBox>
#include <string>
#include <string_view>
#include <vector>

#include "core/variant.h"

class QStandardItemModel;
class QTableView;

namespace kx {

class DataSource;

using ListBookmark = long;  // a row's position; -1 means no row

class DbCombo : public QComboBox {
  Q_OBJECT

 public:
  // The four Boolean list settings; the dialogs set them, the list keeps them.
  enum class Setting { A, B, C, D };

  explicit DbCombo(QWidget* parent = nullptr);
  ~DbCombo() override;

  // Columns by position. A new list has one column, "Column 0"; added rows with more
  // fields add columns. Out-of-range positions throw KxError(SubscriptOutOfRange).
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  void SetColumnCount(int count);
  std::string ColumnName(int index) const;
  void SetColumnName(int index, std::string name);
  bool ColumnVisible(int index) const;
  void SetColumnVisible(int index, bool visible);
  int ColumnWidth(int index) const;  // pixels, in the drop-down
  void SetColumnWidth(int index, int pixels);
  int ColumnIndex(std::string_view name) const;  // without case; -1 when none
  int FirstVisibleColumn() const;                // -1 when every column is hidden

  const std::string& FieldSeparator() const { return separator_; }
  void SetFieldSeparator(std::string separator) { separator_ = std::move(separator); }

  // Which column gives the value and which one is shown, by name or by position.
  const std::string& ValueField() const { return valueField_; }
  void SetValueField(std::string_view columnName);
  void SetValueField(int columnIndex) { SetValueField(ColumnName(columnIndex)); }
  const std::string& DisplayField() const { return displayField_; }
  void SetDisplayField(std::string_view columnName);
  void SetDisplayField(int columnIndex) { SetDisplayField(ColumnName(columnIndex)); }

  // Rows in the order added. The text and value shown stay as they are.
  void AddItem(std::string_view text);
  void RemoveAll();
  int RowCount() const;

  // Replaces columns and rows with those of a query result (Null cells become "").
  void SetRows(const std::vector<std::string>& columnNames, const std::vector<std::vector<Variant>>& rows);
  // Fills the list from the rows of a refreshed data source; its columns take the field names.
  void Bind(const DataSource& source);

  // The chosen row's value; a value that no row carries is kept as it is.
  std::string Value() const { return value_; }
  // Selects the first row whose value cell equals value (without case) and shows its display
  // text; otherwise shows the value itself (up to a character code 0, like an edit control).
  void SetValue(std::string_view value);
  std::string Text() const;  // the text in the edit field
  // True only when the edit text equals a row's display text (without case).
  bool IsItemInList() const;

  ListBookmark FirstRowBookmark() const { return RowCount() > 0 ? 0 : -1; }
  // Text of a cell; "" for a bookmark that names no row.
  std::string CellText(int column, ListBookmark bookmark) const;
  std::string CellText(std::string_view columnName, ListBookmark bookmark) const;

  void SetFocus();

  bool ListSetting(Setting which) const { return settings_[static_cast<int>(which)]; }
  void SetListSetting(Setting which, bool on) { settings_[static_cast<int>(which)] = on; }
  void SetListSettings(bool a, bool b, bool c, bool d);
  // A display property the dialogs toggle; it does not change the list.
  bool DisplayFlag() const { return displayFlag_; }
  void SetDisplayFlag(bool on) { displayFlag_ = on; }

  // The dialog's remembered value.
  const std::string& Tag() const { return tag_; }
  void SetTag(std::string tag) { tag_ = std::move(tag); }

 signals:
  // The value changed: a row picked, a text typed, or SetValue with another value.
  void valueChanged();

 private:
  struct ColumnInfo {
    std::string name;
    bool visible = true;
  };

  void CheckColumn(int index) const;
  void ApplyColumns();
  void ResetColumns(const std::vector<std::string>& names);
  void AppendRow(const std::vector<Variant>& cells);
  void AppendRow(const std::vector<std::string>& cells);
  int ValueColumn() const;
  int DisplayColumn() const;
  int FindRow(int column, std::string_view text) const;
  void ShowEditText(const std::string& text);
  void ChangeValue(std::string value);
  void OnActivated(int row);
  void OnTextEdited(const QString& text);

  QStandardItemModel* model_;
  QTableView* view_;
  std::vector<ColumnInfo> columns_;
  std::string separator_ = ";";
  std::string valueField_;
  std::string displayField_;
  std::string value_;
  std::string tag_;
  bool settings_[4] = {false, false, false, false};
  bool displayFlag_ = false;
};

}  // namespace kx
