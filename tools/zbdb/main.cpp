// zbdb: support and administration of ZBDB900 record files.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "api/library.h"
#include "console_ui.h"
#include "environment/ui.h"
#include "environment_commands.h"
#include "exchange_commands.h"
#include "project_commands.h"
#include "zbdb_commands.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
// The files' text is Windows-1252; a console shows it right only in that
// code page. The console keeps its code page after we end, so put it back.
class ConsoleCodePage {
 public:
  ConsoleCodePage() : old_(GetConsoleOutputCP()) {
    if (old_ != 0) SetConsoleOutputCP(1252);
  }
  ~ConsoleCodePage() {
    if (old_ != 0) SetConsoleOutputCP(old_);
  }

 private:
  UINT old_;
};
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  ConsoleCodePage code_page;
#endif
  namespace tool = zb::tool;

  CLI::App app{"zbdb - look after the record files and data folders of ZBDB900",
               "zbdb"};
  // --yes and --no also after the command's own arguments.
  app.fallthrough();
  app.set_version_flag("--version", std::string(ZBDB_VERSION));
  // At most one command; a missing one is reported below, so that an
  // unknown word is named as such instead of "a command is required".
  app.require_subcommand(0, 1);
  app.footer(
      "Exit status: 0 done, 1 the command failed or the file is not sound,\n"
      "2 usage error. Run 'zbdb COMMAND --help' for a command's options.");

  std::string file;
  bool raw = false;
  bool yes = false;
  bool no = false;
  app.add_flag("--yes", yes, "answer the library's questions with yes");
  app.add_flag("--no", no, "answer the library's questions with no")
      ->excludes("--yes");
  auto add_file = [&file](CLI::App* command) {
    command->add_option("FILE", file, "the record file")->required();
  };

  CLI::App* list = app.add_subcommand(
      "list", "print the record listing of FILE (opened read-only)");
  add_file(list);
  list->add_flag("--raw", raw,
                 "write the files' Windows-1252 text unchanged, without "
                 "conversion for the terminal");

  CLI::App* check = app.add_subcommand(
      "check",
      "report the state of FILE (closed cleanly, needs re-indexing, not a "
      "record file), its records, end of data and deleted records; never "
      "changes the file. Exit 1 when it is not a sound record file");
  add_file(check);

  CLI::App* compact = app.add_subcommand(
      "compact",
      "drop the deleted records of FILE; the old file is kept beside it "
      "with the extension .xxx");
  add_file(compact);

  CLI::App* demo = app.add_subcommand(
      "demo",
      "write a small demo project file FILE (a project header, two "
      "positions with their records, one deleted record); never overwrites. "
      "Given a data folder, create the project Demoprojekt in it (two "
      "positions, the second locked)");
  add_file(demo);

  CLI::App* config = app.add_subcommand(
      "config",
      "show the six folders of the installation with their validation and "
      "the settings of ZBDB.CFG. Exit 1 when a folder is invalid");
  CLI::App* programs = app.add_subcommand(
      "programs",
      "list the program catalogue: key, number, title, group, installed");

  // Commands on a data folder.
  std::string folder, project, author, to;
  tool::PositionName position;
  auto add_folder = [&folder](CLI::App* command) {
    command->add_option("DIR", folder, "the data folder")->required();
  };
  auto add_project = [&project](CLI::App* command) {
    command->add_option("PROJECT", project, "the project's name")->required();
  };
  auto add_position = [&position](CLI::App* command) {
    command->add_option("POSITION", position.position,
                        "the position's (long) name")
        ->required();
    command->add_option("--program", position.program,
                        "the program: its key (DLT) or number (101)")
        ->required();
  };

  CLI::App* projects = app.add_subcommand(
      "projects",
      "list the projects of the data folder DIR: number, name, author, "
      "dates, kind and file (a missing project list is made anew)");
  add_folder(projects);
  CLI::App* positions = app.add_subcommand(
      "positions",
      "list the positions of PROJECT in DIR: names, program, id, records, "
      "and who holds a lock since when");
  add_folder(positions);
  add_project(positions);
  CLI::App* new_project =
      app.add_subcommand("new-project", "create the project NAME in DIR");
  add_folder(new_project);
  new_project->add_option("NAME", project, "the new project's name")
      ->required();
  new_project->add_option("--author", author, "the project's author");
  CLI::App* unlock = app.add_subcommand(
      "unlock",
      "show who holds the lock of POSITION of PROJECT in DIR, and remove it "
      "after asking (--yes: without asking)");
  add_folder(unlock);
  add_project(unlock);
  add_position(unlock);
  CLI::App* export_position = app.add_subcommand(
      "export",
      "write POSITION of PROJECT in DIR into a .POS exchange file; its lock "
      "is not taken");
  add_folder(export_position);
  add_project(export_position);
  add_position(export_position);
  export_position->add_option(
      "--to", to,
      "the file, or a folder in which it is named after program and "
      "position (default: the current folder)");
  CLI::App* import_position = app.add_subcommand(
      "import",
      "read the .POS exchange FILE into PROJECT in DIR; an existing "
      "position of the same name is overwritten only after asking");
  add_folder(import_position);
  add_project(import_position);
  import_position->add_option("FILE", file, "the .POS file")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // CLI11 ends with its own codes; ours are 0 for --help and --version
    // and 2 for every usage error.
    return app.exit(e) == 0 ? tool::kExitOk : tool::kExitUsage;
  }

  if (app.get_subcommands().empty()) {
    std::fprintf(stderr,
                 "zbdb: a command is required: list, check, compact, demo, "
                 "config, programs, projects, positions, new-project, "
                 "unlock, export or import\n"
                 "Run with --help for more information.\n");
    return tool::kExitUsage;
  }

  tool::Streams io;
  io.raw = raw;
  tool::ConsoleUi ui(yes  ? tool::ConsoleUi::Policy::kYes
                     : no ? tool::ConsoleUi::Policy::kNo
                          : tool::ConsoleUi::Policy::kAsk,
                     stdin, stdout, raw);
  zb::api::LibraryServices services;
  services.ui = &ui;
  zb::api::Library library(services);
  zb::api::LibraryInstallation installation(library);
  if (list->parsed()) return tool::ListCommand(file, io);
  if (check->parsed()) return tool::CheckCommand(file, io);
  if (compact->parsed()) return tool::CompactCommand(file, io);
  if (demo->parsed()) {
    tool::PrepareLibrary(library);  // a demo project's lock names this user
    return tool::DemoCommand(file, io);
  }
  if (config->parsed()) return tool::ConfigCommand(io);
  if (programs->parsed()) return tool::ProgramsCommand(io);

  tool::PrepareLibrary(library);
  position.folder = folder;
  position.project = project;
  if (projects->parsed()) return tool::ProjectsCommand(folder, io);
  if (positions->parsed()) return tool::PositionsCommand(folder, project, io);
  if (new_project->parsed())
    return tool::NewProjectCommand(folder, project, author, io);
  if (unlock->parsed()) return tool::UnlockCommand(position, io);
  if (export_position->parsed()) return tool::ExportCommand(position, to, io);
  if (import_position->parsed())
    return tool::ImportCommand(folder, project, file, io);
  return tool::kExitUsage;
}
