// The explorer's emergency service "Notdienst : Löschen": the settings file,
// the temporary working files (of every program or of one) and the log,
// deleted on the user's choice when they stand in the way of a start.
#ifndef ZBDB_EXPLORER_CLEANUP_H_
#define ZBDB_EXPLORER_CLEANUP_H_

#include <string>

namespace zb::api {
class Library;
}  // namespace zb::api

namespace zb::explorer {

struct CleanupChoice {
  bool settings = false;   // DBHISTORY.INI of the configuration folder
  bool temporary = true;   // the *.TMP working files of the temporary folder
  bool log = false;        // DBReport.Log
  bool all_programs = true;
  std::string program;     // the program of "nur ..."; empty: none offered
};

struct CleanupResult {
  int deleted = 0;
  int kept = 0;  // files in use (or protected) that could not be deleted
};

// Deletes what the choice names. The library's own open working file is
// never touched: a calculation program may be working on it.
CleanupResult RunCleanup(api::Library& lib, const CleanupChoice& choice);

// "%1 Datei(en) gelöscht." and, when some were kept, why.
std::string CleanupReport(const CleanupResult& result);

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_CLEANUP_H_
