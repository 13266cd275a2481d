#pragma once
// The job manager's sequential-input format for delimited files (data files of a job):
// fields end at a comma or a line end (CR, LF or CR LF); blanks and tabs before a field and
// after an unquoted field are dropped; a field in double quotes may hold commas and loses its
// quotes. An empty line or two commas in a row give an empty field.
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// Every field of the text, in order.
//  - A quote does not escape another quote: "1,2""X" reads as the two fields 1,2 and X, and
//    whatever follows a closing quote up to the next comma or line end starts a new field.
//  - A quoted field that is not closed ends at its line end, so one broken line cannot swallow
//    the rest of the file.
std::vector<std::string> ReadDelimitedFields(std::string_view text);

}  // namespace kx
