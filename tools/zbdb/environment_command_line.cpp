// config and programs on the command line.
#include <CLI/CLI.hpp>

#include "api/library.h"
#include "command_line.h"
#include "environment_commands.h"

namespace zb::tool {

void AddEnvironmentCommands(CLI::App& app, Options&, Dispatcher& commands) {
  CLI::App* config = app.add_subcommand(
      "config",
      "show the six folders of the installation with their validation and "
      "the settings of ZBDB.CFG. Exit 1 when a folder is invalid");
  commands.Add(config, [](zb::api::Library&, const Streams& io) {
    return ConfigCommand(io);
  });

  CLI::App* programs = app.add_subcommand(
      "programs",
      "list the program catalogue: key, number, title, group, installed");
  commands.Add(programs, [](zb::api::Library&, const Streams& io) {
    return ProgramsCommand(io);
  });
}

}  // namespace zb::tool
