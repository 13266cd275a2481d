#include "job_grid_model.h"

namespace kxhost {

namespace {

// Reads a text through one of the add-in's two-step copy calls.
template <class F>
QString ReadText(F&& read) {
  char small[256];
  size_t needed = 0;
  const int rc = read(small, sizeof small, &needed);
  if (rc == KX_OK) return QString::fromUtf8(small);
  if (rc != KX_E_BUFFER_TOO_SMALL) return {};
  QByteArray big(static_cast<qsizetype>(needed), '\0');
  if (read(big.data(), static_cast<size_t>(big.size()), nullptr) != KX_OK) return {};
  return QString::fromUtf8(big.constData());
}

}  // namespace

void JobGridModel::SetGrid(const AddinApi* api, kx_grid* grid) {
  api_ = api;
  grid_ = grid;
  Reload();
}

void JobGridModel::Reload() {
  beginResetModel();
  rows_ = 0;
  names_.clear();
  captions_.clear();
  if (api_ && grid_) {
    int32_t rows = 0, cols = 0;
    if (api_->grid_row_count(grid_, &rows) == KX_OK) rows_ = rows;
    if (api_->grid_column_count(grid_, &cols) != KX_OK) cols = 0;
    for (int32_t c = 0; c < cols; ++c) {
      names_ << ReadText(
          [&](char* b, size_t s, size_t* n) { return api_->grid_column_name(grid_, c, b, s, n); });
      captions_ << ReadText(
          [&](char* b, size_t s, size_t* n) { return api_->grid_column_caption(grid_, c, b, s, n); });
    }
  }
  endResetModel();
}

int JobGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int JobGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(names_.size());
}

QString JobGridModel::CellText(int row, int column) const {
  if (!api_ || !grid_) return {};
  return ReadText(
      [&](char* b, size_t s, size_t* n) { return api_->grid_cell_text(grid_, row, column, b, s, n); });
}

QString JobGridModel::DisplayText(int row, int column) const {
  if (!api_ || !grid_) return {};
  return ReadText([&](char* b, size_t s, size_t* n) {
    return api_->grid_cell_display_text(grid_, row, column, b, s, n);
  });
}

QVariant JobGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !api_ || !grid_) return {};
  if (role == Qt::DisplayRole) return DisplayText(index.row(), index.column());
  if (role == Qt::ToolTipRole) return CellText(index.row(), index.column());
  return {};
}

void JobGridModel::sort(int column, Qt::SortOrder order) {
  if (sorter_) sorter_(column, order);
}

QVariant JobGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Vertical) return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
  if (section < 0 || section >= names_.size()) return {};
  if (role == Qt::DisplayRole) return captions_[section];
  if (role == Qt::ToolTipRole) return names_[section];
  return {};
}

int JobGridModel::ColumnOf(const QString& name) const {
  for (int c = 0; c < names_.size(); ++c) {
    if (names_[c].compare(name, Qt::CaseInsensitive) == 0) return c;
  }
  return -1;
}

}  // namespace kxhost
