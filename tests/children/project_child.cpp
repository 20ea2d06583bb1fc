// A second (third, ...) program working on the same projects, for the lock
// and crash tests. It keeps its own library context, and so its own lock
// block, for as long as it runs. It talks with the test in lines on its
// standard input and output.
//
//   session <channel> <user> <computer>
//     Works as that user on that computer. Commands come as lines, words
//     separated by tabs; the reply to each is its lines and then a line
//     "<end>". The log is <channel>/<user>.log. Commands:
//       export  <project> <working> <program> <name>   -> result error own-lock
//       import  <project> <working> <program> <name> <flags> -> result error
//       state   <project> <program> <name>              -> 0, 1 or 2
//       check   <project> <program> <name> <yes|no|->   -> result, then every
//               message shown (caption, buttons, text), the answer queued
//       lock    <project> <program> <name>              -> Lock_On's result
//       release                                         -> result
//       paused-import <project> <working> <program> <name>
//               imports, and at the first record stored tells "paused" and
//               waits for a line                       -> result error
//       exit
//   crash-import <project> <working> <program> <name> <fail|cut|none> <n>
//     Imports once (quiet, without lock) through the fault-injecting
//     platform; write number n fails (or keeps only its first half) and the
//     program ends at once, as if killed there (exit code 42). When the
//     import finishes first, it tells "result error writes".
//   import-loop <project> <working-prefix> <program> <name> <first> <count>
//     Imports <working-prefix><v>.TMP for v = first, first+1, ... (cycling
//     through 1..count) until killed; before each import it tells v.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "api/library.h"
#include "environment/library_context.h"
#include "environment/scripted_ui.h"
#include "platform/fault_injection.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/transfer.h"
#include "recordstore/engine.h"
#include "support/test_support.h"

namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
namespace pf = zb::platform;
using zb::recordstore::Engine;

constexpr int kCrashed = 42;

zb::api::Library& lib() { return zb::api::TheLibrary(); }
ps::Store& store() { return lib().store(); }

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  for (char c : line) {
    if (c == '\t') {
      words.push_back(word);
      word.clear();
    } else if (c != '\n' && c != '\r') {
      word += c;
    }
  }
  words.push_back(word);
  return words;
}

ps::ProPosLong Request(const std::string& name) {
  ps::ProPosLong pp{};
  std::snprintf(pp.long_name, sizeof pp.long_name, "%s", name.c_str());
  pp.project = 1;
  return pp;
}

int16_t Program(const std::string& text) {
  return static_cast<int16_t>(std::atoi(text.c_str()));
}

// -- The paused import --------------------------------------------------------

bool g_pause = false;

void PauseOnce(int32_t /*percent*/) {
  if (!g_pause) return;
  g_pause = false;
  zbtest::TellParent("paused");
  zbtest::ReadParentLine();
}

// -- The session --------------------------------------------------------------

std::string Run(const std::vector<std::string>& w, env::ScriptedUi& ui) {
  const std::string& verb = w[0];
  std::ostringstream out;
  Engine& engine = lib().engine();
  if (verb == "export" && w.size() == 5) {
    ps::ProPosLong pp = Request(w[4]);
    int32_t error = 0;
    const int32_t r =
        ps::ExportPosition(store(), w[1], w[2], Program(w[3]), &pp, 5, nullptr,
                           &error, ps::kTransferQuiet);
    out << r << ' ' << error << ' ' << lib().context().position_lock.state;
  } else if (verb == "import" && w.size() == 6) {
    int32_t error = 0;
    const int32_t r = ps::ImportPosition(
        store(), w[1], w[2], Program(w[3]), Request(w[4]), nullptr, 5, nullptr,
        &error, static_cast<uint32_t>(std::atoi(w[5].c_str())));
    out << r << ' ' << error;
  } else if (verb == "paused-import" && w.size() == 5) {
    g_pause = true;
    int32_t error = 0;
    const int32_t r =
        ps::ImportPosition(store(), w[1], w[2], Program(w[3]), Request(w[4]),
                           nullptr, 1, PauseOnce, &error, ps::kTransferQuiet);
    out << r << ' ' << error;
  } else if (verb == "state" && w.size() == 4) {
    out << ps::PositionStateOfFile(store(), w[1], Program(w[2]), w[3], nullptr);
  } else if (verb == "check" && w.size() == 5) {
    if (w[4] == "yes") ui.QueueAnswer(env::Answer::kYes);
    if (w[4] == "no") ui.QueueAnswer(env::Answer::kNo);
    const size_t shown = ui.messages().size();
    int h = engine.OpenReadOnly(w[1].c_str());
    if (h <= 0) {
      out << "open " << h;
    } else {
      out << ps::CheckLockAndInform(store(), &h, Program(w[2]), w[3], false);
      if (h > 0) engine.Close(h);
    }
    for (size_t i = shown; i < ui.messages().size(); ++i) {
      const env::ShownMessage& m = ui.messages()[i];
      out << "\n---- " << m.caption << " | buttons "
          << static_cast<int>(m.buttons) << "\n" << m.text;
    }
  } else if (verb == "lock" && w.size() == 4) {
    const int32_t h = engine.OpenExclusive(w[1].c_str());
    if (h <= 0) {
      out << "open " << h;
    } else {
      out << ps::LockOn(store(), h, 0, Program(w[2]), w[3]);
      engine.Close(h);
    }
  } else if (verb == "release" && w.size() == 1) {
    out << ps::ReleaseOwnLock(store());
  } else {
    out << "unknown command";
  }
  return out.str();
}

