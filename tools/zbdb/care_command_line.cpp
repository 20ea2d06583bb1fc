// repair, previews and autosave on the command line.
#include <CLI/CLI.hpp>

#include "api/library.h"
#include "care_commands.h"
#include "command_line.h"

namespace zb::tool {

void AddCareCommands(CLI::App& app, Options& options, Dispatcher& commands) {
  CLI::App* repair = app.add_subcommand(
      "repair",
      "repair the damaged record FILE after asking: what can be recognised "
      "is copied into a new file, indexed afresh and put in its place; the "
      "damaged file is kept as .OLD, the listing REPAIR.LST goes to the "
      "temporary folder. Exit 0 repaired or sound, 1 not repaired");
  AddFileArgument(repair, options);
  commands.Add(repair, [&options](zb::api::Library& library,
                                  const Streams& io) {
    PrepareLibrary(library);
    return RepairCommand(options.file, io);
  });

  CLI::App* previews = app.add_subcommand(
      "previews", "list the positions of PROJECT in DIR that have a preview");
  AddFolderArgument(previews, options);
  AddProjectArgument(previews, options);
  commands.Add(previews, [&options](zb::api::Library& library,
                                    const Streams& io) {
    PrepareLibrary(library);
    return PreviewsCommand(options.folder, options.project, io);
  });

  CLI::App* autosave = app.add_subcommand(
      "autosave",
      "list the autosave copies in DIR (default: the temporary folder) and "
      "the templates of the configuration folder");
  autosave->add_option("DIR", options.folder,
                       "the folder of the autosave copies");
  commands.Add(autosave, [&options](zb::api::Library&, const Streams& io) {
    return AutosaveCommand(options.folder, io);
  });
}

}  // namespace zb::tool
