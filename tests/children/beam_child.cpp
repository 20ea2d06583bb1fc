// The beam sample program's own code (samples/beam) as a child process, so
// that two programs work on one position at once; the steps between open
// and save wait for the test.
//
//   run  DATA PROJECT POSITION SPAN LOAD
//     one whole run, as `beam ... --span --load`: exit 0 saved, 3 refused
//     because locked, 1 another error
//   hold CHANNEL DATA PROJECT POSITION SPAN LOAD
//     opens and calculates, then writes CHANNEL/opened ("state records",
//     state as seen before the open); on CHANNEL/save saves and writes
//     CHANNEL/saved.1 ("result"); when refused, on CHANNEL/retry saves once
//     more into CHANNEL/saved.2; on CHANNEL/exit releases the position and
//     ends
//   show OUTFILE DATA PROJECT POSITION
//     OUTFILE gets "state span load first-page page-count" (state 0: "0")
#include <cstdio>
#include <cstdlib>
#include <string>

#include "beam_program.h"
#include "support/test_support.h"

namespace {

constexpr int kWaitMs = 60000;

std::string Channel(const std::string& folder, const std::string& name) {
  return zbtest::JoinPath(folder, name);
}

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

int Hold(const std::string& channel, beam::Session& session,
         const beam::BeamInput& in) {
  if (session.FindProgram() < 0) return 1;
  const int32_t state = session.PositionState();
  const int32_t records = session.Open(true);
  if (records > 0) session.Store(in, beam::Calculate(in));
  zbtest::WriteMarker(Channel(channel, "opened"),
                      std::to_string(state) + " " + std::to_string(records));
  if (records <= 0) return 1;
  if (!zbtest::WaitForFile(Channel(channel, "save"), kWaitMs)) return 1;
  int32_t saved = session.Save();
  zbtest::WriteMarker(Channel(channel, "saved.1"), std::to_string(saved));
  if (saved <= 0) {
    if (!zbtest::WaitForFile(Channel(channel, "retry"), kWaitMs)) return 1;
    saved = session.Save();
    zbtest::WriteMarker(Channel(channel, "saved.2"), std::to_string(saved));
  }
  if (!zbtest::WaitForFile(Channel(channel, "exit"), kWaitMs)) return 1;
  session.Close();
  return saved > 0 ? 0 : 3;
}

int Show(const std::string& out, beam::Session& session) {
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
  return zbtest::WriteMarker(out, text) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "run" && argc == 7) {
    beam::Session session(argv[2], "", argv[3], argv[4]);
    return Run(session, {std::atof(argv[5]), std::atof(argv[6])});
  }
  if (mode == "hold" && argc == 8) {
    beam::Session session(argv[3], "", argv[4], argv[5]);
    return Hold(argv[2], session, {std::atof(argv[6]), std::atof(argv[7])});
  }
  if (mode == "show" && argc == 6) {
    beam::Session session(argv[3], "", argv[4], argv[5]);
    return Show(argv[2], session);
  }
  std::fprintf(stderr, "beam_child: unknown command\n");
  return 2;
}