int Session(const std::string& channel, const std::string& user,
            const std::string& computer) {
  lib().context().user = user;
  lib().context().computer = computer;
  lib().log().set_path(zbtest::JoinPath(channel, user + ".log"));
  env::ScriptedUi ui;
  lib().set_ui(ui);
  // The test has gone when its end of the pipe closes.
  for (std::optional<std::string> line; (line = zbtest::ReadParentLine());) {
    const std::vector<std::string> words = SplitTabs(*line);
    const bool done = words[0] == "exit";
    zbtest::TellParent((done ? "bye" : Run(words, ui)) + "\n<end>");
    if (done) return 0;
  }
  return 5;
}

// -- Crashes ------------------------------------------------------------------

int CrashImport(const std::vector<std::string>& w) {
  const std::string& mode = w[5];
  const std::unique_ptr<pf::Platform> native = pf::NewNativePlatform();
  pf::FaultInjectingPlatform faults(*native);
  using Fault = pf::FaultInjectingPlatform::Fault;
  // Write n fails or keeps only its first half, and the program ends there.
  if (mode != "none") {
    faults.SpoilWrite(std::strtoull(w[6].c_str(), nullptr, 10),
                      mode == "fail" ? Fault::kFail : Fault::kHalve);
    faults.EndAfterSpoiledWrite(kCrashed);
  }
  zb::api::LibraryServices services;
  services.os = &faults;
  zb::api::Library crash_library(services);
  zb::api::LibraryInstallation installation(crash_library);
  lib().context().user = "crash";
  lib().context().computer = "CRASH-PC";
  int32_t error = 0;
  const int32_t r = ps::ImportPosition(
      store(), w[1], w[2], Program(w[3]), Request(w[4]), nullptr, 5, nullptr,
      &error, ps::kTransferQuiet | ps::kTransferNoLock);
  // The project is closed by now; what is left is the result.
  zbtest::TellParent(std::to_string(r) + " " + std::to_string(error) + " " +
                     std::to_string(faults.writes()));
  return 0;
}

int ImportLoop(const std::vector<std::string>& w) {
  lib().context().user = "loop";
  lib().context().computer = "LOOP-PC";
  const int count = std::atoi(w[6].c_str());
  for (int v = std::atoi(w[5].c_str());; v = v % count + 1) {
    zbtest::TellParent(std::to_string(v));
    int32_t error = 0;
    const std::string working = w[2] + std::to_string(v) + ".TMP";
    ps::ImportPosition(store(), w[1], working, Program(w[3]), Request(w[4]),
                       nullptr, 5, nullptr, &error,
                       ps::kTransferQuiet | ps::kTransferNoLock);
    if (error != 0) return 6;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> w(argv + 1, argv + argc);
  if (w.size() == 4 && w[0] == "session") return Session(w[1], w[2], w[3]);
  if (w.size() == 7 && w[0] == "crash-import") return CrashImport(w);
  if (w.size() == 7 && w[0] == "import-loop") return ImportLoop(w);
  return 2;
}
