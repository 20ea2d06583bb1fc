#include "environment/history_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "recordstore/typed_records.h"

namespace zb::environment {
namespace {

const char kRequestSection[] = "ZB_PROPOS";
const char kDataFolderSection[] = "ZB_DATAPATH";
const char kFourBlanks[] = "    ";

// Copies at most max_chars characters and the terminator into a field.
void Put(char* field, size_t width, const std::string& text,
         size_t max_chars) {
  std::memset(field, 0, width);
  const size_t n = std::min({text.size(), max_chars, width - 1});
  std::memcpy(field, text.data(), n);
}

// Names keep a value of exactly four blanks (an unnamed position's mark);
// everything else is trimmed on both sides.
std::string TrimUnlessFourBlanks(const char* field, size_t width) {
  std::string text(field, strnlen(field, width));
  if (text == kFourBlanks) return text;
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string HistoryPath(const std::string& configuration_folder) {
  return NormaliseFolder(configuration_folder) + "DBHISTORY.INI";
}

void ReadHistory(platform::Platform& os, const Folders& folders,
                 ZBPROPOS_L* request) {
  const std::string path = HistoryPath(folders.configuration);
  auto read = [&](const char* key, const std::string& fallback) {
    return os.ReadProfileText(path, kRequestSection, key, fallback);
  };
  std::string data = read("DataPfad", folders.data);
  if (data.empty()) data = folders.data;
  Put(request->szDataPfad, sizeof request->szDataPfad, data, 99);
  Put(request->szTmpPfad, sizeof request->szTmpPfad,
      read("TmpPfad", folders.temporary), 99);
  Put(request->szPrgName, sizeof request->szPrgName, read("PrgName", "ALLE"),
      5);
  Put(request->szProName, sizeof request->szProName, read("Projekt", ""), 41);
  const std::string long_name = read("Position", "");
  Put(request->szPosNameLong, sizeof request->szPosNameLong, long_name, 41);
  if (std::strlen(request->szPosNameLong) < 11)
    Put(request->szPosName, sizeof request->szPosName, long_name, 9);
  const std::string short_name = read("PositionShort", "");
  if (!short_name.empty())
    Put(request->szPosName, sizeof request->szPosName, short_name, 9);
}

void WriteHistory(platform::Platform& os, const Folders& folders,
                  const ZBPROPOS_L& request,
                  void (*set_data_folder)(const std::string&)) {
  const std::string path = HistoryPath(folders.configuration);
  auto field = [](const char* f, size_t width) {
    return std::string(f, strnlen(f, width));
  };
  const std::string data = field(request.szDataPfad, sizeof request.szDataPfad);
  if (!data.empty() && os.IsFolder(data)) {
    os.WriteProfileText(path, kRequestSection, "DataPfad", data);
    if (set_data_folder) set_data_folder(data);
  }
  const std::string temporary =
      field(request.szTmpPfad, sizeof request.szTmpPfad);
  if (!temporary.empty() && os.IsFolder(temporary))
    os.WriteProfileText(path, kRequestSection, "TmpPfad", temporary);
  os.WriteProfileText(path, kRequestSection, "PrgName",
                      field(request.szPrgName, sizeof request.szPrgName));
  os.WriteProfileText(
      path, kRequestSection, "Projekt",
      TrimUnlessFourBlanks(request.szProName, sizeof request.szProName));
  os.WriteProfileText(path, kRequestSection, "Position",
                      TrimUnlessFourBlanks(request.szPosNameLong,
                                           sizeof request.szPosNameLong));
  os.WriteProfileText(
      path, kRequestSection, "PositionShort",
      TrimUnlessFourBlanks(request.szPosName, sizeof request.szPosName));
}

std::vector<std::string> ReadDataFolderList(platform::Platform& os,
                                            const Folders& folders,
                                            size_t max_entries) {
  const std::string path = HistoryPath(folders.configuration);
  std::vector<std::string> list;
  for (size_t i = 1; i <= max_entries; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "%1d", static_cast<int>(i));
    const std::string folder =
        os.ReadProfileText(path, kDataFolderSection, key, "");
    if (!folder.empty() && os.IsFolder(folder)) list.push_back(folder);
  }
  return list;
}

void WriteDataFolderList(platform::Platform& os, const Folders& folders,
                         const std::vector<std::string>& list) {
  const std::string path = HistoryPath(folders.configuration);
  for (size_t i = 0; i < list.size(); ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "%1d", static_cast<int>(i + 1));
    os.WriteProfileText(path, kDataFolderSection, key, list[i]);
  }
}

}  // namespace zb::environment
