// beam: a single-span beam under a uniform load, a sample calculation
// program of the suite. It keeps its input and results as records of its
// own position, saved into the project through the library.
//
//   beam DATA_FOLDER PROJECT POSITION --span 6.0 --load 12.5 [--tmp DIR]
//        [--new-project]
//       calculates and saves the position (a new one, or a new input of an
//       existing one), writes its result record and its 2-page printout's
//       page numbers; a project the folder does not have is made only with
//       --new-project
//   beam [DATA_FOLDER [PROJECT [POSITION]]] --show [--tmp DIR]
//       shows the stored position; what is not named comes from the last
//       position used (the library's history)
//
// Exit codes: 0 done, 1 the library reported an error, 2 usage, 3 the
// position is locked by another program and was not saved.
//
// The user's stored data folder stays as it was, also after a run on
// another folder.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "beam_program.h"
#include "stored_data_folder.h"
#include "windows_text.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitLocked = 3;

using beam::ShownPath;
using beam::ShownText;

// Asked with the terminal's spelling of the path, '/' for '\': the
// history hands folders back with a trailing backslash.
bool IsFolder(const std::string& library_path) {
  std::error_code error;
  return std::filesystem::is_directory(ShownPath(library_path), error);
}

int Usage(const char* why) {
  if (why) std::fprintf(stderr, "beam: %s\n", why);
  std::fprintf(stderr,
               "usage: beam DATA_FOLDER PROJECT POSITION --span M --load KN_PER_M "
               "[--tmp DIR] [--new-project]\n"
               "       beam [DATA_FOLDER [PROJECT [POSITION]]] --show [--tmp DIR]\n");
  return kExitUsage;
}

bool ParseNumber(const char* text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text, &end);
  return end != text && *end == '\0';
}

// What is wrong with the project file, in words; null when nothing is.
const char* ProjectFileProblem(beam::Session& session, std::string* path) {
  switch (session.CheckProjectFile(path)) {
    case beam::ProjectFileState::kMissing:
      return "is missing";
    case beam::ProjectFileState::kDamaged:
      return "is damaged: not a record file (zbdb check tells more)";
    case beam::ProjectFileState::kWriteProtected:
      return "is write-protected (read-only)";
    case beam::ProjectFileState::kUsable:
      break;
  }
  return nullptr;
}

// The library's code, explained by the project file's state where that
// tells more: a damaged or write-protected file is no locked position.
int Failed(beam::Session& session, const char* step, int32_t code) {
  std::string path;
  if (const char* why = ProjectFileProblem(session, &path)) {
    std::fprintf(stderr,
                 "beam: %s failed: the project file '%s' %s (result %d)\n",
                 step, ShownPath(path).c_str(), why, static_cast<int>(code));
    return kExitFailed;
  }
  if (code == -7 && session.PositionState() == 2) {
    std::fprintf(stderr,
                 "beam: %s failed: the position is locked by another program "
                 "(result -7)\n",
                 step);
    return kExitLocked;
  }
  std::fprintf(stderr, "beam: %s failed: %s\n", step,
               beam::ResultName(code).c_str());
  return code == -7 ? kExitLocked : kExitFailed;
}

void PrintResults(const beam::BeamInput& in, const beam::BeamResults& r) {
  std::printf("  span %.2f m, uniform load %.2f kN/m\n", in.span_m,
              in.load_kn_per_m);
  std::printf("  support reactions A = %.2f kN, B = %.2f kN\n",
              r.reaction_a_kn, r.reaction_b_kn);
  std::printf("  maximum moment %.2f kNm at %.2f m\n", r.max_moment_knm,
              r.max_moment_at_m);
}

