// beam: a single-span beam under a uniform load, a sample calculation
// program of the suite. It keeps its input and results as records of its
// own position, saved into the project through the library.
//
//   beam DATA_FOLDER PROJECT POSITION --span 6.0 --load 12.5 [--tmp DIR]
//       calculates and saves the position (a new one, or a new input of an
//       existing one), writes its result record and its 2-page printout's
//       page numbers
//   beam [DATA_FOLDER [PROJECT [POSITION]]] --show [--tmp DIR]
//       shows the stored position; what is not named comes from the last
//       position used (the library's history)
//
// Exit codes: 0 done, 1 the library reported an error, 2 usage, 3 the
// position is locked by another program and was not saved.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "beam_program.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitLocked = 3;

// The library speaks Windows-1252; a Linux terminal speaks UTF-8.
std::string LibraryText(const std::string& typed) {
#ifdef _WIN32
  return typed;
#else
  std::string out;
  for (size_t i = 0; i < typed.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(typed[i]);
    if ((c == 0xC2 || c == 0xC3) && i + 1 < typed.size()) {
      const unsigned char next = static_cast<unsigned char>(typed[++i]);
      out += static_cast<char>(((c & 0x03) << 6) | (next & 0x3F));
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
#endif
}

std::string Shown(const std::string& library_text) {
#ifdef _WIN32
  return library_text;
#else
  std::string out;
  for (char ch : library_text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
#endif
}

// The library joins folder and name with a backslash, which Linux shows as
// a folder separator.
std::string ShownPath(const std::string& library_path) {
  std::string path = Shown(library_path);
#ifndef _WIN32
  for (char& c : path)
    if (c == '\\') c = '/';
#endif
  return path;
}

// Asked with the typed (terminal) spelling of the path.
bool IsFolder(const std::string& library_path) {
  std::error_code error;
  return std::filesystem::is_directory(Shown(library_path), error);
}

int Usage(const char* why) {
  if (why) std::fprintf(stderr, "beam: %s\n", why);
  std::fprintf(stderr,
               "usage: beam DATA_FOLDER PROJECT POSITION --span M --load KN_PER_M "
               "[--tmp DIR]\n"
               "       beam [DATA_FOLDER [PROJECT [POSITION]]] --show [--tmp DIR]\n");
  return kExitUsage;
}

bool ParseNumber(const char* text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text, &end);
  return end != text && *end == '\0';
}

int Failed(const char* step, int32_t code) {
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

int Show(beam::Session& session, const std::string& position) {
  const int32_t state = session.PositionState();
  if (state < 0) return Failed("looking the position up", state);
  if (state == 0) {
    std::fprintf(stderr, "beam: the project has no beam position '%s'\n",
                 Shown(position).c_str());
    return kExitFailed;
  }
  const int32_t records = session.Open(false);
  if (records < 0) return Failed("opening the position", records);
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
  const int32_t state = session.PositionState();
  if (state < 0) return Failed("looking the position up", state);
  if (state == 2)
    std::printf(
        "  the position is locked by another program: it is calculated, but "
        "cannot be saved while the other one holds it\n");
  const int32_t records = session.Open(true);
  if (records < 0) return Failed("opening the position", records);
  beam::BeamInput old;
  if (session.ReadInput(&old) == 1)
    std::printf("  was: span %.2f m, uniform load %.2f kN/m\n", old.span_m,
                old.load_kn_per_m);
  const beam::BeamResults r = beam::Calculate(in);
  PrintResults(in, r);
  const int32_t stored = session.Store(in, r);
  if (stored < 0) return Failed("writing the working file", stored);
  const int32_t saved = session.Save();
  if (saved <= 0) return Failed("saving the position", saved);
  std::printf("  saved: %d records into the project\n", saved);
  std::string result_file;
  const int32_t project = session.WriteResultFile(in, r, &result_file);
  if (project <= 0) return Failed("writing the result file", project);
  std::printf("  result record in %s\n", ShownPath(result_file).c_str());
  int16_t first = 0;
  const int32_t id = session.RecordPrintout(&first);
  if (id <= 0) return Failed("recording the printout's pages", id);
  std::printf("  printout: pages %d to %d\n", first,
              first + beam::kPrintedPages - 1);
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> names;
  std::string tmp;
  bool show = false, have_span = false, have_load = false;
  beam::BeamInput in{0, 0};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      Usage(nullptr);
      return kExitOk;
    } else if (arg == "--show") {
      show = true;
    } else if (arg == "--span" || arg == "--load" || arg == "--tmp") {
      if (i + 1 >= argc) return Usage((arg + " needs a value").c_str());
      const char* value = argv[++i];
      if (arg == "--tmp") {
        tmp = LibraryText(value);
      } else {
        double* target = arg == "--span" ? &in.span_m : &in.load_kn_per_m;
        if (!ParseNumber(value, target))
          return Usage((arg + ": not a number: " + value).c_str());
        (arg == "--span" ? have_span : have_load) = true;
      }
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      return Usage(("unknown option " + arg).c_str());
    } else if (names.size() < 3) {
      names.push_back(LibraryText(arg));
    } else {
      return Usage("too many arguments");
    }
  }
  if (show && (have_span || have_load))
    return Usage("--show takes no --span or --load");
  if (!show) {
    if (names.size() < 3) return Usage("DATA_FOLDER, PROJECT and POSITION are needed");
    if (!have_span || !have_load) return Usage("--span and --load are needed");
    if (!(in.span_m > 0 && in.span_m <= 100))
      return Usage("the span must be above 0 and at most 100 m");
    if (!(in.load_kn_per_m >= 0 && in.load_kn_per_m <= 10000))
      return Usage("the load must be 0 to 10000 kN/m");
  }
  names.resize(3);
  std::string& data = names[0];
  std::string& project = names[1];
  std::string& position = names[2];
  if (project.size() > 40 || position.size() > 40)
    return Usage("project and position names have at most 40 characters");
  if (show && (data.empty() || project.empty() || position.empty()) &&
      !beam::Session::LastUsed(&data, &project, &position)) {
    std::fprintf(stderr, "beam: no beam position used last; name one\n");
    return kExitFailed;
  }

  // Checked here, before anything is calculated: the library would take
  // the folders of the last call in their place for a new position.
  for (const std::string* folder : {&data, &tmp}) {
    if (folder->empty() && folder == &tmp) continue;
    if (!IsFolder(*folder)) {
      std::fprintf(stderr, "beam: the %s folder '%s' does not exist\n",
                   folder == &data ? "data" : "temporary",
                   Shown(*folder).c_str());
      return kExitFailed;
    }
  }

  beam::Session session(data, tmp, project, position);
  if (session.FindProgram() < 0) {
    std::fprintf(stderr,
                 "beam: the program key %s is not in the program catalogue "
                 "(zbkeys.ini of the program folder); scripts/demo.sh adds it\n",
                 beam::kProgramKey);
    return kExitFailed;
  }
  std::printf("beam: project '%s', position '%s'\n", Shown(project).c_str(),
              Shown(position).c_str());
  return show ? Show(session, position) : Calculate(session, in);
}
