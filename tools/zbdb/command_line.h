// The command line of zbdb: each group of commands registers its own
// subcommands and options on the CLI::App, and says what each one runs.
// The runs start only after parsing, once main has set up the library, so
// that a usage error never touches the installation.
#ifndef ZBDB_TOOLS_COMMAND_LINE_H_
#define ZBDB_TOOLS_COMMAND_LINE_H_

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "project_commands.h"
#include "zbdb_commands.h"

namespace CLI {
class App;
}  // namespace CLI

namespace zb::api {
class Library;
}  // namespace zb::api

namespace zb::tool {

// Everything the command line fills in; only the parsed command's fields
// are set.
struct Options {
  std::string file;  // a record file, or the .POS file of an import
  std::string folder, project, author, to;
  PositionName position;  // position and program; folder and project above
  bool raw = false;
  bool yes = false;
  bool no = false;
};

// Whether every text of the options converts to the library's
// Windows-1252; else the first that does not is reported on stderr.
bool OptionsFitTheLibrary(const Options& options);

// What a parsed command does, given the library main has set up.
using CommandRun = std::function<int(zb::api::Library&, const Streams&)>;

// The commands registered so far, and which one the line named.
class Dispatcher {
 public:
  void Add(CLI::App* command, CommandRun run);
  // The run of the parsed command; empty when the line named none.
  CommandRun Parsed() const;

 private:
  std::vector<std::pair<CLI::App*, CommandRun>> commands_;
};

// The groups, in the order their commands appear in the help text.
// list, check, compact, demo.
void AddRecordFileCommands(CLI::App& app, Options& options,
                           Dispatcher& commands);
// config, programs.
void AddEnvironmentCommands(CLI::App& app, Options& options,
                            Dispatcher& commands);
// projects, positions, new-project, unlock.
void AddProjectCommands(CLI::App& app, Options& options, Dispatcher& commands);
// export, import, mail.
void AddExchangeCommands(CLI::App& app, Options& options,
                         Dispatcher& commands);
// repair, previews, autosave.
void AddCareCommands(CLI::App& app, Options& options, Dispatcher& commands);

// Shared by the groups: the required arguments FILE, DIR, PROJECT, and
// POSITION with --program.
void AddFileArgument(CLI::App* command, Options& options);
void AddFolderArgument(CLI::App* command, Options& options);
void AddProjectArgument(CLI::App* command, Options& options);
void AddPositionArguments(CLI::App* command, Options& options);

}  // namespace zb::tool

#endif  // ZBDB_TOOLS_COMMAND_LINE_H_
