// The beam sample program's own code (samples/beam) as a child process, so
// that two programs work on one position at once; between open and save it
// tells the test its steps in lines and waits for the test's lines.
//
//   run  DATA PROJECT POSITION SPAN LOAD
//     one whole run, as `beam ... --span --load`: exit 0 saved, 3 refused
//     because locked, 1 another error
//   hold DATA PROJECT POSITION SPAN LOAD
//     opens and calculates, then tells "state records" (state as seen
//     before the open); on a line from the test saves and tells the result;
//     when refused, on the next line saves once more and tells that result;
//     on the next line releases the position and ends
//   show DATA PROJECT POSITION
//     tells "state span load first-page page-count" (state 0: "0")
#include <cstdio>
#include <cstdlib>
#include <string>

#include "beam_program.h"
#include "support/test_support.h"

namespace {

int Run(beam::Session& session, const beam::BeamInput& in) {
  if (session.FindProgram() < 0 || session.Open(true) < 0) return 1;
  const beam::BeamResults r = beam::Calculate(in);
  if (session.Store(in, r) != 1) return 1;
  const int32_t saved = session.Save();
  if (saved <= 0) return saved == -7 ? 3 : 1;
  std::string result_file;
  int16_t first = 0;
  if (session.WriteResultFile(in, r, &result_file) <= 0) return 1;
  return session.RecordPrintout(&first) > 0 ? 0 : 1;
}

int Hold(beam::Session& session, const beam::BeamInput& in) {
  if (session.FindProgram() < 0) return 1;
  const int32_t state = session.PositionState();
  const int32_t records = session.Open(true);
  if (records > 0) session.Store(in, beam::Calculate(in));
  zbtest::TellParent(std::to_string(state) + " " + std::to_string(records));
  if (records <= 0 || !zbtest::ReadParentLine()) return 1;
  int32_t saved = session.Save();
  zbtest::TellParent(std::to_string(saved));
  if (saved <= 0) {
    if (!zbtest::ReadParentLine()) return 1;
    saved = session.Save();
    zbtest::TellParent(std::to_string(saved));
  }
  if (!zbtest::ReadParentLine()) return 1;
  session.Close();
  return saved > 0 ? 0 : 3;
}

int Show(beam::Session& session) {
  if (session.FindProgram() < 0) return 1;
  const int32_t state = session.PositionState();
  std::string text = std::to_string(state);
  if (state > 0 && session.Open(false) > 0) {
    beam::BeamInput in{};
    int16_t first = 0, count = 0;
    session.ReadInput(&in);
    session.Pages(&first, &count);
    char line[128];
    std::snprintf(line, sizeof line, " %.2f %.2f %d %d", in.span_m,
                  in.load_kn_per_m, first, count);
    text += line;
  }
  session.Close();
  zbtest::TellParent(text);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "run" && argc == 7) {
    beam::Session session(argv[2], "", argv[3], argv[4]);
    return Run(session, {std::atof(argv[5]), std::atof(argv[6])});
  }
  if (mode == "hold" && argc == 7) {
    beam::Session session(argv[2], "", argv[3], argv[4]);
    return Hold(session, {std::atof(argv[5]), std::atof(argv[6])});
  }
  if (mode == "show" && argc == 5) {
    beam::Session session(argv[2], "", argv[3], argv[4]);
    return Show(session);
  }
  std::fprintf(stderr, "beam_child: unknown command\n");
  return 2;
}
