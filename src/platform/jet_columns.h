#pragma once
// The column of a target table that holds a column of an Access file.
#include <glib.h>  // before mdbtools.h, which includes it inside extern "C"
#include <mdbtools.h>

#include <string>
#include <vector>

#include "platform/table_layout.h"

namespace kx {

// c's type, size and keys as the target holds them; a column kept in another form (OLE,
// binary, attachment) adds a line to notes. A type or size no Access file has raises
// KxError(dberr::BadFormat).
ColumnLayout JetColumnLayout(const MdbColumn& c, bool jet3, std::vector<std::string>& notes,
                             const std::string& table);

}  // namespace kx
