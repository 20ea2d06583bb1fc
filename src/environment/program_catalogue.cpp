#include "environment/program_catalogue.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "environment/companion.h"
#include "environment/folders.h"
#include "platform/platform.h"
#include "recordstore/typed_records.h"

namespace zb::environment {
namespace {

// The groups of the older line form, numbered 0 to 9.
const char* const kLineFormGroups[10] = {
    "Allgemein", "Stabwerke",  "Stahlbeton", "Stahlbau",
    "Hausdächer", "Holzbau",   "Grundbau",   "Platten und Scheiben",
    "Mauerwerk", "Verbundbau"};

std::string WithoutTrailingBlanks(std::string text) {
  size_t n = text.size();
  while (n > 0 && text[n - 1] == ' ') --n;
  text.resize(n);
  return text;
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Keys, titles and group names: trailing blanks and case do not count.
bool SameName(const std::string& a, const std::string& b) {
  const std::string x = WithoutTrailingBlanks(a);
  const std::string y = WithoutTrailingBlanks(b);
  if (x.size() != y.size()) return false;
  for (size_t i = 0; i < x.size(); ++i)
    if (AsciiLower(x[i]) != AsciiLower(y[i])) return false;
  return true;
}

// The INI values with a "%s" format are scanned, not copied: the first
// blank-delimited word.
std::string ScanWord(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t\r\n\f\v");
  if (begin == std::string::npos) return {};
  const size_t end = text.find_first_of(" \t\r\n\f\v", begin);
  return text.substr(begin, end == std::string::npos ? end : end - begin);
}

int ScanInt(const std::string& text) {
  int value = 0;
  std::sscanf(text.c_str(), "%d", &value);
  return value;
}

// The catalogue's INI name: the lower-cased path with ".ini" for ".dat".
std::string IniNameOf(const std::string& path) {
  std::string ini = path;
  for (char& c : ini) c = AsciiLower(c);
  const size_t dat = ini.rfind(".dat");
  if (dat != std::string::npos) ini.replace(dat, 4, ".ini");
  return ini;
}

// The fields of one line of the older form: separated by ";"; a tab ends a
// field's text (the rest up to the next ";" is skipped), the line end ends
// the last field.
std::vector<std::string> SplitLine(const char* line) {
  std::vector<std::string> fields(1);
  bool skipping = false;
  for (const char* p = line; *p && *p != '\r' && *p != '\n'; ++p) {
    if (*p == ';') {
      fields.emplace_back();
      skipping = false;
    } else if (*p == '\t') {
      skipping = true;
    } else if (!skipping) {
      fields.back() += *p;
    }
  }
  return fields;
}

}  // namespace

ProgramCatalogue::ProgramCatalogue(platform::Platform& os,
                                   Companions& companions)
    : os_(&os), companions_(&companions) {
  entries_.reserve(kMaxEntries);
  groups_.reserve(kMaxGroups);
}

void ProgramCatalogue::Clear() {
  entries_.clear();
  groups_.clear();
  found_last_ = -1;
  file_path_.clear();
  program_folder_.clear();
  icon_folder_.clear();
}

int ProgramCatalogue::Load(const std::string& program_folder) {
  Clear();
  program_folder_ = program_folder;
  // Without a program folder the companion library knows where it is.
  if (program_folder_.empty())
    companions_->ReadFolder(FolderKind::kProgram, &program_folder_);
  if (!program_folder_.empty() && program_folder_.back() != '/')
    program_folder_ = NormaliseFolder(program_folder_);
  file_path_ = program_folder_ + "ZBKEYS.DAT";
  icon_folder_ = program_folder_ + "res\\";
  AddBuiltIns();
  ReadIni();
  if (count() < 3) ReadLines();
  return count();
}

bool ProgramCatalogue::IsInstalled(const char* exe) const {
  if (program_folder_.empty()) return false;
  // The older form appends ".exe " with a blank that names no file.
  const std::string name = WithoutTrailingBlanks(exe);
  if (name.empty()) return false;
  platform::Platform& os = *os_;
  const std::string path = program_folder_ + name;
  return os.FileExists(path) && !os.IsFolder(path);
}

ProgramCatalogue::Entry& ProgramCatalogue::Add(int number,
                                               const std::string& key,
                                               const std::string& title,
                                               const std::string& exe,
                                               const std::string& icon) {
  entries_.emplace_back();
  Entry& e = entries_.back();
  std::memset(&e, 0, sizeof e);
  e.line.index = static_cast<int16_t>(entries_.size() - 1);
  e.line.number = static_cast<int16_t>(number);
  recordstore::SetFieldText(e.line.key, key);
  recordstore::SetFieldText(e.line.title, title);
  recordstore::SetFieldText(e.line.icon, icon);
  recordstore::SetFieldText(e.line.family, key.substr(0, 3));
  recordstore::SetFieldText(e.line.exe, exe);
  e.installed = IsInstalled(e.line.exe);
  return e;
}

void ProgramCatalogue::AddBuiltIns() {
  Entry& all = Add(kAllPrograms, "ALLE", "Alle Programme", "ZBExplorer.exe ",
                   "zbneu.ico");
  all.line.group = GroupByName("Allgemein");
  std::string title = "Neues Programm";
  title.resize(30, ' ');
  Add(0, "NEU", title, "", "zbneu.ico");
}

void ProgramCatalogue::ReadIni() {
  platform::Platform& os = *os_;
  const std::string ini = IniNameOf(file_path_);
  char section[32];
  for (int i = 1; group_count() < kMaxGroups; ++i) {
    std::snprintf(section, sizeof section, "GRP%1d", i);
    const std::string number = os.ReadProfileText(ini, section, "Gruppe", "");
    if (number.empty()) break;
    ProgramGroup g{};
    g.number = static_cast<int16_t>(ScanInt(number));
    recordstore::SetFieldText(
        g.name, ScanWord(os.ReadProfileText(ini, section, "Name", "")));
    recordstore::SetFieldText(
        g.icon, ScanWord(os.ReadProfileText(ini, section, "icon", "")));
    groups_.push_back(g);
  }
  for (int i = 1; count() < kMaxEntries; ++i) {
    std::snprintf(section, sizeof section, "PRG%-d", i);
    const std::string number = os.ReadProfileText(ini, section, "DBKey", "");
    if (number.empty()) break;
    const std::string key = os.ReadProfileText(ini, section, "Prg", "");
    Entry& e = Add(
        ScanInt(number), key, os.ReadProfileText(ini, section, "Name", ""),
        os.ReadProfileText(ini, section, "ExeName", "") + ".exe", key + ".ico");
    recordstore::SetFieldText(e.line.parameters,
                              os.ReadProfileText(ini, section, "ExePar", ""));
    e.line.group = static_cast<int16_t>(
        ScanInt(os.ReadProfileText(ini, section, "Gruppe", "")));
    e.silent = ScanInt(os.ReadProfileText(ini, section, "Silent", "")) == 1;
    recordstore::SetFieldText(
        e.short_title,
        ScanWord(os.ReadProfileText(ini, section, "TitelShort", "")));
  }
}

void ProgramCatalogue::ReadLines() {
  std::FILE* f = os_->OpenStream(file_path_, "r");
  if (!f) return;
  groups_.clear();
  for (int i = 0; i < 10; ++i) {
    ProgramGroup g{};
    g.number = static_cast<int16_t>(i);
    recordstore::SetFieldText(g.name, kLineFormGroups[i]);
    groups_.push_back(g);
  }
  char line[256];
  while (count() < kMaxEntries && std::fgets(line, sizeof line, f)) {
    if (line[0] < '0' || line[0] > '9') continue;
    std::vector<std::string> fields = SplitLine(line);
    fields.resize(8);
    const int number = std::atoi(fields[0].c_str());
    // A number given twice keeps its first line: lookups by number could
    // never reach the second.
    if (FindNumber(number) >= 0) continue;
    const std::string& key = fields[1];
    Entry& e = Add(number, key, fields[2], fields[3] + ".exe ", key + ".ico");
    recordstore::SetFieldText(e.line.parameters, fields[4]);
    e.line.group = GroupByName(fields[5].empty() ? " " : fields[5]);
    // The seventh field tells whether the program works silently, as the
    // INI form's "Silent" does.
    e.silent = std::atoi(fields[6].c_str()) == 1;
    recordstore::SetFieldText(e.short_title, fields[7].empty() ? key : fields[7]);
  }
  std::fclose(f);
}

int16_t ProgramCatalogue::GroupByName(const std::string& name) {
  int highest = -1;
  for (const ProgramGroup& g : groups_) {
    if (SameName(recordstore::FieldText(g.name), name)) return g.number;
    if (g.number > highest) highest = g.number;
  }
  ProgramGroup g{};
  g.number = static_cast<int16_t>(highest + 1);
  recordstore::SetFieldText(g.name, name);
  if (group_count() < kMaxGroups) groups_.push_back(g);
  return g.number;
}

int ProgramCatalogue::FindKey(const std::string& key) const {
  if (valid(found_last_) && SameName(recordstore::FieldText(entries_[found_last_].line.key), key))
    return found_last_;
  for (int i = 0; i < count(); ++i) {
    if (SameName(recordstore::FieldText(entries_[i].line.key), key)) {
      found_last_ = i;
      return i;
    }
  }
  return -1;
}

int ProgramCatalogue::FindNumber(int number) const {
  for (int i = 0; i < count(); ++i)
    if (entries_[i].line.number == number) return i;
  return -1;
}

ProgramLine ProgramCatalogue::LineByKey(const std::string& key) const {
  const int i = FindKey(key);
  if (i >= 0) return entries_[i].line;
  if (!entries_.empty()) return entries_[0].line;
  ProgramLine none;
  std::memset(&none, 0, sizeof none);
  return none;
}

int16_t ProgramCatalogue::NumberByKey(const std::string& key) const {
  const int i = FindKey(key);
  return i >= 0 ? entries_[i].line.number : kAllPrograms;
}

std::string ProgramCatalogue::KeyByNumber(int number) const {
  const int i = FindNumber(number);
  if (i >= 0) return recordstore::FieldText(entries_[i].line.key);
  char text[16];
  std::snprintf(text, sizeof text, "%05d", number);
  return text;
}

std::string ProgramCatalogue::TitleByNumber(int number) const {
  const int i = FindNumber(number);
  return i >= 0 ? recordstore::FieldText(entries_[i].line.title)
                : "Unbekannter Programmschlüssel";
}

std::string ProgramCatalogue::KeyByIndex(int index) const {
  return valid(index) ? recordstore::FieldText(entries_[index].line.key)
                      : "ZBKeys : Index aus dem Bereich!";
}

std::string ProgramCatalogue::TitleByIndex(int index) const {
  return valid(index) ? recordstore::FieldText(entries_[index].line.title)
                      : "ZBKeys : Index ausserhalb des Bereichs!";
}

std::string ProgramCatalogue::TitleByKey(const std::string& key) const {
  const int i = FindKey(key);
  return i >= 0 ? recordstore::FieldText(entries_[i].line.title) : "?";
}

std::string ProgramCatalogue::KeyByTitle(const std::string& title) const {
  for (const Entry& e : entries_)
    if (SameName(recordstore::FieldText(e.line.title), title)) return recordstore::FieldText(e.line.key);
  return "?";
}

std::string ProgramCatalogue::FamilyByNumber(int number) const {
  return FamilyByIndex(FindNumber(number));
}

std::string ProgramCatalogue::FamilyByIndex(int index) const {
  return valid(index) ? recordstore::FieldText(entries_[index].line.family) : "FREMD";
}

std::string ProgramCatalogue::ShortTitleByKey(const std::string& key) const {
  const int i = FindKey(key);
  return i >= 0 ? recordstore::FieldText(entries_[i].short_title) : std::string();
}

std::string ProgramCatalogue::ShortTitleByNumber(int number) const {
  const int i = FindNumber(number);
  return i >= 0 ? recordstore::FieldText(entries_[i].short_title) : std::string();
}

int32_t ProgramCatalogue::ValueByIndex(int index) const {
  return valid(index) ? entries_[index].line.value : kValueBeyondLast;
}

std::string ProgramCatalogue::IconPath(int index) const {
  if (!valid(index)) index = 0;
  if (!valid(index)) return {};
  const std::string icon = recordstore::FieldText(entries_[index].line.icon);
  if (icon.find('\\') != std::string::npos) return icon;
  return icon_folder_ + icon;
}

std::vector<std::string> ProgramCatalogue::IconPaths() const {
  std::vector<std::string> paths;
  for (int i = 0; i < count(); ++i) paths.push_back(IconPath(i));
  return paths;
}

bool ProgramCatalogue::InstalledByIndex(int index) const {
  return valid(index) && entries_[index].installed;
}

bool ProgramCatalogue::InstalledByKey(const std::string& key) const {
  return InstalledByIndex(FindKey(key));
}

bool ProgramCatalogue::SilentByIndex(int index) const {
  return valid(index) && entries_[index].silent;
}

bool ProgramCatalogue::SilentByKey(const std::string& key) const {
  return SilentByIndex(FindKey(key));
}

}  // namespace zb::environment
