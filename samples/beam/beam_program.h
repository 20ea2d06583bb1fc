// The beam program's work with the library, step by step, as any program of
// the suite does it: find its key in the catalogue, open (or start) the
// position into its working file, keep its own records there, save the
// working file back, write its result record into the project's result
// file and report the pages of its printout.
//
// Only include/zbdb900.h is used. Every step answers the library's result
// code: negative is an error, named by ResultName.
#ifndef ZBDB_SAMPLES_BEAM_BEAM_PROGRAM_H_
#define ZBDB_SAMPLES_BEAM_BEAM_PROGRAM_H_

#include <cstdint>
#include <string>

#include "zbdb900.h"

namespace beam {

// The program key in the catalogue (zbkeys.ini: Prg=BEAM).
constexpr char kProgramKey[] = "BEAM";
// Key2 of the program's own records; Key1 is its program number.
constexpr int16_t kInputKey = 1;
constexpr int16_t kResultsKey = 2;
constexpr int16_t kPrintedPages = 2;

#pragma pack(push, 1)
struct BeamInput {
  double span_m;
  double load_kn_per_m;  // uniform line load
};
struct BeamResults {
  double reaction_a_kn;
  double reaction_b_kn;
  double max_moment_knm;
  double max_moment_at_m;
};
// The record in the project's result file: keys (program number, position
// id).
struct ResultRecord {
  char position[42];
  BeamInput input;
  BeamResults results;
};
#pragma pack(pop)
static_assert(sizeof(BeamInput) == 16, "BeamInput");
static_assert(sizeof(BeamResults) == 32, "BeamResults");
static_assert(sizeof(ResultRecord) == 90, "ResultRecord");

BeamResults Calculate(const BeamInput& input);

// What the library reports, in words: "-7 (the position is locked by
// another program)".
std::string ResultName(int32_t code);

// What a look at the project file from outside the library finds, to
// explain a failed open or save: the library's codes do not tell a damaged
// or write-protected file from a locked position.
enum class ProjectFileState { kUsable, kMissing, kDamaged, kWriteProtected };

// One position of one project, from the open to the end of the program.
class Session {
 public:
  // The temporary folder: `tmp` when given, else the one the last call
  // left in the history, else the installation's TMP beside the data
  // folder, else the system's. Nothing is opened yet.
  Session(const std::string& data_folder, const std::string& tmp,
          const std::string& project, const std::string& position);
  ~Session();

  // The last project and position from the history (ZB_ReadDBHistory), for
  // a call that names none; false when the history names none.
  static bool LastUsed(std::string* data_folder, std::string* project,
                       std::string* position);

  // The program number of kProgramKey, or -1 when the catalogue lacks it.
  int32_t FindProgram();
  // The project's number in the data folder's project list, or -202 when
  // the list has no project of that name.
  int32_t ProjectNumber();
  // 0 no such position, 1 there, 2 locked by another program.
  int32_t PositionState();
  // The project file's state; *path names the file. A project the list
  // does not know yet counts as usable (the save makes it).
  ProjectFileState CheckProjectFile(std::string* path);
  // Opens the position into a working file (a new, empty one when the
  // project has no such position): records in the working file, or an error.
  int32_t Open(bool create_project);
  // The program's input from the working file: 1 read, 0 none yet.
  int32_t ReadInput(BeamInput* input);
  int32_t ReadResults(BeamResults* results);
  // Input and results into the working file: 1, or a record engine error.
  int32_t Store(const BeamInput& input, const BeamResults& results);
  // The working file back into the project: records stored, or an error
  // (-7: locked by another program).
  int32_t Save();
  // The result record into the project's result file; *path names it.
  int32_t WriteResultFile(const BeamInput& input, const BeamResults& results,
                          std::string* path);
  // A printout of kPrintedPages pages: its first page, then recorded as the
  // position's pages. The position id, or an error.
  int32_t RecordPrintout(int16_t* first_page);
  // The position's pages as recorded: its id, or -1.
  int32_t Pages(int16_t* first_page, int16_t* count);
  // Releases the position (its lock) and ends the work with the library.
  void Close();

  const std::string& working_file() const { return working_file_; }
  const std::string& temporary_folder() const { return tmp_; }
  int16_t program_number() const { return program_; }

 private:
  ZBPROPOS_L Request() const;
  int32_t PositionId();

  std::string data_, tmp_, project_, position_;
  std::string working_file_;
  int16_t program_ = -1;
  bool closed_ = false;
};

}  // namespace beam

#endif  // ZBDB_SAMPLES_BEAM_BEAM_PROGRAM_H_
