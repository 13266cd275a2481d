#pragma once
// Job file import: the files of one job taken over into another job under its name.
#include <cstdint>
#include <string>

namespace kx {

class IImportProgress;

// Copies (or moves) the files of the job sFileNameSource of the database sDbNameSource into
// the job sFileNameTarget of sDbNameTarget.
//  bJobFiles   job files; bNcFiles: NC files, the files named in data files, optimised NC files
//  bMove       move instead of copy, then clear the source job's folders away to the trash
//  iOverwrite  an existing target: 1 replace, 2 ask, anything else keep it
//  iRenameMode 0 keep names, 1 rename files named exactly after the job, 2 replace the job name
//              inside names, 3 name every file after the target job; other values: 0 when the
//              target job has a folder of its own, else 3
//  sFilter     ";" list of wildcard patterns over the full source path (empty = all files)
//  iDatMode    data-file references: 1 beside the new data file with relative lines; 2 in a
//              sub-folder named after it with absolute lines; others that sub-folder, relative
//  progress    told about each file taken over (may be null)
// Errors of the job records, the file sets or a copy or move end the import and reach the
// caller, a copy's or move's naming its files; every file handled so far is complete at its
// target, the others are untouched.
void ImportJobFiles(const std::string& sDbNameSource, const std::string& sFileNameSource,
                    const std::string& sDbNameTarget, const std::string& sFileNameTarget, bool bJobFiles,
                    bool bNcFiles, bool bMove, std::uint8_t iOverwrite, std::int16_t iRenameMode,
                    const std::string& sFilter, std::int16_t iDatMode, IImportProgress* progress = nullptr);

}  // namespace kx
