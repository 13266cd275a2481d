#pragma once
// The new-job dialog: program number and file name with their proposals, data type,
// machine, base folder with address and order sub-folders, and the copy-files option.
// Controls carry the system's control names as object names ("Text1(0)", "SSDBCombo2(1)").
#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "dialogs/new_job_view.h"
#include "jobfiles/import_progress.h"
#include "platform/data_source.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace kx {

class Database;
class DbCombo;
class IHostGrid;
class frmMain;

// The job copy of OK in the dialog's status bar ("files of total") under a wait cursor.
class DialogCopyProgress : public ImportTally {
 public:
  explicit DialogCopyProgress(frmMain& dialog) : dialog_(dialog) {}
  ~DialogCopyProgress() override;  // the cursor back
  void ImportStarted(long files, std::uint64_t bytes) override;
  void FileHandled(const std::string& source, const std::string& target, std::uint64_t bytes,
                   ImportOutcome outcome) override;

 private:
  void Show();
  frmMain& dialog_;
  bool waiting_ = false;
};

class frmMain : public QDialog, public INewJobView {
  Q_OBJECT

 public:
  // Validates the input, stores the new job through the grid and creates its folders;
  // true when the job was stored. Reports its own errors.
  using RecordHook =
      std::function<bool(INewJobView& view, IHostGrid* grid, Database& db, const NewJobSettings& settings)>;

  // Builds the controls and runs Form_Load.
  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  bool RetVal() const { return retVal_; }
  void RetVal(bool vNewValue) { retVal_ = vNewValue; }

  // The record creation OK runs; the library's own by default.
  void SetRecordHook(RecordHook hook) { recordHook_ = std::move(hook); }

  // The form's procedures, public so a host or a test can drive them without events.
  void Form_Load();
  void Form_Activate();
  void Form_Unload();
  void Form_Resize();
  void Command1_Click(int Index);
  void Command2_Click(int Index);
  void Command3_Click(int Index);
  void Text1_Change(int Index);
  void Text2_Change(int Index);
  void FillAddressList();
  void FillOrderList();
  void ShowStatus(const std::string& sText) override;

  // The settings read on load.
  bool Synchron() const { return synchron_; }
  bool ShowElectrode() const { return showElectrode_; }
  NewJobSettings Settings() const;
  DataSource& Data1(int Index);

  // INewJobView.
  std::string Text(std::string_view control) const override;
  void SetText(std::string_view control, const std::string& text) override;
  void Select(std::string_view control, int start, int length) override;
  Variant ListValue(std::string_view control) const override;
  std::string ListText(std::string_view control) const override;
  bool ListIsItemInList(std::string_view control) const override;
  std::string Caption(std::string_view control) const override;
  bool Checked(std::string_view control) const override;
  void Focus(std::string_view control) override;
  // While OK works: the job copy's progress.
  IImportProgress* CopyProgress() override;

  // Design values in twips, for the layout and its tests.
  static constexpr int kInnerWidth = 6075;
  static constexpr int kFrame1Height = 1875;
  static constexpr int kFrame2Height = 1455;
  static constexpr int kFrame3Height = 435;
  static constexpr int kLabelLeft = 60;
  static constexpr int kInputLeft = 1620;

 public slots:
  void done(int r) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildControls();
  void InitDataControl(DataSource& oData, int iRecordsetType);
  void FillDataTypeCombo();
  void InitFromCurrentJob();
  IHostGrid& Grid() const;
  std::string GridCaption(std::string_view column) const;
  int Px(int twips) const;
  void UpdateMinimumHeight();
  void FitLabelColumn();
  QWidget& Control(std::string_view name) const;
  DbCombo& List(std::string_view name) const;

  bool retVal_ = false;
  bool synchron_ = false;
  bool showElectrode_ = false;
  std::string dbName_;
  std::int32_t openRecordsetOptions_ = 0;
  std::int16_t openRecordsetOptions16_ = 0;
  std::string userId_;
  std::shared_ptr<IHostGrid> grid_;
  bool unloaded_ = false;
  RecordHook recordHook_;

  std::array<QFrame*, 4> Frame1_{};  // 1..3
  std::array<QPushButton*, 2> Command1_{};
  std::array<QLineEdit*, 2> Text1_{};
  std::array<QLabel*, 5> Label1_{};       // 2..4
  std::array<DbCombo*, 5> SSDBCombo1_{};  // 2..4
  QPushButton* Command2_ = nullptr;       // Command2(0)
  QLineEdit* Text2_ = nullptr;            // Text2(0)
  std::array<QLabel*, 3> Label2_{};       // 1..2
  std::array<DbCombo*, 3> SSDBCombo2_{};  // 1..2
  QCheckBox* Check2_ = nullptr;           // Check2(3)
  std::array<QPushButton*, 2> Command3_{};
  QStatusBar* StatusBar1_ = nullptr;
  std::array<std::unique_ptr<DataSource>, 2> data1_;  // Data1(3), Data1(4)
  std::unique_ptr<DialogCopyProgress> copyProgress_;
};

}  // namespace kx
