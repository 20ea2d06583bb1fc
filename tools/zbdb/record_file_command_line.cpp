// list, check, compact and demo on the command line.
#include <CLI/CLI.hpp>

#include "api/library.h"
#include "command_line.h"

namespace zb::tool {

void AddRecordFileCommands(CLI::App& app, Options& options,
                           Dispatcher& commands) {
  CLI::App* list = app.add_subcommand(
      "list", "print the record listing of FILE (opened read-only)");
  AddFileArgument(list, options);
  list->add_flag("--raw", options.raw,
                 "write the files' Windows-1252 text unchanged, without "
                 "conversion for the terminal");
  commands.Add(list, [&options](zb::api::Library&, const Streams& io) {
    return ListCommand(options.file, io);
  });

  CLI::App* check = app.add_subcommand(
      "check",
      "report the state of FILE (closed cleanly, needs re-indexing, not a "
      "record file), its records, end of data and deleted records; never "
      "changes the file. Exit 1 when it is not a sound record file");
  AddFileArgument(check, options);
  commands.Add(check, [&options](zb::api::Library&, const Streams& io) {
    return CheckCommand(options.file, io);
  });

  CLI::App* compact = app.add_subcommand(
      "compact",
      "drop the deleted records of FILE; the old file is kept beside it "
      "with the extension .xxx");
  AddFileArgument(compact, options);
  commands.Add(compact, [&options](zb::api::Library&, const Streams& io) {
    return CompactCommand(options.file, io);
  });

  CLI::App* demo = app.add_subcommand(
      "demo",
      "write a small demo project file FILE (a project header, two "
      "positions with their records, one deleted record); never overwrites. "
      "Given a data folder, create the project Demoprojekt in it (two "
      "positions, the second locked)");
  AddFileArgument(demo, options);
  commands.Add(demo, [&options](zb::api::Library& library, const Streams& io) {
    PrepareLibrary(library);  // a demo project's lock names this user
    return DemoCommand(options.file, io);
  });
}

}  // namespace zb::tool