int Show(beam::Session& session, const std::string& data,
         const std::string& project, const std::string& position) {
  const int32_t state = session.PositionState();
  if (state < 0) return Failed(session, "looking the position up", state);
  if (state == 0) {
    std::fprintf(stderr,
                 "beam: the project '%s' in '%s' has no beam position '%s'\n",
                 ShownText(project).c_str(), ShownPath(data).c_str(),
                 ShownText(position).c_str());
    return kExitFailed;
  }
  const int32_t records = session.Open(false);
  if (records < 0) return Failed(session, "opening the position", records);
  beam::BeamInput in;
  beam::BeamResults r;
  if (session.ReadInput(&in) != 1 || session.ReadResults(&r) != 1) {
    std::printf("  no beam calculated yet (%d records)\n", records);
    return kExitOk;
  }
  PrintResults(in, r);
  int16_t first = 0, count = 0;
  if (session.Pages(&first, &count) > 0 && count > 0)
    std::printf("  printout: pages %d to %d\n", first, first + count - 1);
  if (state == 2)
    std::printf("  (locked by another program at the moment)\n");
  return kExitOk;
}

int Calculate(beam::Session& session, const beam::BeamInput& in) {
  // Refused before the library is asked: on Windows its save waits for a
  // write protection to go away.
  std::string path;
  if (const char* why = ProjectFileProblem(session, &path)) {
    std::fprintf(stderr,
                 "beam: the project file '%s' %s; nothing calculated\n",
                 ShownPath(path).c_str(), why);
    return kExitFailed;
  }
  const int32_t state = session.PositionState();
  if (state < 0) return Failed(session, "looking the position up", state);
  if (state == 2)
    std::printf(
        "  the position is locked by another program: it is calculated, but "
        "cannot be saved while the other one holds it\n");
  const int32_t records = session.Open(true);
  if (records < 0) return Failed(session, "opening the position", records);
  beam::BeamInput old;
  if (session.ReadInput(&old) == 1)
    std::printf("  was: span %.2f m, uniform load %.2f kN/m\n", old.span_m,
                old.load_kn_per_m);
  const beam::BeamResults r = beam::Calculate(in);
  PrintResults(in, r);
  const int32_t stored = session.Store(in, r);
  if (stored < 0) return Failed(session, "writing the working file", stored);
  const int32_t saved = session.Save();
  if (saved <= 0) return Failed(session, "saving the position", saved);
  std::printf("  saved: %d records into the project\n", saved);
  std::string result_file;
  const int32_t project = session.WriteResultFile(in, r, &result_file);
  if (project <= 0) return Failed(session, "writing the result file", project);
  std::printf("  result record in %s\n", ShownPath(result_file).c_str());
  int16_t first = 0;
  const int32_t id = session.RecordPrintout(&first);
  if (id <= 0) return Failed(session, "recording the printout's pages", id);
  std::printf("  printout: pages %d to %d\n", first,
              first + beam::kPrintedPages - 1);
  return kExitOk;
}

// What the command line asks for.
struct Arguments {
  std::vector<std::string> names;  // data folder, project, position
  std::string tmp;
  bool show = false;
  bool new_project = false;
  bool have_span = false, have_load = false;
  beam::BeamInput in{0, 0};
};

// Typed text as the library's; a text it could only store mangled is a
// usage error.
bool TypedText(const char* what, const std::string& typed, std::string* out) {
  if (beam::ToLibraryText(typed, out)) return true;
  std::fprintf(stderr,
               "beam: the %s '%s' cannot be stored: the library keeps its "
               "texts in Windows-1252, which lacks some of its characters "
               "(or it is no valid UTF-8)\n",
               what, typed.c_str());
  return false;
}

// The arguments call for a run; anything else is the exit code.
constexpr int kGoOn = -1;

