// The catalogue of the suite's calculation programs, loaded at login from
// "ZBKEYS.DAT" in the program folder: key, number, titles, executable, icon
// and group of every program, and the lookups the interface calls, the
// explorer and the selection dialogs make.
//
// Keys compare without trailing blanks and ignoring case. No lookup fails:
// each answers a fixed not-found value (documented per method).
#ifndef ZBDB_ENVIRONMENT_PROGRAM_CATALOGUE_H_
#define ZBDB_ENVIRONMENT_PROGRAM_CATALOGUE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zb::environment {

#pragma pack(push, 1)
// One program; also the record ZB_GetPrgZeile hands out.
struct ProgramLine {
  int16_t index;      // position of the entry in the catalogue
  int16_t group;      // group number
  int16_t number;     // program number (key1 of the program's records)
  char key[12];       // program key
  char title[56];
  char icon[260];     // icon file name, or a path when it holds a backslash
  char family[4];     // the first three characters of the key
  int32_t value;
  char exe[30];       // executable file name
  char parameters[30];
};
struct ProgramGroup {
  int16_t number;
  char name[56];
  char icon[260];
};
#pragma pack(pop)
static_assert(sizeof(ProgramLine) == 402, "ProgramLine");
static_assert(sizeof(ProgramGroup) == 318, "ProgramGroup");

class Companions;

class ProgramCatalogue {
 public:
  static constexpr int kMaxEntries = 200;
  static constexpr int kMaxGroups = 100;
  static constexpr int16_t kAllPrograms = 32762;  // the number of "ALLE"
  static constexpr int32_t kValueBeyondLast = 25003;

  struct Entry {
    ProgramLine line;
    char short_title[20];
    bool installed;  // the executable lies in the program folder
    bool silent;     // the program can work without dialogs
  };

  // The catalogue files are read through `os`, a missing program folder
  // asked of `companions`.
  ProgramCatalogue(platform::Platform& os, Companions& companions);

  // Empties the catalogue and loads it: the built-in entries "ALLE" and
  // "NEU", then "<program_folder>ZBKEYS.DAT" read as INI file (under the
  // lower-cased name with ".ini" for ".dat"), or in its older line form
  // when the INI yields fewer than 3 entries in all. program_folder is the
  // normalised folder text with its trailing backslash. A missing file
  // leaves the built-in entries. Returns the number of entries.
  int Load(const std::string& program_folder);
  void Clear();

  int count() const { return static_cast<int>(entries_.size()); }
  int last_index() const { return count() - 1; }
  // The entry at index (0 <= index < count()).
  const Entry& entry(int index) const { return entries_[index]; }
  int group_count() const { return static_cast<int>(groups_.size()); }
  const ProgramGroup& group(int index) const { return groups_[index]; }
  const std::string& file_path() const { return file_path_; }
  const std::string& program_folder() const { return program_folder_; }
  const std::string& icon_folder() const { return icon_folder_; }

  // The index of the entry with this key, -1 when none. Tests the entry
  // found last before scanning from 0, and remembers the hit.
  int FindKey(const std::string& key) const;
  // The first entry with this program number, -1 when none.
  int FindNumber(int number) const;

  // The line of the key; the line of "ALLE" (entry 0) when unknown, a
  // zeroed line while the catalogue is empty.
  ProgramLine LineByKey(const std::string& key) const;
  int16_t NumberByKey(const std::string& key) const;       // else 32762
  std::string KeyByNumber(int number) const;               // else "%05d"
  std::string TitleByNumber(int number) const;  // else "Unbekannter Programmschlüssel"
  std::string KeyByIndex(int index) const;  // else "ZBKeys : Index aus dem Bereich!"
  std::string TitleByIndex(int index) const;  // else "ZBKeys : Index ausserhalb des Bereichs!"
  std::string TitleByKey(const std::string& key) const;    // else "?"
  std::string KeyByTitle(const std::string& title) const;  // else "?"
  std::string FamilyByNumber(int number) const;            // else "FREMD"
  std::string FamilyByIndex(int index) const;              // else "FREMD"
  std::string ShortTitleByKey(const std::string& key) const;  // else ""
  std::string ShortTitleByNumber(int number) const;           // else ""
  int32_t ValueByIndex(int index) const;                   // else 25003
  // The icon file name when it holds a backslash, else icon folder + name;
  // entry 0's for an index outside the catalogue.
  std::string IconPath(int index) const;
  // IconPath of every entry, by index.
  std::vector<std::string> IconPaths() const;
  bool InstalledByIndex(int index) const;
  bool InstalledByKey(const std::string& key) const;
  bool SilentByIndex(int index) const;
  bool SilentByKey(const std::string& key) const;

  // The number of the group of that name; an unknown name is appended as a
  // new group (numbered after the highest so far).
  int16_t GroupByName(const std::string& name);

 private:
  bool valid(int index) const { return index >= 0 && index < count(); }
  Entry& Add(int number, const std::string& key, const std::string& title,
             const std::string& exe, const std::string& icon);
  void AddBuiltIns();
  void ReadIni();
  void ReadLines();
  bool IsInstalled(const char* exe) const;

  std::vector<Entry> entries_;
  std::vector<ProgramGroup> groups_;
  mutable int found_last_ = -1;
  std::string file_path_;
  std::string program_folder_;
  std::string icon_folder_;
  platform::Platform* os_;
  Companions* companions_;
};

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_PROGRAM_CATALOGUE_H_
