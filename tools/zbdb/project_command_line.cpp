// projects, explore, positions, new-project and unlock on the command line.
#include <CLI/CLI.hpp>

#include "api/library.h"
#include "command_line.h"

namespace zb::tool {

void AddProjectCommands(CLI::App& app, Options& options, Dispatcher& commands) {
  CLI::App* projects = app.add_subcommand(
      "projects",
      "list the projects of the data folder DIR: number, name, author, "
      "dates, kind and file (a missing project list is made anew)");
  AddFolderArgument(projects, options);
  commands.Add(projects, [&options](zb::api::Library& library,
                                    const Streams& io) {
    PrepareLibrary(library);
    return ProjectsCommand(options.folder, io);
  });

  CLI::App* explore = app.add_subcommand(
      "explore",
      "show DIR as the explorer does, for support without a Windows desktop: "
      "every project with its positions, their state, lock holder, dates "
      "and pages");
  AddFolderArgument(explore, options);
  commands.Add(explore, [&options](zb::api::Library& library,
                                   const Streams& io) {
    PrepareLibrary(library);
    return ExploreCommand(options.folder, io);
  });

  CLI::App* positions = app.add_subcommand(
      "positions",
      "list the positions of PROJECT in DIR: names, program, id, records, "
      "and who holds a lock since when");
  AddFolderArgument(positions, options);
  AddProjectArgument(positions, options);
  commands.Add(positions, [&options](zb::api::Library& library,
                                     const Streams& io) {
    PrepareLibrary(library);
    return PositionsCommand(options.folder, options.project, io);
  });

  CLI::App* new_project =
      app.add_subcommand("new-project", "create the project NAME in DIR");
  AddFolderArgument(new_project, options);
  new_project->add_option("NAME", options.project, "the new project's name")
      ->required();
  new_project->add_option("--author", options.author, "the project's author");
  commands.Add(new_project, [&options](zb::api::Library& library,
                                       const Streams& io) {
    PrepareLibrary(library);
    return NewProjectCommand(options.folder, options.project, options.author,
                             io);
  });

  CLI::App* unlock = app.add_subcommand(
      "unlock",
      "show who holds the lock of POSITION of PROJECT in DIR, and remove it "
      "after asking (--yes: without asking)");
  AddFolderArgument(unlock, options);
  AddProjectArgument(unlock, options);
  AddPositionArguments(unlock, options);
  commands.Add(unlock, [&options](zb::api::Library& library,
                                  const Streams& io) {
    PrepareLibrary(library);
    PositionName which = options.position;
    which.folder = options.folder;
    which.project = options.project;
    return UnlockCommand(which, io);
  });
}

}  // namespace zb::tool
