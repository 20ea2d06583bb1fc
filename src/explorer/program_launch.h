// Starting a calculation program with a position: the task file
// "ZB_Kem.ini" in the configuration folder names the position (and, for
// printing and previews, the job), and the program's executable from the
// program folder is started with "/C" and that file.
#ifndef ZBDB_EXPLORER_PROGRAM_LAUNCH_H_
#define ZBDB_EXPLORER_PROGRAM_LAUNCH_H_

#include <string>

#include "zbdb900_types.h"

namespace zb::environment {
class LibraryContext;
}  // namespace zb::environment

namespace zb::explorer {

enum class LaunchMode { kOpen = 0, kNewPosition = 1, kPrint = 2,
                        kPreview = 4 };

// "", "mit neuer Position", "print", "preview": how the log names a mode.
const char* LaunchModeText(LaunchMode mode);

// The configuration folder followed by "ZB_Kem.ini".
std::string TaskFilePath(const environment::LibraryContext& context);

// Deletes the task file and writes it anew for the position of `request`.
void WriteTaskFile(environment::LibraryContext& context,
                   const ZBPROPOS_L& request, LaunchMode mode);

// Starts the program `program_key` for the position of `request`: the
// task file, the log lines, and the message when the program cannot be
// started (no program chosen, missing, not executable, no memory). Print
// and preview wait for the program to end. True when it was started.
bool LaunchProgram(environment::LibraryContext& context,
                   const std::string& program_key, const ZBPROPOS_L& request,
                   LaunchMode mode);

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_PROGRAM_LAUNCH_H_
