#pragma once
// Confirming a new job: the checks of the dialog's values and the new row of the job table,
// with the job's folders and, when asked, the files of the job selected in the host grid.
// Widget-free, so the Qt dialog and the command line create jobs with the same code.
#include <cstdint>
#include <string>

#include "dialogs/new_job_view.h"

namespace kx {

class Database;
class IHostGrid;

// Program number, file name and machine: present, not too long (255, 255, 100 characters),
// the two keys not yet used in the job table (compared without case). The first failing
// check beeps, shows its message in the status bar, puts the focus on the field and gives
// false. Engine errors of the counts pass to the caller.
bool ValidateInput(INewJobView& view, Database& db, std::int32_t options);

// The first field of the first row of sSql as a number (a count statement).
std::int32_t CountRecords(Database& db, const std::string& sSql, std::int32_t options);

// Stores the new job through the host grid (three writes), copies the selected job's other
// columns and its job files when "Check2(3)" is ticked, and creates the job's folders.
// True when the job was stored. Wrong input is reported in the view; any other error once
// in a "DataAdd" message box, and the result is false (a row already stored stays).
// db is the job database the uniqueness counts run on.
bool AddJobRecord(INewJobView& view, IHostGrid* grid, Database& db, const NewJobSettings& settings);

}  // namespace kx
