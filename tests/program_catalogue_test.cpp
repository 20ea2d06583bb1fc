// The program catalogue: both file forms of the fixture product folder,
// the built-in entries, the not-found answers of the lookups, the exports.
#include "environment/program_catalogue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/byte_string.h"
#include "support/memory_companions.h"
#include "support/record_fixture.h"
#include "support/test_support.h"
#include "zbdb900.h"

namespace {

using zb::environment::ProgramCatalogue;
using zb::environment::ProgramLine;
using zbtest::FixturePath;
using zbtest::Str;

template <size_t N>
std::string Text(const char (&field)[N]) {
  return Str(field, N);
}
std::string GroupName(const ProgramCatalogue& c, int number) {
  for (int i = 0; i < c.group_count(); ++i)
    if (c.group(i).number == number) return Text(c.group(i).name);
  return "<none>";
}
// What a catalogue outside a library reads with.
zb::platform::Platform& Os() {
  static const auto os = zb::platform::NewNativePlatform();
  return *os;
}
zbtest::MemoryCompanions& Companions() {
  static zbtest::MemoryCompanions companions;
  return companions;
}

const std::string kIniFolder = FixturePath("ZBStatik/Programme") + "\\";
const std::string kLineFolder = FixturePath("catalogue-line-form") + "\\";

// Both forms: the built-in entries, then the same five programs; the line
// form appends ".exe " to the executable and numbers its groups itself.
TEST(ProgramCatalogueTest, BothFileFormsGiveTheSamePrograms) {
  const struct {
    int number;
    const char *key, *title, *parameters, *short_title, *group;
    bool silent;
  } programs[] = {
      {101, "DLT", "Durchlaufträger", "", "Durchl.Tr.", "Stahlbeton", true},
      {102, "DACH", "Sparrendach", "/s", "Dach", "Holzbau", false},
      {205, "STB", "Stütze Stahlbeton", "", "Stütze", "Stahlbeton", true},
      {310, "FUND", "Einzelfundament", "", "Fundament", "Grundbau", false},
      {311, "QT3", "Querschnittswerte", "", "QT3", "Grundbau", false},
  };
  for (const auto& [folder, exe_suffix, groups] :
       {std::make_tuple(kIniFolder, ".exe", 4),
        std::make_tuple(kLineFolder, ".exe ", 10)}) {
    SCOPED_TRACE(folder);
    ProgramCatalogue c(Os(), Companions());
    ASSERT_EQ(c.Load(folder), 7);
    // The built-ins' other fields show in the lookups and exports below.
    EXPECT_EQ(Text(c.entry(0).line.exe), "ZBExplorer.exe ");
    EXPECT_EQ(GroupName(c, c.entry(0).line.group), "Allgemein");
    EXPECT_EQ(Text(c.entry(1).line.title), "Neues Programm                ");
    for (int i = 0; i < 5; ++i) {
      const auto& p = programs[i];
      const ProgramCatalogue::Entry& e = c.entry(i + 2);
      EXPECT_EQ(e.line.index, i + 2);
      EXPECT_EQ(e.line.number, p.number);
      EXPECT_EQ(Text(e.line.key), p.key);
      EXPECT_EQ(Text(e.line.title), p.title);
      EXPECT_EQ(Text(e.line.icon), std::string(p.key) + ".ico");
      EXPECT_EQ(Text(e.line.family), std::string(p.key).substr(0, 3));
      EXPECT_EQ(Text(e.line.exe), std::string(p.key) + exe_suffix);
      EXPECT_EQ(Text(e.line.parameters), p.parameters);
      EXPECT_EQ(Text(e.short_title), p.short_title);
      EXPECT_EQ(e.silent, p.silent);
      EXPECT_EQ(GroupName(c, e.line.group), p.group);
    }
    EXPECT_EQ(c.group_count(), groups);
    EXPECT_EQ(c.IconPath(2), folder + "res\\DLT.ico");
    EXPECT_EQ(c.IconPath(7), folder + "res\\zbneu.ico");  // entry 0's
  }
}

TEST(ProgramCatalogueTest, IniListsEndAtTheFirstGapAndFallBackWhenEmpty) {
  zbtest::TempDir dir;
  ASSERT_TRUE(zbtest::WriteText(dir.File("zbkeys.ini"),
                                "[PRG1]\nDBKey=7\nPrg=AB\nTitelShort=Zwei Worte\n"
                                "Silent=2\n[PRG3]\nDBKey=9\nPrg=CD\n"));
  ASSERT_TRUE(zbtest::WriteText(dir.File("ZBKEYS.DAT"), "55;XX;Zeile\n"));
  ProgramCatalogue c(Os(), Companions());
  // Three entries with the built-ins: the line form is not read.
  ASSERT_EQ(c.Load(dir.path()), 3);  // the backslash is added
  EXPECT_EQ(c.file_path(), dir.path() + "\\ZBKEYS.DAT");
  EXPECT_EQ(Text(c.entry(2).line.key), "AB");
  EXPECT_EQ(Text(c.entry(2).short_title), "Zwei");  // scanned as "%s"
  EXPECT_FALSE(c.entry(2).silent);                  // only 1 is silent

  ASSERT_TRUE(zbtest::WriteText(dir.File("zbkeys.ini"), "[GRP1]\nGruppe=4\n"));
  ASSERT_EQ(c.Load(dir.path()), 3);
  EXPECT_EQ(Text(c.entry(2).line.key), "XX");

  zbtest::TempDir empty;
  EXPECT_EQ(c.Load(empty.path()), 2);  // no file: the built-ins only

  // The folder is normalised: doubled backslashes become one.
  c.Load(dir.path() + "\\\\");
  EXPECT_EQ(c.file_path(), dir.path() + "\\ZBKEYS.DAT");
  EXPECT_EQ(c.icon_folder(), dir.path() + "\\res\\");
}

TEST(ProgramCatalogueTest, LineFormFields) {
  zbtest::TempDir dir;
  ASSERT_TRUE(zbtest::WriteText(
      dir.File("ZBKEYS.DAT"),
      "; comment\n"
      " 1;SKIP;no digit first\n"
      "10;TAB\tignored;Titel\there;T;-p;Neue Gruppe;1;Kurz\n"
      "11;NOSH;" + std::string(80, 'T') + ";N;;;0;\n"
      "10;DUP;the number again;D;;Holzbau;1;X\n"
      "12;LAST\n"));
  ASSERT_TRUE(zbtest::WriteText(dir.File("T.exe"), "MZ"));
  ASSERT_TRUE(zbtest::MakeFolder(dir.File("N.exe")));
  ProgramCatalogue c(Os(), Companions());
  ASSERT_EQ(c.Load(dir.path() + "\\"), 5);
  const ProgramCatalogue::Entry& tab = c.entry(2);
  EXPECT_EQ(Text(tab.line.key), "TAB");  // a tab ends the field's text
  EXPECT_EQ(Text(tab.line.title), "Titel");
  EXPECT_EQ(Text(tab.line.parameters), "-p");
  EXPECT_EQ(tab.line.group, 10);  // appended after the ten
  EXPECT_TRUE(tab.silent);
  EXPECT_TRUE(tab.installed);  // "T.exe " names T.exe
  const ProgramCatalogue::Entry& nosh = c.entry(3);
  EXPECT_EQ(Text(nosh.short_title), "NOSH");  // the key stands in
  EXPECT_EQ(Text(nosh.line.title), std::string(55, 'T'));
  EXPECT_EQ(GroupName(c, nosh.line.group), " ");
  EXPECT_FALSE(nosh.installed);  // a folder of that name
  EXPECT_EQ(Text(c.entry(4).line.exe), ".exe ");
  EXPECT_EQ(c.KeyByNumber(10), "TAB");  // the second line of 10 was skipped
}

TEST(ProgramCatalogueTest, LookupsAndTheirNotFoundAnswers) {
  ProgramCatalogue c(Os(), Companions());
  EXPECT_EQ(c.LineByKey("DLT").number, 0);  // empty: a zeroed line
  EXPECT_EQ(c.IconPath(0), "");
  ASSERT_EQ(c.Load(kIniFolder), 7);
  EXPECT_EQ(c.FindKey("dach  "), 3);
  EXPECT_EQ(c.FindKey("DAC"), -1);
  EXPECT_EQ(c.KeyByNumber(311), "QT3");  // the last entry
  EXPECT_EQ(c.KeyByNumber(42), "00042");
  EXPECT_EQ(c.NumberByKey("XYZ"), 32762);
  const ProgramLine line = c.LineByKey("XYZ");
  EXPECT_EQ(std::memcmp(&line, &c.entry(0).line, sizeof line), 0);
  EXPECT_EQ(c.TitleByKey("XYZ"), "?");
  EXPECT_EQ(c.KeyByTitle("sparrendach"), "DACH");
  EXPECT_EQ(c.KeyByTitle("Neues Programm"), "NEU");
  EXPECT_EQ(c.KeyByTitle("Dach"), "?");
  EXPECT_EQ(c.KeyByIndex(7), "ZBKeys : Index aus dem Bereich!");
  EXPECT_EQ(c.KeyByIndex(-1), "ZBKeys : Index aus dem Bereich!");
  EXPECT_EQ(c.TitleByIndex(7), "ZBKeys : Index ausserhalb des Bereichs!");
  EXPECT_EQ(c.TitleByNumber(42), "Unbekannter Programmschlüssel");
  EXPECT_EQ(c.FamilyByNumber(42), "FREMD");
  EXPECT_EQ(c.FamilyByIndex(3), "DAC");
  EXPECT_EQ(c.ShortTitleByKey("XYZ"), "");
  EXPECT_EQ(c.ValueByIndex(7), 25003);
  EXPECT_FALSE(c.SilentByKey("XYZ"));
  EXPECT_EQ(c.GroupByName("holzbau"), 2);
  EXPECT_EQ(c.GroupByName("Stahlbau"), 4);  // after the highest, 3
  EXPECT_EQ(c.group_count(), 5);
}

// ---- Exports -------------------------------------------------------------

using zbtest::Take;

class CatalogueExportsTest : public zbtest::RecordStoreTest {
 protected:
  void SetUp() override {
    RecordStoreTest::SetUp();
    lib().context().login_counter = 1;  // logged in: the catalogue stays
    lib().catalogue().Load(kIniFolder);
  }
};

TEST_F(CatalogueExportsTest, GetPrgZeileAndItsBlankForm) {
  std::vector<uint8_t> out(404 + 4, 0xEE);
  EXPECT_EQ(ZB_GetPrgZeile("stb ", out.data()), 1);
  EXPECT_EQ(zbtest::GetI16(out, 0), 4);
  EXPECT_EQ(zbtest::GetI16(out, 4), 205);
  EXPECT_EQ(Str(out.data() + 342, 30), "STB.exe");
  EXPECT_EQ(out[402], 0xEE);
  EXPECT_EQ(ZB_GetPrgZeile("unbekannt", out.data()), 1);
  EXPECT_EQ(Str(out.data() + 6, 12), "ALLE");

  EXPECT_EQ(ZB_GetPrgZeileB("DLT", out.data()), -1);
  const std::string block(out.begin(), out.begin() + 404);
  EXPECT_EQ(block.substr(0, 4), "    ");
  EXPECT_EQ(zbtest::GetI16(out, 4), 101);
  EXPECT_EQ(block.substr(6, 12), "DLT         ");
  EXPECT_EQ(block.substr(18, 56), "Durchlaufträger" + std::string(41, ' '));
  EXPECT_EQ(block.substr(74, 260), "DLT.ico" + std::string(253, ' '));
  EXPECT_EQ(block.substr(334), std::string(70, ' '));
  EXPECT_EQ(out[404], 0xEE);
}

TEST_F(CatalogueExportsTest, Titles) {
  EXPECT_STREQ(ZB_PrgTitel("XYZ"), "Alle Programme");
  EXPECT_STREQ(ZB_PrgTitelI(205), "Stütze Stahlbeton");
  EXPECT_STREQ(ZB_PrgTitelI(42), "");
  EXPECT_STREQ(ZB_PrgShortTitel("XYZ"), "");
  EXPECT_STREQ(ZB_PrgShortTitelI(310), "Fundament");
  EXPECT_EQ(Take(ZB_PrgTitel_B("QT3")), "Querschnittswerte");
  EXPECT_EQ(Take(ZB_PrgShortTitel_B("STB")), "Stütze");
  EXPECT_EQ(Take(ZB_PrgShortTitelI_B(101)), "Durchl.Tr.");
  // Each export keeps its own text until it is called again.
  const char* title = ZB_PrgTitel("FUND");
  ZB_PrgTitelI(101);
  EXPECT_STREQ(title, "Einzelfundament");

  lib().catalogue().Clear();
  EXPECT_STREQ(ZB_PrgShortTitel("DLT"), "");
  EXPECT_STREQ(ZB_PrgShortTitelI(101), "");
}

}  // namespace
