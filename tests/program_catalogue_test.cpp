// The program catalogue: both file forms of the fixture product folder,
// the built-in entries, every lookup's not-found answer, and the exports.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "environment/catalogue_access.h"
#include "environment/program_catalogue.h"
#include "support/record_fixture.h"
#include "support/test_support.h"
#include "zbdb900.h"

#ifdef _WIN32
#include <windows.h>
#include <oleauto.h>
#endif

namespace {

using zb::environment::ProgramCatalogue;
using zb::environment::ProgramLine;
using zbtest::FixturePath;
using zbtest::Str;

std::string Folder(const std::string& path) { return path + "\\"; }

template <size_t N>
std::string Text(const char (&field)[N]) {
  return Str(field, N);
}

struct Program {
  int number;
  const char* key;
  const char* title;
  const char* exe_name;
  const char* parameters;
  bool silent;
  const char* short_title;
  const char* group;
};

const Program kFixturePrograms[] = {
    {101, "DLT", "Durchlaufträger", "DLT", "", true, "Durchl.Tr.", "Stahlbeton"},
    {102, "DACH", "Sparrendach", "DACH", "/s", false, "Dach", "Holzbau"},
    {205, "STB", "Stütze Stahlbeton", "STB", "", true, "Stütze", "Stahlbeton"},
    {310, "FUND", "Einzelfundament", "FUND", "", false, "Fundament", "Grundbau"},
    {311, "QT3", "Querschnittswerte", "QT3", "", false, "QT3", "Grundbau"},
};

std::string GroupName(const ProgramCatalogue& c, int number) {
  for (int i = 0; i < c.group_count(); ++i)
    if (c.group(i).number == number) return Text(c.group(i).name);
  return "<none>";
}

// The five programs after the two built-in entries; exe_suffix is what the
// file form appends to the executable's name.
void ExpectFixturePrograms(const ProgramCatalogue& c, const char* exe_suffix) {
  ASSERT_EQ(c.count(), 7);
  for (int i = 0; i < 5; ++i) {
    const Program& p = kFixturePrograms[i];
    const ProgramCatalogue::Entry& e = c.entry(i + 2);
    SCOPED_TRACE(p.key);
    EXPECT_EQ(e.line.index, i + 2);
    EXPECT_EQ(e.line.number, p.number);
    EXPECT_EQ(Text(e.line.key), p.key);
    EXPECT_EQ(Text(e.line.title), p.title);
    EXPECT_EQ(Text(e.line.icon), std::string(p.key) + ".ico");
    EXPECT_EQ(Text(e.line.family), std::string(p.key).substr(0, 3));
    EXPECT_EQ(Text(e.line.exe), std::string(p.exe_name) + exe_suffix);
    EXPECT_EQ(Text(e.line.parameters), p.parameters);
    EXPECT_EQ(Text(e.short_title), p.short_title);
    EXPECT_EQ(e.silent, p.silent);
    EXPECT_FALSE(e.installed);
    EXPECT_EQ(GroupName(c, e.line.group), p.group);
  }
}

void ExpectBuiltIns(const ProgramCatalogue& c) {
  ASSERT_GE(c.count(), 2);
  const ProgramLine& all = c.entry(0).line;
  EXPECT_EQ(all.index, 0);
  EXPECT_EQ(all.number, 32762);
  EXPECT_EQ(Text(all.key), "ALLE");
  EXPECT_EQ(Text(all.title), "Alle Programme");
  EXPECT_EQ(Text(all.icon), "zbneu.ico");
  EXPECT_EQ(Text(all.exe), "ZBExplorer.exe ");
  EXPECT_EQ(GroupName(c, all.group), "Allgemein");
  const ProgramLine& neu = c.entry(1).line;
  EXPECT_EQ(neu.index, 1);
  EXPECT_EQ(Text(neu.key), "NEU");
  EXPECT_EQ(Text(neu.title), "Neues Programm                ");
  EXPECT_EQ(Text(neu.icon), "zbneu.ico");
}

TEST(ProgramCatalogueTest, IniFormOfTheProductFolder) {
  ProgramCatalogue c;
  const std::string folder = Folder(FixturePath("ZBStatik/Programme"));
  EXPECT_EQ(c.Load(folder), 7);
  ExpectBuiltIns(c);
  ExpectFixturePrograms(c, ".exe");
  // The INI's own group numbers and icons, after "Allgemein" of "ALLE".
  ASSERT_EQ(c.group_count(), 4);
  EXPECT_EQ(c.group(1).number, 1);
  EXPECT_EQ(Text(c.group(1).name), "Stahlbeton");
  EXPECT_EQ(Text(c.group(1).icon), "grp_sb.ico");
  EXPECT_EQ(c.group(3).number, 3);
  EXPECT_EQ(c.file_path(), folder + "ZBKEYS.DAT");
  EXPECT_EQ(c.icon_folder(), folder + "res\\");
  EXPECT_EQ(c.IconPath(2), folder + "res\\DLT.ico");
  EXPECT_EQ(c.IconPath(7), folder + "res\\zbneu.ico");  // entry 0's
  EXPECT_EQ(c.IconPath(-1), folder + "res\\zbneu.ico");
}

TEST(ProgramCatalogueTest, OlderLineFormGivesTheSamePrograms) {
  ProgramCatalogue c;
  EXPECT_EQ(c.Load(Folder(FixturePath("catalogue-line-form"))), 7);
  ExpectBuiltIns(c);
  ExpectFixturePrograms(c, ".exe ");
  // The ten built-in groups, numbered by position.
  ASSERT_EQ(c.group_count(), 10);
  EXPECT_EQ(Text(c.group(4).name), "Hausdächer");
  EXPECT_EQ(Text(c.group(7).name), "Platten und Scheiben");
  EXPECT_EQ(c.entry(2).line.group, 2);  // Stahlbeton
  EXPECT_EQ(c.entry(3).line.group, 5);  // Holzbau
}

TEST(ProgramCatalogueTest, MissingFileLeavesTheBuiltIns) {
  zbtest::TempDir dir;
  ProgramCatalogue c;
  EXPECT_EQ(c.Load(dir.path()), 2);  // the trailing backslash is added
  ExpectBuiltIns(c);
  EXPECT_EQ(c.file_path(), dir.path() + "\\ZBKEYS.DAT");
  // Loading again starts from scratch.
  EXPECT_EQ(c.Load(Folder(FixturePath("ZBStatik/Programme"))), 7);
  EXPECT_EQ(c.Load(Folder(dir.path())), 2);
}

TEST(ProgramCatalogueTest, IniRulesAndTheFallBack) {
  zbtest::TempDir dir;
  // PRG2 is missing: the list ends after PRG1, whatever follows. With the
  // built-ins that makes 3 entries, so the line form is not read.
  ASSERT_TRUE(zbtest::WriteText(dir.File("zbkeys.ini"),
                                "[PRG1]\r\nDBKey=7\r\nPrg=AB\r\nName=Erster Titel\r\n"
                                "TitelShort=Zwei Worte\r\nSilent=2\r\n"
                                "[PRG3]\r\nDBKey=9\r\nPrg=CD\r\n"));
  ASSERT_TRUE(zbtest::WriteText(dir.File("ZBKEYS.DAT"), "55;XX;Zeile\r\n"));
  ProgramCatalogue c;
  ASSERT_EQ(c.Load(Folder(dir.path())), 3);
  EXPECT_EQ(Text(c.entry(2).line.key), "AB");
  EXPECT_EQ(Text(c.entry(2).line.title), "Erster Titel");
  EXPECT_EQ(Text(c.entry(2).line.exe), ".exe");
  EXPECT_EQ(Text(c.entry(2).short_title), "Zwei");  // scanned as "%s"
  EXPECT_FALSE(c.entry(2).silent);                  // only 1 means silent
  EXPECT_EQ(c.entry(2).line.group, 0);

  // An INI without any program: the line form is read instead.
  ASSERT_TRUE(zbtest::WriteText(dir.File("zbkeys.ini"),
                                "[GRP1]\r\nGruppe=4\r\nName=Test\r\n"));
  ASSERT_EQ(c.Load(Folder(dir.path())), 3);
  EXPECT_EQ(Text(c.entry(2).line.key), "XX");
  EXPECT_EQ(c.group_count(), 10 + 1);  // plus " " of the empty group field
}

TEST(ProgramCatalogueTest, LineFormFields) {
  zbtest::TempDir dir;
  const std::string long_title(80, 'T');
  ASSERT_TRUE(zbtest::WriteText(
      dir.File("ZBKEYS.DAT"),
      "; comment\n"
      " 1;SKIP;not a program: no digit first\n"
      "10;TAB\tignored;Titel mit Tab\there;T;-p;Neue Gruppe;1;Kurz\n"
      "11;NOSH;" + long_title + ";N;;;0;\n"
      "10;DUP;second line of number 10;D;;Holzbau;1;X\n"
      "12;LAST\n"));
  ProgramCatalogue c;
  ASSERT_EQ(c.Load(Folder(dir.path())), 5);
  const ProgramCatalogue::Entry& tab = c.entry(2);
  EXPECT_EQ(Text(tab.line.key), "TAB");
  EXPECT_EQ(Text(tab.line.title), "Titel mit Tab");
  EXPECT_EQ(Text(tab.line.parameters), "-p");
  EXPECT_EQ(tab.line.group, 10);  // appended after the ten
  EXPECT_EQ(GroupName(c, 10), "Neue Gruppe");
  EXPECT_TRUE(tab.silent);
  EXPECT_EQ(Text(tab.short_title), "Kurz");

  const ProgramCatalogue::Entry& nosh = c.entry(3);
  EXPECT_EQ(Text(nosh.short_title), "NOSH");  // the key stands in
  EXPECT_EQ(Text(nosh.line.title), long_title.substr(0, 55));
  EXPECT_EQ(GroupName(c, nosh.line.group), " ");

  // The line ends early: the missing fields are empty.
  const ProgramCatalogue::Entry& last = c.entry(4);
  EXPECT_EQ(last.line.number, 12);
  EXPECT_EQ(Text(last.line.title), "");
  EXPECT_EQ(Text(last.line.exe), ".exe ");
  EXPECT_EQ(c.KeyByNumber(10), "TAB");  // the duplicate was not taken
}

TEST(ProgramCatalogueTest, InstalledWhenTheExecutableIsThere) {
  zbtest::TempDir dir;
  ASSERT_TRUE(zbtest::CopyFileTo(FixturePath("catalogue-line-form/ZBKEYS.DAT"),
                                 dir.File("ZBKEYS.DAT")));
  ASSERT_TRUE(zbtest::WriteText(dir.File("DLT.exe"), "MZ"));
  ASSERT_TRUE(zbtest::MakeFolder(dir.File("STB.exe")));  // a folder is not
  ProgramCatalogue c;
  ASSERT_EQ(c.Load(Folder(dir.path())), 7);
  EXPECT_TRUE(c.InstalledByKey("dlt "));
  EXPECT_TRUE(c.InstalledByIndex(2));
  EXPECT_FALSE(c.InstalledByKey("STB"));
  EXPECT_FALSE(c.InstalledByKey("DACH"));
  EXPECT_FALSE(c.InstalledByKey("NIX"));
  EXPECT_FALSE(c.InstalledByIndex(99));
  EXPECT_TRUE(c.SilentByKey("STB"));
  EXPECT_FALSE(c.SilentByKey("FUND"));
  EXPECT_FALSE(c.SilentByIndex(-1));
}

TEST(ProgramCatalogueTest, LookupsAndTheirNotFoundAnswers) {
  ProgramCatalogue c;
  ASSERT_EQ(c.Load(Folder(FixturePath("ZBStatik/Programme"))), 7);
  // Keys: trailing blanks and case do not count.
  EXPECT_EQ(c.FindKey("dach  "), 3);
  EXPECT_EQ(c.NumberByKey("Fund"), 310);
  EXPECT_EQ(c.TitleByKey("qt3"), "Querschnittswerte");
  EXPECT_EQ(c.FindKey("DAC"), -1);
  // The last entry is found by number too.
  EXPECT_EQ(c.KeyByNumber(311), "QT3");
  EXPECT_EQ(c.FamilyByNumber(311), "QT3");
  EXPECT_EQ(c.TitleByNumber(311), "Querschnittswerte");
  EXPECT_EQ(c.ShortTitleByNumber(311), "QT3");

  // Unknown key: 32762 and the line of "ALLE".
  EXPECT_EQ(c.NumberByKey("XYZ"), 32762);
  const ProgramLine line = c.LineByKey("XYZ");
  EXPECT_EQ(std::memcmp(&line, &c.entry(0).line, sizeof line), 0);
  EXPECT_EQ(c.LineByKey("stb").number, 205);
  EXPECT_EQ(c.TitleByKey("XYZ"), "?");
  EXPECT_EQ(c.ShortTitleByKey("XYZ"), "");

  EXPECT_EQ(c.KeyByIndex(6), "QT3");
  EXPECT_EQ(c.KeyByIndex(7), "ZBKeys : Index aus dem Bereich!");
  EXPECT_EQ(c.KeyByIndex(-1), "ZBKeys : Index aus dem Bereich!");
  EXPECT_EQ(c.TitleByIndex(7), "ZBKeys : Index ausserhalb des Bereichs!");
  EXPECT_EQ(c.TitleByIndex(2), "Durchlaufträger");
  EXPECT_EQ(c.KeyByNumber(42), "00042");
  EXPECT_EQ(c.TitleByNumber(42), "Unbekannter Programmschlüssel");
  EXPECT_EQ(c.FamilyByNumber(42), "FREMD");
  EXPECT_EQ(c.FamilyByIndex(7), "FREMD");
  EXPECT_EQ(c.FamilyByIndex(3), "DAC");
  EXPECT_EQ(c.ShortTitleByNumber(42), "");
  EXPECT_EQ(c.KeyByTitle("sparrendach"), "DACH");
  EXPECT_EQ(c.KeyByTitle("Neues Programm"), "NEU");  // its padding ignored
  EXPECT_EQ(c.KeyByTitle("Dach"), "?");
  EXPECT_EQ(c.ValueByIndex(7), 25003);
  EXPECT_EQ(c.ValueByIndex(2), 0);

  // Groups: found by name, or appended after the highest number.
  EXPECT_EQ(c.GroupByName("holzbau"), 2);
  EXPECT_EQ(c.GroupByName("Stahlbau"), 4);
  EXPECT_EQ(c.GroupByName("Stahlbau"), 4);
  EXPECT_EQ(c.group_count(), 5);
}

TEST(ProgramCatalogueTest, EmptyCatalogueAnswersNotFound) {
  ProgramCatalogue c;
  EXPECT_EQ(c.count(), 0);
  EXPECT_EQ(c.LineByKey("DLT").number, 0);
  EXPECT_EQ(c.NumberByKey("DLT"), 32762);
  EXPECT_EQ(c.IconPath(0), "");
  EXPECT_EQ(c.KeyByIndex(0), "ZBKeys : Index aus dem Bereich!");
}

// ---- Exports -------------------------------------------------------------

int g_logins = 0;
void CountLogin() { ++g_logins; }

std::string Take(ZB_BYTESTRING s) {
#ifdef _WIN32
  std::string text(reinterpret_cast<const char*>(s), SysStringByteLen(s));
  SysFreeString(s);
#else
  std::string text(s);
  ZB_FreeByteString(s);
#endif
  return text;
}

class CatalogueExportsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_logins = 0;
    zb::environment::SetCatalogueLoginHook(CountLogin);
    zb::environment::Catalogue().Load(Folder(FixturePath("ZBStatik/Programme")));
  }
  void TearDown() override {
    zb::environment::SetCatalogueLoginHook(nullptr);
    zb::environment::Catalogue().Clear();
  }
};

