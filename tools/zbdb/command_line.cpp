#include "command_line.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace zb::tool {

bool OptionsFitTheLibrary(const Options& options) {
  for (const std::string* text :
       {&options.file, &options.folder, &options.project, &options.author,
        &options.to, &options.position.position, &options.position.program}) {
    if (IsWindows1252Text(*text)) continue;
    std::fprintf(stderr,
                 "zbdb: '%s' cannot be given to the library: its files keep "
                 "Windows-1252 text, which lacks some of these characters (or "
                 "it is no valid UTF-8); nothing changed\n",
                 text->c_str());
    return false;
  }
  return true;
}

void Dispatcher::Add(CLI::App* command, CommandRun run) {
  commands_.emplace_back(command, std::move(run));
}

CommandRun Dispatcher::Parsed() const {
  for (const auto& [command, run] : commands_)
    if (command->parsed()) return run;
  return CommandRun();
}

void AddFileArgument(CLI::App* command, Options& options) {
  command->add_option("FILE", options.file, "the record file")->required();
}

void AddFolderArgument(CLI::App* command, Options& options) {
  command->add_option("DIR", options.folder, "the data folder")->required();
}

void AddProjectArgument(CLI::App* command, Options& options) {
  command->add_option("PROJECT", options.project, "the project's name")
      ->required();
}

void AddPositionArguments(CLI::App* command, Options& options) {
  command->add_option("POSITION", options.position.position,
                      "the position's (long) name")
      ->required();
  command->add_option("--program", options.position.program,
                      "the program: its key (DLT) or number (101)")
      ->required();
}

}  // namespace zb::tool
