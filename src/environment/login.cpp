#include "environment/login.h"

#include <cstdio>

#include "environment/companion.h"
#include "environment/config_file.h"
#include "environment/folder_settings.h"
#include "environment/library_context.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "recordstore/engine.h"

namespace zb::environment {
namespace {

struct FolderSlot {
  FolderKind kind;
  std::string Folders::*field;
  const char* error_text;
};
const FolderSlot kFolderSlots[] = {
    {FolderKind::kProgram, &Folders::program, " NO_EXE_PATH ,"},
    {FolderKind::kTemporary, &Folders::temporary, " NO_TMP_PATH ,"},
    {FolderKind::kData, &Folders::data, " NO_DATA_PATH ,"},
    {FolderKind::kUser, &Folders::user, " NO_USER_PATH ,"},
    {FolderKind::kConfiguration, &Folders::configuration, " NO_INI_PATH ,"},
    {FolderKind::kBase, &Folders::base, " NO_BASE_PATH ,"},
};

std::string VersionText(const uint16_t parts[4]) {
  char text[64];
  std::snprintf(text, sizeof text, "%u,%u,%u,%u", parts[0], parts[1],
                parts[2], parts[3]);
  return text;
}

void SetLogPath(LibraryContext& context) {
  context.log.set_path(context.folders.configuration.empty()
                           ? std::string()
                           : context.folders.configuration + "DBReport.Log");
}

}  // namespace

bool ShowFolderSettings(LibraryContext& context) {
  FolderSettingsBackend backend;
  backend.current = [&context] { return context.folders; };
  backend.os = &context.os();
  backend.log = &context.log;
  backend.apply = [&context](const Folders& folders) {
    return SetFolders(context, folders);
  };
  FolderSettingsModel model(backend);
  Ui& ui = context.ui();
  if (ui.FolderSettings(model)) return true;
  const std::string text = model.OnCancel();
  if (!text.empty())
    ui.Ask(context.message_title, text, Buttons::kOk, Icon::kError);
  return false;
}

int32_t RegInit(LibraryContext& context) {
  Companions& companions = context.companions();
  const std::string product = platform::ProductFolder(context.os());
  Folders read = context.folders;
  read.temporary = product + "\\TMP";
  read.user = product + "\\User";
  read.data = product + "\\Daten";
  read.base = product + "\\Basis";
  int sum = 0;
  std::string texts;
  for (const FolderSlot& slot : kFolderSlots) {
    if (companions.ReadFolder(slot.kind, &(read.*slot.field)) != 0) {
      sum += FolderErrorCode(slot.kind);
      texts += slot.error_text;
    }
  }
  if (sum != 0) {
    std::string entry =
        "\n\n####################################\n ERROR in Read Registry !\n\n" +
        texts;
    if (!companions.error().empty()) entry += "\n " + companions.error();
    context.log.Append(entry);
    return 0;
  }
  for (const FolderSlot& slot : kFolderSlots)
    read.*slot.field = NormaliseFolder(read.*slot.field);
  if (read.base.empty()) read.base = read.user;
  context.folders = read;
  SetLogPath(context);
  return 1;
}

Folders SetFolders(LibraryContext& context, const Folders& folders) {
  Companions& companions = context.companions();
  struct Set {
    FolderKind kind;
    const std::string* text;
    const char* label;
  };
  const Set sets[] = {
      {FolderKind::kData, &folders.data, "data:"},
      {FolderKind::kProgram, &folders.program, "exe:"},
      {FolderKind::kTemporary, &folders.temporary, "tmp:"},
      {FolderKind::kUser, &folders.user, "user:"},
      {FolderKind::kConfiguration, &folders.configuration, "ini:"},
  };
  char line[600];
  std::snprintf(line, sizeof line, "\n%8s======> WriteRegistry : ", "");
  context.log.Append(line);
  int errors = 0;
  for (const Set& set : sets) {
    if (set.text->empty()) continue;
    errors += companions.WriteFolder(set.kind, *set.text);
    std::snprintf(line, sizeof line, "\n%16s %s %s", "", set.label,
                  set.text->c_str());
    context.log.Append(line);
  }
  if (errors != 0)
    context.log.Append(
        "\n\n####################################\n ERROR : No write "
        "permission to Registry!!\n\n\n");
  RegInit(context);
  return context.folders;
}

void SetDataFolder(LibraryContext& context, const std::string& folder) {
  if (folder.size() <= 5 || folder.size() >= 100) return;
  Folders only_data;
  only_data.data = folder;
  SetFolders(context, only_data);
}

std::string HelpFilePath(LibraryContext& context) {
  Companions& companions = context.companions();
  const int32_t language = companions.Language();
  if (language == 1031) return context.folders.program + "ZBDB.hlp";
  const std::string name = companions.LanguageShortName(language);
  char path[600];
  std::snprintf(path, sizeof path, "%s%s\\ZBDB_%s.hlp",
                context.folders.program.c_str(), name.c_str(), name.c_str());
  return path;
}

int32_t Login(Session& session) {
  LibraryContext& context = session.context;
  if (context.login_counter >= 2) {
    ++context.login_counter;
    return 1;
  }
  context.login_counter = 1;
  platform::Platform& os = context.os();
  // The resource handle is asked for here rather than while the library is
  // being loaded: Windows forbids loading another library at that moment.
  if (!context.resource_handle)
    context.resource_handle = reinterpret_cast<uintptr_t>(
        context.companions().AcquireResourceHandle(nullptr));

  context.user = os.UserName();
  if (context.user.empty()) context.user = "ZB_GAST";
  context.computer = os.ComputerName();
  if (context.computer.empty()) context.computer = "NoName";

  RegInit(context);
  bool folders_valid = ValidateFolders(os, context.log, context.folders) == 0;
  if (!folders_valid) folders_valid = ShowFolderSettings(context);

  context.config = ReadConfig(os, context.log, context.folders.configuration);
  ProgramCatalogue& catalogue = context.catalogue;
  catalogue.Load(context.folders.program);
  context.open_position = OpenPosition();
  context.current_project.clear();

  if (!folders_valid) {
    os.PostQuit(1);
    UnloadHandling(session);
    return 0;
  }

  context.help_path = HelpFilePath(context);
  SetLogPath(context);
  Log::LoginInfo info;
  uint16_t parts[4];
  if (os.ModuleVersion(os.OwnModulePath(), false, parts))
    info.file_version = VersionText(parts);
  info.program_folder = context.folders.program;
  info.data_folder = context.folders.data;
  info.temp_folder = context.folders.temporary;
  info.user_folder = context.folders.user;
  info.user = context.user;
  context.log.LoginHeader(info);

  if (catalogue.count() > 3) {
    os.WriteUserNumber("\\Settings", "DBVersion", 0);
    context.database_version = 0;
    context.login_counter = 2;
    return 1;
  }
  char line[700];
  std::snprintf(line, sizeof line, "\n### ERROR ###  ProgramKeysFile= '%s'",
                catalogue.file_path().c_str());
  context.log.Append(line);
  context.log.Append(
      "\n### ERROR ###  No Program keys loaded. Restart the program.");
  os.PostQuit(1);
  return -101;
}

void EnsureLoggedIn(Session& session) {
  if (session.context.login_counter == 0) Login(session);
}

int32_t Logout(Session& session) {
  LibraryContext& context = session.context;
  int32_t result = 1;
  if (context.open_position.open) {
    // The result tells whether the project file could be had exclusively;
    // the release opens it so itself.
    recordstore::Engine& engine = session.engine;
    const int32_t h =
        engine.OpenExclusive(context.open_position.project_file.c_str());
    if (h > 0) engine.Close(h);
    result = h > 0 ? 1 : 0;
    context.open_position = OpenPosition();
  }
  // Whatever lock this process holds, also one a save took again.
  if (session.release_position_lock) session.release_position_lock();
  context.log.LogoutFooter();
  return result;
}

void UnloadHandling(Session& session) {
  LibraryContext& context = session.context;
  Logout(session);
  if (context.resource_handle) {
    context.companions().ReleaseResourceHandle(
        reinterpret_cast<void*>(context.resource_handle));
    context.resource_handle = 0;
  }
}

double DiskSpaceMb(platform::Platform& os, const std::string& path,
                   int32_t kind) {
  platform::Platform::DiskSpace space;
  if (!os.GetDiskSpace(path, &space)) return -1.0 / 1024.0;
  const uint64_t bytes = kind == 0   ? space.available
                         : kind == 1 ? space.total_free
                                     : space.total;
  return static_cast<double>(bytes / 1024) / 1024.0;
}

}  // namespace zb::environment