TEST_F(CatalogueExportsTest, GetPrgZeileLogsInAndCopiesTheLine) {
  std::vector<uint8_t> out(402 + 4, 0xEE);
  EXPECT_EQ(ZB_GetPrgZeile("stb ", out.data()), 1);
  EXPECT_EQ(g_logins, 1);
  ProgramLine line;
  std::memcpy(&line, out.data(), sizeof line);
  EXPECT_EQ(line.index, 4);
  EXPECT_EQ(line.group, 1);
  EXPECT_EQ(line.number, 205);
  EXPECT_EQ(Text(line.exe), "STB.exe");
  EXPECT_EQ(out[402], 0xEE);

  EXPECT_EQ(ZB_GetPrgZeile("unbekannt", out.data()), 1);
  EXPECT_EQ(zbtest::GetI16(out, 4), 32762);
  EXPECT_EQ(Str(out.data() + 6, 12), "ALLE");
  EXPECT_EQ(ZB_GetPrgZeile(nullptr, out.data()), 1);
  EXPECT_EQ(zbtest::GetI16(out, 4), 32762);
}

TEST_F(CatalogueExportsTest, GetPrgZeileBlankForm) {
  std::vector<uint8_t> out(404 + 4, 0xEE);
  EXPECT_EQ(ZB_GetPrgZeileB("DLT", out.data()), -1);
  EXPECT_EQ(g_logins, 1);
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
  EXPECT_STREQ(ZB_PrgTitel("dlt"), "Durchlaufträger");
  EXPECT_STREQ(ZB_PrgTitel("XYZ"), "Alle Programme");
  EXPECT_STREQ(ZB_PrgTitelI(205), "Stütze Stahlbeton");
  EXPECT_STREQ(ZB_PrgTitelI(42), "");
  EXPECT_STREQ(ZB_PrgShortTitel("DACH"), "Dach");
  EXPECT_STREQ(ZB_PrgShortTitel("XYZ"), "");
  EXPECT_STREQ(ZB_PrgShortTitelI(310), "Fundament");
  EXPECT_EQ(Take(ZB_PrgTitel_B("QT3")), "Querschnittswerte");
  EXPECT_EQ(Take(ZB_PrgTitelI_B(102)), "Sparrendach");
  EXPECT_EQ(Take(ZB_PrgShortTitel_B("STB")), "Stütze");
  EXPECT_EQ(Take(ZB_PrgShortTitelI_B(101)), "Durchl.Tr.");
  // The buffer of one export survives calls of the others.
  const char* title = ZB_PrgTitel("FUND");
  ZB_PrgTitelI(101);
  ZB_PrgShortTitel("DLT");
  EXPECT_STREQ(title, "Einzelfundament");
}

TEST_F(CatalogueExportsTest, ShortTitlesAreEmptyBeforeTheCatalogueIsLoaded) {
  zb::environment::Catalogue().Clear();
  EXPECT_STREQ(ZB_PrgShortTitel("DLT"), "");
  EXPECT_STREQ(ZB_PrgShortTitelI(101), "");
  EXPECT_STREQ(ZB_PrgTitel("DLT"), "");
  EXPECT_EQ(Take(ZB_PrgShortTitel_B("DLT")), "");
}

}  // namespace
