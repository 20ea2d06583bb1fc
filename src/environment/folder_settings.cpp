#include "environment/folder_settings.h"

#include <cstdio>

#include "platform/platform.h"

namespace zb::environment {
namespace {

int Index(FolderField field) { return static_cast<int>(field); }

// Creates the folder and the folders above it that are missing.
void CreateFolderPath(platform::Platform& os, const std::string& folder) {
  for (size_t i = 1; i <= folder.size(); ++i) {
    if (i == folder.size() || folder[i] == '\\') {
      const std::string part = folder.substr(0, i);
      if (part.size() > 2 && !os.IsFolder(part)) os.CreateFolder(part);
    }
  }
}

}  // namespace

FolderSettingsModel::FolderSettingsModel(FolderSettingsBackend backend)
    : backend_(std::move(backend)) {}

const char* FolderSettingsModel::ChoiceLabel(FolderChoice choice) {
  return choice == FolderChoice::kAllUsers
             ? "Stamm - Ordner für alle Benutzerverzeichnisse verwenden         "
               "( registry/HKLM )"
             : "Benutzerverzeichnis des angemeldeten Benutzers verwenden   "
               "( registry/HKCU )";
}
const char* FolderSettingsModel::Label(FolderField field) {
  switch (field) {
    case FolderField::kProgram: return "Programme";
    case FolderField::kBase: return "für alle";
    case FolderField::kUser: return "angemeldeter Benutzer";
    case FolderField::kTemporary: return "Temporär ";
    case FolderField::kData: return "Datenpfad";
  }
  return "";
}

std::string& FolderSettingsModel::Text(FolderField field) {
  switch (field) {
    case FolderField::kProgram: return folders_.program;
    case FolderField::kBase: return folders_.base;
    case FolderField::kUser: return folders_.user;
    case FolderField::kTemporary: return folders_.temporary;
    case FolderField::kData: return folders_.data;
  }
  return folders_.data;
}

const std::string& FolderSettingsModel::text(FolderField field) const {
  return const_cast<FolderSettingsModel*>(this)->Text(field);
}

bool FolderSettingsModel::editable(FolderField field) const {
  switch (field) {
    case FolderField::kProgram: return false;
    case FolderField::kBase:
    case FolderField::kUser: return expert_;
    default: return true;
  }
}

bool FolderSettingsModel::valid(FolderField field) const {
  return valid_[Index(field)];
}

void FolderSettingsModel::Validate(FolderField field) {
  int flags = 0;
  switch (field) {
    case FolderField::kProgram:
      flags = backend_.os->IsFolder(folders_.program) ? 0 : 1;
      break;
    case FolderField::kBase:
      flags = backend_.os->IsFolder(folders_.base) ? 0 : 1;
      break;
    case FolderField::kUser:
      flags = ValidateUserFolder(*backend_.os, *backend_.log, folders_.user);
      break;
    case FolderField::kTemporary:
      flags = ValidateTemporaryFolder(*backend_.os, *backend_.log,
                                      folders_.temporary);
      break;
    case FolderField::kData:
      flags = ValidateDataFolder(*backend_.os, folders_.data, folders_.program);
      break;
  }
  valid_[Index(field)] = flags == 0;
}

void FolderSettingsModel::OnInit() {
  before_ = folders_ = backend_.current();
  for (FolderField f : {FolderField::kProgram, FolderField::kBase,
                        FolderField::kUser, FolderField::kTemporary,
                        FolderField::kData})
    Validate(f);
}

void FolderSettingsModel::OnExpertMode() { expert_ = true; }

void FolderSettingsModel::SetText(FolderField field, const std::string& text) {
  if (editable(field)) Text(field) = text;
}

void FolderSettingsModel::OnChosen(FolderField field,
                                   const std::string& folder) {
  if (!editable(field)) return;
  Text(field) = NormaliseFolder(folder);
  Validate(field);
}

bool FolderSettingsModel::OnOk(std::optional<FolderField> focus) {
  if (focus) {
    Validate(*focus);
    return false;
  }
  for (std::string* f : {&folders_.program, &folders_.data,
                         &folders_.temporary, &folders_.user,
                         &folders_.configuration, &folders_.base})
    *f = NormaliseFolder(*f);
  if (!folders_.configuration.empty() &&
      !backend_.os->IsFolder(folders_.configuration))
    CreateFolderPath(*backend_.os, folders_.configuration.substr(
                                       0, folders_.configuration.size() - 1));
  folders_ = backend_.apply(folders_);
  return true;
}

std::string FolderSettingsModel::OnCancel() {
  folders_ = before_;
  struct Check {
    int flags;
    const char* heading;
  };
  // The four checks of the login's validation, in its order: the user
  // folder is the one without the user name, the configuration folder the
  // personal one below it.
  const Check checks[] = {
      {ValidateDataFolder(*backend_.os, folders_.data, folders_.program),
       "Datenverzeichnis"},
      {ValidateTemporaryFolder(*backend_.os, *backend_.log, folders_.temporary),
       "Temporäres Verzeichnis"},
      {ValidateUserFolder(*backend_.os, *backend_.log, folders_.user),
       "Ordner (ohne Benutzernamen)"},
      {ValidateConfigurationFolder(*backend_.os, *backend_.log,
                                   folders_.configuration),
       "Persönlicher Ordner"},
  };
  const std::string* texts[] = {&folders_.data, &folders_.temporary,
                                &folders_.user, &folders_.configuration};
  std::string listing;
  for (size_t i = 0; i < 4; ++i) {
    if (checks[i].flags == 0) continue;
    listing += std::string(checks[i].heading) + "\n" + *texts[i] + "\n";
  }
  if (listing.empty()) return {};
  char text[4096];
  std::snprintf(text, sizeof text, "%s \n\n %s", listing.c_str(),
                "Fehler! Programm wird beendet");
  return text;
}

}  // namespace zb::environment
