// Printing the explorer's lists: the list goes into the print job file
// "ZB_Orm.ini" of the configuration folder, laid out in fixed-width
// columns, and the suite's print program "ZBDB_Print.exe" of the program
// folder lays it out on paper.
#ifndef ZBDB_EXPLORER_LIST_PRINT_H_
#define ZBDB_EXPLORER_LIST_PRINT_H_

#include <string>
#include <vector>

#include "zbdb900_types.h"

namespace zb::environment {
class LibraryContext;
}  // namespace zb::environment

namespace zb::explorer {

// A list as printed: three or five columns. A column of fixed width keeps
// it; the others are one character wider than their longest entry.
struct PrintTable {
  std::vector<std::string> captions;
  std::vector<int> fixed_widths;  // per column; 0: from the entries
  std::vector<std::vector<std::string>> rows;
};

// The heading line (the captions) and the list lines, laid out.
std::vector<std::string> PrintLines(const PrintTable& table);

std::string PrintJobPath(const environment::LibraryContext& context);

// Writes the job file anew for the project list of `data_folder`
// (sections "PATH" and "PROJEKT").
void WriteProjectListJob(environment::LibraryContext& context,
                         const std::string& data_folder,
                         const PrintTable& table);
// Writes the job file anew for a position list of the project of
// `request` (sections "PROPOS" and "POSITION").
void WritePositionListJob(environment::LibraryContext& context,
                          const ZBPROPOS_L& request, const PrintTable& table);

// Starts the print program on the job file and waits for it. When it
// cannot be started the user is told, with the job file's path so that
// it can be printed otherwise; false then.
bool StartPrintProgram(environment::LibraryContext& context);

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_LIST_PRINT_H_
