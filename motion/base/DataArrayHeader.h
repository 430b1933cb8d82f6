#pragma once
// The header of a data-array text file: "#"-prefixed lines that describe the columns of the
// table that follows (format version, separator, number of columns and rows, column names).
#include <string>
#include <vector>

// One line per item, each ending with " \n" except the last ("# END_HEADER\n"):
//   # VERSION = 1, # TYPE = 1, # SEPARATOR = 32 (a blank), # DIM = <columns>,
//   # NDATA = <rows>, #, # NAME<k> = <name of column k> for k from 0, #, # END_HEADER
std::string MakeDataArrayHeader(const std::vector<std::string>& columnNames, int rows);
