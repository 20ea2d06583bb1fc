// export, import and mail on the command line.
#include <CLI/CLI.hpp>

#include "api/library.h"
#include "command_line.h"
#include "exchange_commands.h"

namespace zb::tool {

void AddExchangeCommands(CLI::App& app, Options& options,
                         Dispatcher& commands) {
  CLI::App* export_position = app.add_subcommand(
      "export",
      "write POSITION of PROJECT in DIR into a .POS exchange file; its lock "
      "is not taken");
  AddFolderArgument(export_position, options);
  AddProjectArgument(export_position, options);
  AddPositionArguments(export_position, options);
  export_position->add_option(
      "--to", options.to,
      "the file, or a folder in which it is named after program and "
      "position (default: the current folder)");
  commands.Add(export_position, [&options](zb::api::Library& library,
                                           const Streams& io) {
    PrepareLibrary(library);
    PositionName which = options.position;
    which.folder = options.folder;
    which.project = options.project;
    return ExportCommand(which, options.to, io);
  });

  CLI::App* import_position = app.add_subcommand(
      "import",
      "read the .POS exchange FILE into PROJECT in DIR; an existing "
      "position of the same name is overwritten only after asking");
  AddFolderArgument(import_position, options);
  AddProjectArgument(import_position, options);
  import_position->add_option("FILE", options.file, "the .POS file")
      ->required();
  commands.Add(import_position, [&options](zb::api::Library& library,
                                           const Streams& io) {
    PrepareLibrary(library);
    return ImportCommand(options.folder, options.project, options.file, io);
  });

  CLI::App* mail = app.add_subcommand(
      "mail",
      "save what a mail to the support carries into the folder --to: the "
      "project file of PROJECT in DIR (as PRO00900.PRO), the library's log "
      "and the installation protocol");
  AddFolderArgument(mail, options);
  AddProjectArgument(mail, options);
  mail->add_option("--to", options.to, "the folder (made when missing)")
      ->required();
  commands.Add(mail, [&options](zb::api::Library& library, const Streams& io) {
    PrepareLibrary(library);
    return MailCommand(options.folder, options.project, options.to, io);
  });
}

}  // namespace zb::tool
