#include "projectstore/project_names.h"

#include <cstdio>
#include <cstring>

#include "environment/library_context.h"
#include "environment/string_utils.h"
#include "projectstore/store.h"

namespace zb::projectstore {
namespace {

std::string Upper(std::string text) { return environment::UpperText(text); }

bool IsSep(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string WithBackslash(const std::string& folder) {
  if (folder.empty() || IsSep(folder.back())) return folder;
  return folder + "\\";
}

std::string PathKey(const std::string& path) {
  std::string key = Upper(path);
  for (char& c : key) c = c == '/' ? '\\' : c;
  return key;
}

std::string ProjectListPath(Store& store, const std::string& folder) {
  const std::string& list = store.context().config.project_list_file;
  if (PathKey(folder).find(Upper(list)) != std::string::npos) return folder;
  return WithBackslash(folder) + list;
}

std::string ProjectFilePath(Store& store, const std::string& folder,
                            int number) {
  char name[32];
  std::snprintf(name, sizeof name, "%s%05d%s", "PRO", number,
                store.context().config.project_extension.c_str());
  return WithBackslash(folder) + name;
}

std::string CompanionPath(const std::string& project_file,
                          const char* extension) {
  const size_t dot = project_file.rfind('.');
  const size_t sep = project_file.find_last_of("\\/");
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep))
    return project_file + extension;
  return project_file.substr(0, dot) + extension;
}

int NumberFromFileName(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot < 5) return -1;
  int number = 0;
  for (size_t i = dot - 5; i < dot; ++i) {
    if (name[i] < '0' || name[i] > '9') return -1;
    number = number * 10 + (name[i] - '0');
  }
  return number;
}

bool IsFolderProjectPath(const std::string& path) {
  return PathKey(path).find(Upper(kFolderProjectFile)) != std::string::npos;
}

std::string DosUmlautsToWindows(std::string text) {
  for (char& c : text) {
    switch (static_cast<unsigned char>(c)) {
      case 0x84: c = '\xE4'; break;  // ä
      case 0x94: c = '\xF6'; break;  // ö
      case 0x81: c = '\xFC'; break;  // ü
      case 0x8E: c = '\xC4'; break;  // Ä
      case 0x99: c = '\xD6'; break;  // Ö
      case 0x9A: c = '\xDC'; break;  // Ü
      case 0xE1: c = '\xDF'; break;  // ß
      default: break;
    }
  }
  return text;
}

std::string TrimProjectName(const std::string& name) {
  if (name == "    ") return name;
  const size_t first = name.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

std::string NameOf(const PROINFO& info) {
  return std::string(info.szProject,
                     strnlen(info.szProject, sizeof info.szProject));
}

uint32_t ListCreationCopy(const PROINFO& info) {
  uint32_t value;
  std::memcpy(&value, info.szPrgShort, 4);
  return value;
}
uint16_t ListKind(const PROINFO& info) {
  uint16_t value;
  std::memcpy(&value, info.szPrgShort + 4, 2);
  return value;
}
void SetListCreationCopy(PROINFO* info, uint32_t value) {
  std::memcpy(info->szPrgShort, &value, 4);
}
void SetListKind(PROINFO* info, uint16_t kind) {
  std::memcpy(info->szPrgShort + 4, &kind, 2);
}

}  // namespace zb::projectstore