int ParseArguments(int argc, char** argv, Arguments* a) {
  static const char* const kNames[] = {"data folder", "project name",
                                       "position name"};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      Usage(nullptr);
      return kExitOk;
    } else if (arg == "--show") {
      a->show = true;
    } else if (arg == "--new-project") {
      a->new_project = true;
    } else if (arg == "--span" || arg == "--load" || arg == "--tmp") {
      if (i + 1 >= argc) return Usage((arg + " needs a value").c_str());
      const char* value = argv[++i];
      if (arg == "--tmp") {
        if (!TypedText("temporary folder", value, &a->tmp)) return kExitUsage;
      } else {
        double* target = arg == "--span" ? &a->in.span_m : &a->in.load_kn_per_m;
        if (!ParseNumber(value, target))
          return Usage((arg + ": not a number: " + value).c_str());
        (arg == "--span" ? a->have_span : a->have_load) = true;
      }
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      return Usage(("unknown option " + arg).c_str());
    } else if (a->names.size() < 3) {
      std::string name;
      if (!TypedText(kNames[a->names.size()], arg, &name)) return kExitUsage;
      a->names.push_back(name);
    } else {
      return Usage("too many arguments");
    }
  }
  if (a->show && (a->have_span || a->have_load || a->new_project))
    return Usage("--show takes no --span, --load or --new-project");
  if (!a->show) {
    if (a->names.size() < 3)
      return Usage("DATA_FOLDER, PROJECT and POSITION are needed");
    if (!a->have_span || !a->have_load)
      return Usage("--span and --load are needed");
    if (!(a->in.span_m > 0 && a->in.span_m <= 100))
      return Usage("the span must be above 0 and at most 100 m");
    if (!(a->in.load_kn_per_m >= 0 && a->in.load_kn_per_m <= 10000))
      return Usage("the load must be 0 to 10000 kN/m");
  }
  a->names.resize(3);
  if (a->names[1].size() > 40 || a->names[2].size() > 40)
    return Usage("project and position names have at most 40 characters");
  return kGoOn;
}

// A project the folder lacks is made by the first save; a mistyped name
// would make one, so only --new-project may.
bool ProjectThere(beam::Session& session, const Arguments& a) {
  const int32_t number = session.ProjectNumber();
  if (number > 0) return true;
  if (!a.show && a.new_project) {
    std::printf("beam: the project '%s' is new in '%s'\n",
                ShownText(a.names[1]).c_str(), ShownPath(a.names[0]).c_str());
    return true;
  }
  std::fprintf(stderr, "beam: the data folder '%s' has no project '%s'%s\n",
               ShownPath(a.names[0]).c_str(), ShownText(a.names[1]).c_str(),
               a.show ? ""
                      : "; to create it, run again with --new-project");
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments a;
  const int parsed = ParseArguments(argc, argv, &a);
  if (parsed != kGoOn) return parsed;
  std::string& data = a.names[0];
  std::string& project = a.names[1];
  std::string& position = a.names[2];
  // Read before the library's first call, to restore after its last.
  beam::StoredDataFolder stored_data_folder;
  if (a.show && (data.empty() || project.empty() || position.empty()) &&
      !beam::Session::LastUsed(&data, &project, &position)) {
    // The library checks the last position against the stored folder.
    std::fprintf(stderr,
                 "beam: no beam position used last in the data folder '%s'; "
                 "name data folder, project and position\n",
                 ShownPath(stored_data_folder.folder()).c_str());
    return kExitFailed;
  }

  // Checked here, before anything is calculated: the library would take
  // the folders of the last call in their place for a new position.
  for (const std::string* folder : {&data, &a.tmp}) {
    if (folder->empty() && folder == &a.tmp) continue;
    if (!IsFolder(*folder)) {
      std::fprintf(stderr, "beam: the %s folder '%s' does not exist\n",
                   folder == &data ? "data" : "temporary",
                   ShownPath(*folder).c_str());
      return kExitFailed;
    }
  }

  beam::Session session(data, a.tmp, project, position);
  if (session.FindProgram() < 0) {
    std::fprintf(stderr,
                 "beam: the program key %s is not in the program catalogue "
                 "(zbkeys.ini of the program folder); scripts/demo.sh adds it\n",
                 beam::kProgramKey);
    return kExitFailed;
  }
  if (!ProjectThere(session, a)) return kExitFailed;
  std::printf("beam: project '%s', position '%s'\n", ShownText(project).c_str(),
              ShownText(position).c_str());
  return a.show ? Show(session, data, project, position)
                : Calculate(session, a.in);
}
