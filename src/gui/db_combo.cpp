#include "gui/db_combo.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>

#include "core/error.h"
#include "core/text.h"
#include "platform/data_source.h"

namespace kx {

namespace {

constexpr const char* kSource = "DbCombo";

QString ToQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string DefaultColumnName(int index) { return "Column " + std::to_string(index); }

}  // namespace

DbCombo::DbCombo(QWidget* parent)
    : QComboBox(parent), model_(new QStandardItemModel(0, 1, this)), view_(new QTableView) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  // Typing must not be completed behind the user's back: the typed text is the value.
  setCompleter(nullptr);
  setModel(model_);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->verticalHeader()->hide();
  view_->horizontalHeader()->hide();
  view_->setShowGrid(false);
  setView(view_);  // the combo owns the view from here on
  columns_.push_back({DefaultColumnName(0), true});
  ApplyColumns();
  connect(this, &QComboBox::activated, this, &DbCombo::OnActivated);
  connect(lineEdit(), &QLineEdit::textEdited, this, &DbCombo::OnTextEdited);
}

DbCombo::~DbCombo() = default;

void DbCombo::CheckColumn(int index) const {
  if (index < 0 || index >= ColumnCount()) {
    throw KxError(err::SubscriptOutOfRange, kSource, "Subscript out of range");
  }
}

void DbCombo::SetColumnCount(int count) {
  if (count < 1) throw KxError(err::InvalidProcedureCall, kSource, "Invalid procedure call or argument");
  while (ColumnCount() < count) columns_.push_back({DefaultColumnName(ColumnCount()), true});
  columns_.resize(static_cast<std::size_t>(count));
  ApplyColumns();
}

std::string DbCombo::ColumnName(int index) const {
  CheckColumn(index);
  return columns_[static_cast<std::size_t>(index)].name;
}

void DbCombo::SetColumnName(int index, std::string name) {
  CheckColumn(index);
  columns_[static_cast<std::size_t>(index)].name = std::move(name);
  ApplyColumns();
}

bool DbCombo::ColumnVisible(int index) const {
  CheckColumn(index);
  return columns_[static_cast<std::size_t>(index)].visible;
}

void DbCombo::SetColumnVisible(int index, bool visible) {
  CheckColumn(index);
  columns_[static_cast<std::size_t>(index)].visible = visible;
  ApplyColumns();
}

int DbCombo::ColumnWidth(int index) const {
  CheckColumn(index);
  return view_->columnWidth(index);
}

void DbCombo::SetColumnWidth(int index, int pixels) {
  CheckColumn(index);
  view_->setColumnWidth(index, pixels);
}

int DbCombo::ColumnIndex(std::string_view name) const {
  for (int i = 0; i < ColumnCount(); ++i) {
    if (EqualsNoCase(columns_[static_cast<std::size_t>(i)].name, name)) return i;
  }
  return -1;
}

int DbCombo::FirstVisibleColumn() const {
  for (int i = 0; i < ColumnCount(); ++i) {
    if (columns_[static_cast<std::size_t>(i)].visible) return i;
  }
  return -1;
}

void DbCombo::ApplyColumns() {
  // Changing the model's shape or the shown column must not change the edit text.
  const QString shown = lineEdit()->text();
  if (model_->columnCount() != ColumnCount()) model_->setColumnCount(ColumnCount());
  QStringList labels;
  for (int i = 0; i < ColumnCount(); ++i) {
    const auto& c = columns_[static_cast<std::size_t>(i)];
    labels << ToQt(c.name);
    view_->setColumnHidden(i, !c.visible);
  }
  model_->setHorizontalHeaderLabels(labels);
  const int display = DisplayColumn();
  setModelColumn(display >= 0 ? display : 0);
  if (lineEdit()->text() != shown) lineEdit()->setText(shown);
}

// An unset field means the first column, as a list with one column expects.
int DbCombo::ValueColumn() const { return valueField_.empty() ? 0 : ColumnIndex(valueField_); }
int DbCombo::DisplayColumn() const { return displayField_.empty() ? 0 : ColumnIndex(displayField_); }

void DbCombo::SetValueField(std::string_view columnName) { valueField_ = std::string(columnName); }

void DbCombo::SetDisplayField(std::string_view columnName) {
  displayField_ = std::string(columnName);
  ApplyColumns();
}

void DbCombo::AddItem(std::string_view text) {
  std::vector<std::string> fields =
      separator_.empty() ? std::vector<std::string>{std::string(text)} : Split(text, separator_);
  if (static_cast<int>(fields.size()) > ColumnCount()) SetColumnCount(static_cast<int>(fields.size()));
  AppendRow(fields);
}

