// Projects of the DOS generation of the programs QT3, QT4 and QT5: single
// record files in the data folder named key + five-digit number + ".PRO"
// (QT300012.PRO). The import only lets the user pick one and hands its
// path back; the calling program reads the old data itself.
#ifndef ZBDB_EXCHANGE_DOS_IMPORT_H_
#define ZBDB_EXCHANGE_DOS_IMPORT_H_

#include <cstddef>
#include <string>
#include <vector>

#include "environment/ui.h"
#include "platform/platform.h"
#include "recordstore/engine.h"
#include "zbdb900.h"

namespace zb::exchange {

// The texts of the project selection dialog in its DOS mode.
extern const char kDosDialogCaption[];  // "DOS-Projekt  importieren "
extern const char kDosDialogConfirm[];  // "O&k"

// The dialog lists at most this many DOS projects.
constexpr size_t kMostDosProjects = 100;

// Whether `key` (any case) is one of the programs with DOS projects.
bool IsDosProgram(const std::string& key);

// "<folder>\<KEY><number, five digits>.PRO"; a folder that already ends in
// a backslash gets none added.
std::string DosProjectPath(const std::string& data_folder,
                           const std::string& key, int number);

// One DOS project as the dialog lists it: the header of the file in Zero
// form, its number and name taken from the file name when the header
// carries number 0.
struct DosProject {
  PROINFO header;
  std::string file_name;
};

// The DOS projects of program `key` in `data_folder`, in the order the
// folder lists them and at most `most`. Files that do not open as record
// files or have no full header are left out; a missing folder gives none.
std::vector<DosProject> ListDosProjects(
    recordstore::Engine& engine, const std::string& data_folder,
    const std::string& key, size_t most = kMostDosProjects);

// The project selection dialog in its DOS mode ("DOS-Projekt  importieren ",
// "O&k") over `projects`, starting at the request's project.
enum class DosChoice { kCancelled, kChosen, kNoneOfTheList };
DosChoice ChooseDosProject(environment::Ui& ui, const ZBPROPOS_L& request,
                           const std::vector<DosProject>& projects,
                           DosProject* chosen);

// The request after a choice: szProName the project's name, szTmpDatei the
// file of the chosen project under the request's data folder, szPrgName
// the key in upper case.
void TakeDosProject(const DosProject& project, ZBPROPOS_L* request);

}  // namespace zb::exchange

#endif  // ZBDB_EXCHANGE_DOS_IMPORT_H_
