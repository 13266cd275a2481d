#pragma once
// The replace dialog: one column of the job table, a match pattern and a new value; on OK it
// counts the matching jobs, asks, and sets the column for all of them in one statement.
// Controls carry the system's control names as object names ("Text1(0)", "SSDBCombo1(0)").
#include <QDialog>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kx {

class DbCombo;
class IHostGrid;

class frmReplace : public QDialog {
  Q_OBJECT

 public:
  // Builds the controls and runs Form_Load.
  explicit frmReplace(QWidget* parent = nullptr);
  // Unloads the dialog when that has not happened yet.
  ~frmReplace() override;

  bool RetVal() const { return retVal_; }
  void RetVal(bool vNewValue) { retVal_ = vNewValue; }
  // Jobs the confirmed replace changed: 0 when none matched or the answer was No.
  long RecordsAffected() const { return recordsAffected_; }

  // The form's procedures, public so a host or a test can drive them without events.
  void Form_Load();
  void Form_Activate();
  void Form_Resize();
  void Form_Unload();
  void OKButton_Click();
  void CancelButton_Click();
  void FillColumnList();
  // Shows the jobs the OK button would change (their keys and the column's value; the first
  // kShownJobs of them, and how many more) below the buttons.
  void ShowJobsButton_Click();

  // The settings read on load.
  const std::string& DbName() const { return dbName_; }
  std::int32_t OpenRecordsetOptions() const { return openRecordsetOptions_; }

  // Design values in twips.
  static constexpr int kInnerWidth = 4695;
  static constexpr int kInnerHeight = 1860;
  static constexpr int kLabelLeft = 60;
  static constexpr int kInputLeft = 1260;
  // The job list: rows shown and its height in twips.
  static constexpr int kShownJobs = 100;
  static constexpr int kJobListHeight = 2700;

 public slots:
  void done(int r) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildControls();
  void Resize();
  int Px(int twips) const;

  bool retVal_ = false;
  long recordsAffected_ = 0;
  bool unloaded_ = false;
  std::string dbName_;
  std::string jobCountText_, jobCountMoreText_;  // from the add-in INI; "" = built in
  std::int32_t openRecordsetOptions_ = 0;
  std::shared_ptr<IHostGrid> grid_;

  std::array<QLabel*, 3> Label1_{};
  DbCombo* SSDBCombo1_ = nullptr;  // SSDBCombo1(0)
  std::array<QLineEdit*, 2> Text1_{};
  QPushButton* OKButton_ = nullptr;
  QPushButton* CancelButton_ = nullptr;
  QPushButton* ShowJobsButton_ = nullptr;
  QLabel* JobCount_ = nullptr;
  QTableWidget* JobList_ = nullptr;
};

}  // namespace kx