void DbCombo::AppendRow(const std::vector<std::string>& cells) {
  QList<QStandardItem*> items;
  for (int i = 0; i < ColumnCount(); ++i) {
    const auto at = static_cast<std::size_t>(i);
    auto* item = new QStandardItem(at < cells.size() ? ToQt(cells[at]) : QString());
    item->setEditable(false);
    items << item;
  }
  // The combo selects the first row added to an empty list; the list keeps its text instead.
  const QString shown = lineEdit()->text();
  const int before = currentIndex();
  model_->appendRow(items);
  if (currentIndex() != before) setCurrentIndex(before);
  if (lineEdit()->text() != shown) lineEdit()->setText(shown);
}

void DbCombo::RemoveAll() {
  const QString shown = lineEdit()->text();
  model_->removeRows(0, model_->rowCount());
  setCurrentIndex(-1);
  if (lineEdit()->text() != shown) lineEdit()->setText(shown);
}

int DbCombo::RowCount() const { return model_->rowCount(); }

void DbCombo::ResetColumns(const std::vector<std::string>& names) {
  RemoveAll();
  columns_.clear();
  for (const auto& name : names) columns_.push_back({name, true});
  if (columns_.empty()) columns_.push_back({DefaultColumnName(0), true});
  ApplyColumns();
}

void DbCombo::AppendRow(const std::vector<Variant>& cells) {
  std::vector<std::string> texts;
  texts.reserve(cells.size());
  for (const auto& v : cells) texts.push_back(v.ToText());
  AppendRow(texts);
}

void DbCombo::SetRows(const std::vector<std::string>& columnNames,
                      const std::vector<std::vector<Variant>>& rows) {
  ResetColumns(columnNames);
  for (const auto& row : rows) AppendRow(row);
}

void DbCombo::Bind(const DataSource& source) {
  ResetColumns(source.ColumnNames());
  for (std::size_t r = 0; r < source.RowCount(); ++r) AppendRow(source.Row(r));
}

std::string DbCombo::CellText(int column, ListBookmark bookmark) const {
  CheckColumn(column);
  if (bookmark < 0 || bookmark >= RowCount()) return {};
  const QStandardItem* item = model_->item(static_cast<int>(bookmark), column);
  return item ? item->text().toStdString() : std::string();
}

std::string DbCombo::CellText(std::string_view columnName, ListBookmark bookmark) const {
  const int column = ColumnIndex(columnName);
  if (column < 0) throw KxError(err::SubscriptOutOfRange, kSource, "Subscript out of range");
  return CellText(column, bookmark);
}

int DbCombo::FindRow(int column, std::string_view text) const {
  if (column < 0) return -1;
  for (int r = 0; r < RowCount(); ++r) {
    if (EqualsNoCase(CellText(column, r), text)) return r;
  }
  return -1;
}

void DbCombo::ShowEditText(const std::string& text) {
  // An edit control ends its text at a character code 0; "\0" therefore shows nothing.
  const QString shown = ToQt(std::string_view(text).substr(0, text.find('\0')));
  if (lineEdit()->text() != shown) lineEdit()->setText(shown);
}

void DbCombo::ChangeValue(std::string value) {
  if (value == value_) return;
  value_ = std::move(value);
  emit valueChanged();
}

void DbCombo::SetValue(std::string_view value) {
  const int valueColumn = ValueColumn();
  const int row = FindRow(valueColumn, value);
  if (row >= 0) {
    setCurrentIndex(row);
    const int display = DisplayColumn();
    ShowEditText(display >= 0 ? CellText(display, row) : std::string());
    ChangeValue(CellText(valueColumn, row));
  } else {
    setCurrentIndex(-1);
    ShowEditText(std::string(value));
    ChangeValue(std::string(value));
  }
}

std::string DbCombo::Text() const { return lineEdit()->text().toStdString(); }

bool DbCombo::IsItemInList() const { return FindRow(DisplayColumn(), Text()) >= 0; }

void DbCombo::SetFocus() { setFocus(Qt::OtherFocusReason); }

void DbCombo::SetListSettings(bool a, bool b, bool c, bool d) {
  settings_[0] = a;
  settings_[1] = b;
  settings_[2] = c;
  settings_[3] = d;
}

void DbCombo::OnActivated(int row) {
  if (row < 0 || row >= RowCount()) return;
  const int display = DisplayColumn();
  ShowEditText(display >= 0 ? CellText(display, row) : std::string());
  const int valueColumn = ValueColumn();
  ChangeValue(valueColumn >= 0 ? CellText(valueColumn, row) : Text());
}

void DbCombo::OnTextEdited(const QString& text) {
  // A typed text that names a row stands for that row's value; any other text is the value.
  const std::string typed = text.toStdString();
  const int row = FindRow(DisplayColumn(), typed);
  const int valueColumn = ValueColumn();
  ChangeValue(row >= 0 && valueColumn >= 0 ? CellText(valueColumn, row) : typed);
}

}  // namespace kx
