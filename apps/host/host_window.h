#pragma once
// kestrafix-host's main window: the job table of the host configuration's job database in a
// sortable table, and the add-in's two commands, run the way any host runs an add-in.
#include <QMainWindow>
#include <memory>

#include "addin_library.h"
#include "host_prompts.h"

class QAction;
class QSortFilterProxyModel;
class QTableView;

namespace kxhost {

class JobGridModel;

struct HostOptions {
  // The add-in library offered for registration when none is registered ("" = none).
  QString libraryCandidate;
};

// Gives a grid handle back to the library that made it.
struct GridRelease {
  kx_grid_release_fn release = nullptr;
  void operator()(kx_grid* g) const {
    if (release) release(g);
  }
};

class HostWindow : public QMainWindow {
 public:
  HostWindow(HostOptions options, HostPrompts& prompts, QWidget* parent = nullptr);
  ~HostWindow() override;

  // Shows the job table of the configuration's [TORVEL] DbName. A missing file, DbName,
  // database or add-in is reported in a message box; false then, and the table is empty.
  bool OpenConfiguration(const QString& file);

  // Runs the add-in with the parameter ("" new job, "/Replace"), then rereads the grid.
  // The add-in's result (0, 1, 2), or -1 when it could not be run.
  int RunAddin(const QString& parameter);
  int NewJob() { return RunAddin(QString()); }
  int ReplaceJobs() { return RunAddin(QStringLiteral("/Replace")); }

  // Rereads the job table.
  void RefreshGrid();
  // Makes the shown cell (row, column of the view) current, as a click does.
  void SelectCell(int row, int column);

  const QString& ConfigFile() const { return configFile_; }
  QTableView* View() const { return view_; }
  JobGridModel* Model() const { return model_; }
  QSortFilterProxyModel* Proxy() const { return proxy_; }
  kx_grid* Grid() const { return grid_.get(); }
  const AddinApi* Api() const { return addin_ ? &addin_->Api() : nullptr; }
  QAction* NewJobAction() const { return newJob_; }
  QAction* ReplaceAction() const { return replace_; }
  QString StatusText() const;

 private:
  void BuildUi();
  void ChooseConfiguration();
  bool EnsureAddin();
  void CloseGrid();
  void ShowGridCurrent();
  void TrackCurrent(const QModelIndex& proxyIndex);
  QString CurrentFilename() const;
  void UpdateActions();
  void ShowStatus(const QString& text);

  HostOptions options_;
  HostPrompts& prompts_;
  QString configFile_;
  // Declared before the grid: the library outlives every handle it made.
  std::unique_ptr<AddinLibrary> addin_;
  std::unique_ptr<kx_grid, GridRelease> grid_;
  JobGridModel* model_ = nullptr;
  QSortFilterProxyModel* proxy_ = nullptr;
  QTableView* view_ = nullptr;
  QAction* newJob_ = nullptr;
  QAction* replace_ = nullptr;
  QAction* refresh_ = nullptr;
};

}  // namespace kxhost
