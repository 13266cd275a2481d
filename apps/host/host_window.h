#pragma once
// kestrafix-host's main window: the job table of the host configuration's job database in a
// sortable table with a search field, and the add-in's two commands, run the way any host
// runs an add-in. It remembers its configurations and its window in QSettings.
#include <QMainWindow>
#include <QSet>
#include <memory>

#include "addin_library.h"
#include "host_prompts.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QSettings;
class QStackedWidget;
class QTableView;
class QTimer;

namespace kxhost {

class JobGridModel;

struct HostOptions {
  // The add-in library offered for registration when none is registered ("" = none).
  QString libraryCandidate;
  // The settings file; "" for the user's own (QSettings of kestrafix-host).
  QString settingsFile;
  // The user guide Help shows; "" when none was found.
  QString userGuide;
};

// Gives a grid handle back to the library that made it.
struct GridRelease {
  kx_grid_release_fn release = nullptr;
  void operator()(kx_grid* g) const {
    if (release) release(g);
  }
};

class HostWindow : public QMainWindow {
  Q_OBJECT

 public:
  HostWindow(HostOptions options, HostPrompts& prompts, QWidget* parent = nullptr);
  ~HostWindow() override;

  // The configuration to start on: the one asked for (a missing one is reported), else the
  // last one used, else the demo's in the current folder; a remembered or default file that
  // is not there is named in the window instead. False when none was opened.
  bool Start(const QString& requested);

  // Shows the job table of the configuration's [TORVEL] DbName. A missing file, DbName,
  // database or add-in is reported in a message box; false then, and the table is empty.
  bool OpenConfiguration(const QString& file);

  // Runs the add-in with the parameter ("" new job, "/Replace"), then rereads the grid and
  // says in the status bar what changed. The add-in's result (0, 1, 2), or -1 when it could
  // not be run.
  int RunAddin(const QString& parameter);
  int NewJob() { return RunAddin(QString()); }
  int ReplaceJobs() { return RunAddin(QStringLiteral("/Replace")); }
  // Takes the last replace back after a confirmation that states how many jobs get their old
  // value (jobs changed since stay as they are). The jobs set back, 0 when nothing was done,
  // -1 on an error.
  int UndoLastReplace();

  // Rereads the job table.
  void RefreshGrid();
  // Makes the shown cell (row, column of the view) current, as a click does.
  void SelectCell(int row, int column);
  // Shows only the jobs holding text somewhere (wildcards * ? # [list]); "" for all.
  bool ApplySearch(const QString& text);

  void ShowUserGuide();
  void ShowAbout();
  // Version, licence and the libraries in use.
  QString AboutText() const;

  const QString& ConfigFile() const { return configFile_; }
  QTableView* View() const { return view_; }
  JobGridModel* Model() const { return model_; }
  QLineEdit* SearchField() const { return search_; }
  kx_grid* Grid() const { return grid_.get(); }
  const AddinApi* Api() const { return addin_ ? &addin_->Api() : nullptr; }
  QAction* NewJobAction() const { return newJob_; }
  QAction* ReplaceAction() const { return replace_; }
  QMenu* RecentMenu() const { return recent_; }
  QAction* UndoReplaceAction() const { return undoReplace_; }
  QString StatusText() const;
  QString JobCountText() const;
  QStringList RecentConfigurations() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildUi();
  void BuildMenus();
  void ChooseConfiguration();
  bool EnsureAddin();
  void CloseGrid();
  void ShowGridCurrent();
  void SortGrid(int column, Qt::SortOrder order);
  void SizeColumns();
  void ShowNewJob(const QString& filename);
  void TrackCurrent(const QModelIndex& index);
  QString CurrentFilename() const;
  void UpdateActions();
  void UpdateJobCount();
  void ShowStatus(const QString& text);
  void ShowPlaceholder(const QString& text);
  std::unique_ptr<QSettings> Settings() const;
  void Remember(const QString& file);
  void FillRecentMenu();
  void SaveWindow() const;

  HostOptions options_;
  HostPrompts& prompts_;
  QString configFile_;
  QSet<QString> warnedMessageFiles_;
  // Declared before the grid: the library outlives every handle it made.
  std::unique_ptr<AddinLibrary> addin_;
  std::unique_ptr<kx_grid, GridRelease> grid_;
  int sortedColumn_ = -1;  // the order the grid has, for the header's arrow
  Qt::SortOrder sortedOrder_ = Qt::AscendingOrder;
  JobGridModel* model_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QLabel* placeholder_ = nullptr;
  QTableView* view_ = nullptr;
  QLineEdit* search_ = nullptr;
  QTimer* searchDelay_ = nullptr;
  QLabel* jobCount_ = nullptr;
  QAction* newJob_ = nullptr;
  QAction* replace_ = nullptr;
  QAction* undoReplace_ = nullptr;
  QAction* refresh_ = nullptr;
  QMenu* recent_ = nullptr;
};

// The user guide beside an installed host (../share/doc/kestrafix) or in the source tree the
// host was built from; "" when there is none.
QString FindUserGuide(const QString& executableDir);

}  // namespace kxhost
