#pragma once
// The add-in's job grid as a Qt table model: every count, caption and cell is read through
// the add-in's C entry points, so the view shows exactly what the dialogs work on. The grid
// reads its rows by pages and sorts in the database: the model holds no rows of its own.
#include <QAbstractTableModel>
#include <functional>

#include "addin_library.h"

namespace kxhost {

class JobGridModel : public QAbstractTableModel {
 public:
  explicit JobGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  // Shows a grid (null api or grid: an empty model). The model does not own the grid.
  void SetGrid(const AddinApi* api, kx_grid* grid);
  // Rereads the counts and captions after the grid changed (refresh, rows added).
  void Reload();
  // Who sorts the grid when the view asks (a header click); column -1 for table order.
  void SetSorter(std::function<void(int column, Qt::SortOrder order)> sorter) { sorter_ = std::move(sorter); }
  void sort(int column, Qt::SortOrder order) override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // Column position of a name (without case), -1 when none.
  int ColumnOf(const QString& name) const;
  // The stored value as text, and what the view shows (a data type's name instead of its number).
  QString CellText(int row, int column) const;
  QString DisplayText(int row, int column) const;

 private:
  const AddinApi* api_ = nullptr;
  kx_grid* grid_ = nullptr;
  int rows_ = 0;
  QStringList names_;
  QStringList captions_;
  std::function<void(int, Qt::SortOrder)> sorter_;
};

}  // namespace kxhost
