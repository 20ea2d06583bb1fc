// zbdb: support and administration of ZBDB900 record files.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "api/library.h"
#include "backup_commands.h"
#include "command_line.h"
#include "console_ui.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "zbdb_commands.h"

namespace {

// The files' text is Windows-1252; a console shows it right only in that
// code page. The console keeps its code page after we end, so put it back.
class ConsoleCodePage {
 public:
  explicit ConsoleCodePage(zb::platform::Platform& os)
      : os_(os), old_(os.SetConsoleCodePage(1252)) {}
  ~ConsoleCodePage() {
    if (old_ != 0) os_.SetConsoleCodePage(old_);
  }
  ConsoleCodePage(const ConsoleCodePage&) = delete;
  ConsoleCodePage& operator=(const ConsoleCodePage&) = delete;

 private:
  zb::platform::Platform& os_;
  uint32_t old_;
};

// The tool's own settings and the flags every command takes.
void AddGeneralOptions(CLI::App& app, zb::tool::Options& options) {
  // --yes and --no also after the command's own arguments.
  app.fallthrough();
  app.set_version_flag("--version", std::string(ZBDB_VERSION));
  // At most one command; a missing one is reported in main, so that an
  // unknown word is named as such instead of "a command is required".
  app.require_subcommand(0, 1);
  app.footer(
      "Exit status: 0 done, 1 the command failed or the file is not sound,\n"
      "2 usage error. Run 'zbdb COMMAND --help' for a command's options.");
  app.add_flag("--yes", options.yes, "answer the library's questions with yes");
  app.add_flag("--no", options.no, "answer the library's questions with no")
      ->excludes("--yes");
}

// The parsed command, with the library set up for a terminal: its
// questions answered by --yes, --no or the user.
int RunWithLibrary(const zb::tool::CommandRun& run,
                   const zb::tool::Options& options) {
  namespace tool = zb::tool;
  tool::Streams io;
  io.raw = options.raw;
  tool::ConsoleUi ui(options.yes  ? tool::ConsoleUi::Policy::kYes
                     : options.no ? tool::ConsoleUi::Policy::kNo
                                  : tool::ConsoleUi::Policy::kAsk,
                     stdin, stdout, options.raw);
  zb::api::LibraryServices services;
  services.ui = &ui;
  zb::api::Library library(services);
  zb::api::LibraryInstallation installation(library);
  return run(library, io);
}

}  // namespace

int main(int argc, char** argv) {
  const std::unique_ptr<zb::platform::Platform> console =
      zb::platform::NewNativePlatform();
  ConsoleCodePage code_page(*console);
  namespace tool = zb::tool;
  CLI::App app{"zbdb - look after the record files and data folders of ZBDB900",
               "zbdb"};
  tool::Options options;
  tool::Dispatcher commands;
  AddGeneralOptions(app, options);
  tool::AddRecordFileCommands(app, options, commands);
  tool::AddEnvironmentCommands(app, options, commands);
  tool::AddProjectCommands(app, options, commands);
  tool::AddExchangeCommands(app, options, commands);
  tool::AddCareCommands(app, options, commands);
  tool::AddBackupCommands(app, options, commands);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // CLI11 ends with its own codes; ours are 0 for --help and --version
    // and 2 for every usage error.
    return app.exit(e) == 0 ? tool::kExitOk : tool::kExitUsage;
  }
  const tool::CommandRun run = commands.Parsed();
  if (!run) {
    std::fprintf(stderr,
                 "zbdb: a command is required: list, check, compact, demo, "
                 "config, programs, projects, positions, new-project, "
                 "unlock, export, import, mail, repair, previews, autosave, backup, "
                 "restore or archive-list\n"
                 "Run with --help for more information.\n");
    return tool::kExitUsage;
  }
  if (!tool::OptionsFitTheLibrary(options)) return tool::kExitUsage;
  return RunWithLibrary(run, options);
}
