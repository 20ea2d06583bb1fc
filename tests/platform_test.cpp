// The platform layer: the same cases run natively against the POSIX layer
// and under wine against the Win32 one, so both must show the Windows
// semantics the library is written for. The POSIX path mapping has its own
// group at the end.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/platform.h"
#include "support/test_support.h"

#ifndef _WIN32
#include "platform/posix/path_map.h"
#endif

namespace {

using zb::platform::Access;
using zb::platform::DirEntry;
using zb::platform::ErrorKind;
using zb::platform::FaultInjectingPlatform;
using zb::platform::File;
using zb::platform::Platform;
using zb::platform::Share;
using zb::platform::Status;

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { zb::platform::SetDefaultForTests(nullptr); }
  void TearDown() override { zb::platform::SetDefaultForTests(nullptr); }

  std::string Path(const std::string& name) const { return dir_.File(name); }

  // Creates path holding text; fails the test otherwise.
  void MakeFile(const std::string& path, const std::string& text) {
    std::unique_ptr<File> f;
    ASSERT_TRUE(os_.CreateFile(path, Share::kDenyNone, &f).ok()) << path;
    size_t written = 0;
    ASSERT_TRUE(f->WriteAt(0, text.data(), text.size(), &written).ok());
    ASSERT_EQ(written, text.size());
  }

  // The whole file through the platform; "<error>" when it cannot be read.
  std::string Contents(const std::string& path) {
    std::unique_ptr<File> f;
    if (!os_.OpenFile(path, Access::kRead, Share::kDenyNone, &f).ok())
      return "<error>";
    uint64_t size = 0;
    if (!f->Size(&size).ok()) return "<error>";
    std::string text(size, '\0');
    size_t got = 0;
    if (!f->ReadAt(0, text.data(), text.size(), &got).ok() || got != size)
      return "<error>";
    return text;
  }

  std::set<std::string> Find(const std::string& pattern) {
    std::vector<DirEntry> entries;
    const Status s = os_.FindFiles(dir_.File(pattern), &entries);
    EXPECT_TRUE(s.ok()) << pattern << ": " << s.message;
    std::set<std::string> names;
    for (const DirEntry& e : entries) names.insert(e.name);
    return names;
  }

  Platform& os_ = zb::platform::Default();
  zbtest::TempDir dir_;
};

// ---- Opening, creating, error kinds -----------------------------------------

TEST_F(PlatformTest, MissingFileAndMissingFolderAreNotFoundWithErrnoText) {
  std::unique_ptr<File> f;
  for (const std::string& path :
       {Path("missing.dat"), Path("no-folder") + zbtest::Separator() + "x.dat"}) {
    const Status s = os_.OpenFile(path, Access::kRead, Share::kDenyNone, &f);
    EXPECT_EQ(s.kind, ErrorKind::kNotFound) << path;
    // The log prints "errno %d" and the runtime's text for it.
    EXPECT_EQ(s.code, ENOENT) << path;
    EXPECT_EQ(s.message, std::strerror(ENOENT)) << path;
    EXPECT_FALSE(f) << path;
  }
  EXPECT_EQ(os_.DeleteFile(Path("missing.dat")).kind, ErrorKind::kNotFound);
  bool read_only = false;
  EXPECT_EQ(os_.IsReadOnly(Path("missing.dat"), &read_only).kind,
            ErrorKind::kNotFound);
  EXPECT_FALSE(os_.FileExists(Path("missing.dat")));
}

TEST_F(PlatformTest, FolderOpenedAsFileIsAccessDenied) {
  ASSERT_TRUE(os_.CreateFolder(Path("sub")).ok());
  std::unique_ptr<File> f;
  const Status s =
      os_.OpenFile(Path("sub"), Access::kRead, Share::kDenyNone, &f);
  EXPECT_EQ(s.kind, ErrorKind::kAccessDenied);
  EXPECT_EQ(s.code, EACCES);
  EXPECT_EQ(s.message, std::strerror(EACCES));
  EXPECT_EQ(os_.DeleteFile(Path("sub")).kind, ErrorKind::kAccessDenied);
}

TEST_F(PlatformTest, OpenModes) {
  MakeFile(Path("a.dat"), "hello");
  std::unique_ptr<File> reader;
  ASSERT_TRUE(
      os_.OpenFile(Path("a.dat"), Access::kRead, Share::kDenyNone, &reader)
          .ok());
  size_t written = 99;
  EXPECT_FALSE(reader->WriteAt(0, "X", 1, &written).ok())
      << "a handle opened for reading wrote";
  reader.reset();
  EXPECT_EQ(Contents(Path("a.dat")), "hello");

  std::unique_ptr<File> writer;
  ASSERT_TRUE(os_.OpenFile(Path("a.dat"), Access::kReadWrite, Share::kDenyNone,
                           &writer)
                  .ok());
  ASSERT_TRUE(writer->WriteAt(0, "J", 1, &written).ok());
  EXPECT_EQ(written, 1u);
  writer.reset();
  EXPECT_EQ(Contents(Path("a.dat")), "Jello");
}

TEST_F(PlatformTest, CreateEmptiesAnExistingFile) {
  MakeFile(Path("a.dat"), std::string(100, 'x'));
  std::unique_ptr<File> f;
  ASSERT_TRUE(os_.CreateFile(Path("a.dat"), Share::kDenyNone, &f).ok());
  uint64_t size = 99;
  ASSERT_TRUE(f->Size(&size).ok());
  EXPECT_EQ(size, 0u);
}

TEST_F(PlatformTest, CreateInMissingFolderIsNotFound) {
  std::unique_ptr<File> f;
  const Status s = os_.CreateFile(
      Path("no-folder") + zbtest::Separator() + "x.dat", Share::kDenyNone, &f);
  EXPECT_EQ(s.kind, ErrorKind::kNotFound);
}

// ---- Positioned reads and writes --------------------------------------------

TEST_F(PlatformTest, PositionedWritesExtendAndOverwriteInPlace) {
  std::unique_ptr<File> f;
  ASSERT_TRUE(os_.CreateFile(Path("p.dat"), Share::kDenyNone, &f).ok());
  size_t n = 0;
  // Writing past the end fills the gap with zeros.
  ASSERT_TRUE(f->WriteAt(10, "abc", 3, &n).ok());
  EXPECT_EQ(n, 3u);
  uint64_t size = 0;
  ASSERT_TRUE(f->Size(&size).ok());
  EXPECT_EQ(size, 13u);
  // Overwriting inside keeps the size; writes in any order do not depend
  // on a file pointer.
  ASSERT_TRUE(f->WriteAt(2, "ZZ", 2, &n).ok());
  ASSERT_TRUE(f->WriteAt(11, "B", 1, &n).ok());
  ASSERT_TRUE(f->Size(&size).ok());
  EXPECT_EQ(size, 13u);

  char buf[32];
  size_t got = 0;
  ASSERT_TRUE(f->ReadAt(0, buf, 13, &got).ok());
  ASSERT_EQ(got, 13u);
  EXPECT_EQ(std::string(buf, 13), std::string("\0\0ZZ\0\0\0\0\0\0aBc", 13));

  // A read across the end is short, a read at or past the end empty; both
  // succeed.
  ASSERT_TRUE(f->ReadAt(11, buf, sizeof buf, &got).ok());
  EXPECT_EQ(std::string(buf, got), "Bc");
  got = 99;
  ASSERT_TRUE(f->ReadAt(13, buf, sizeof buf, &got).ok());
  EXPECT_EQ(got, 0u);
  got = 99;
  ASSERT_TRUE(f->ReadAt(1000, buf, sizeof buf, &got).ok());
  EXPECT_EQ(got, 0u);
}

TEST_F(PlatformTest, LargeBlockRoundTrip) {
  std::string data(200000, '\0');
  for (size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<char>((i * 7919) >> 3);
  std::unique_ptr<File> f;
  ASSERT_TRUE(os_.CreateFile(Path("big.dat"), Share::kDenyNone, &f).ok());
  size_t n = 0;
  ASSERT_TRUE(f->WriteAt(500, data.data(), data.size(), &n).ok());
  ASSERT_EQ(n, data.size());
  std::string back(data.size(), '\0');
  ASSERT_TRUE(f->ReadAt(500, back.data(), back.size(), &n).ok());
  ASSERT_EQ(n, data.size());
  EXPECT_TRUE(back == data);
}

// ---- Share modes between two handles of this process --------------------------

TEST_F(PlatformTest, DenyNoneHandlesShareReadingAndWriting) {
  MakeFile(Path("s.dat"), "0123456789");
  std::unique_ptr<File> a, b, c;
  ASSERT_TRUE(os_.OpenFile(Path("s.dat"), Access::kReadWrite, Share::kDenyNone,
                           &a)
                  .ok());
  ASSERT_TRUE(os_.OpenFile(Path("s.dat"), Access::kReadWrite, Share::kDenyNone,
                           &b)
                  .ok());
  ASSERT_TRUE(
      os_.OpenFile(Path("s.dat"), Access::kRead, Share::kDenyNone, &c).ok());
  size_t n = 0;
  ASSERT_TRUE(a->WriteAt(0, "A", 1, &n).ok());
  ASSERT_TRUE(b->WriteAt(9, "B", 1, &n).ok());
  char buf[10];
  ASSERT_TRUE(c->ReadAt(0, buf, 10, &n).ok());
  EXPECT_EQ(std::string(buf, n), "A12345678B");
}

TEST_F(PlatformTest, ExclusiveOpenFailsWhileAnyOtherHandleIsOpen) {
  MakeFile(Path("s.dat"), "data");
  for (Access other : {Access::kRead, Access::kReadWrite}) {
    std::unique_ptr<File> shared;
    ASSERT_TRUE(
        os_.OpenFile(Path("s.dat"), other, Share::kDenyNone, &shared).ok());
    for (Access mine : {Access::kRead, Access::kReadWrite}) {
      std::unique_ptr<File> excl;
      const Status s =
          os_.OpenFile(Path("s.dat"), mine, Share::kDenyReadWrite, &excl);
      EXPECT_EQ(s.kind, ErrorKind::kAccessDenied);
      EXPECT_EQ(s.code, EACCES);
      EXPECT_FALSE(excl);
    }
    shared.reset();
    std::unique_ptr<File> excl;
    EXPECT_TRUE(os_.OpenFile(Path("s.dat"), Access::kReadWrite,
                             Share::kDenyReadWrite, &excl)
                    .ok())
        << "the closed handle still holds its share mode";
  }
}

TEST_F(PlatformTest, ExclusiveHandleKeepsEveryOtherOpenOut) {
  MakeFile(Path("s.dat"), "precious");
  std::unique_ptr<File> excl;
  ASSERT_TRUE(os_.OpenFile(Path("s.dat"), Access::kReadWrite,
                           Share::kDenyReadWrite, &excl)
                  .ok());
  std::unique_ptr<File> other;
  EXPECT_EQ(
      os_.OpenFile(Path("s.dat"), Access::kRead, Share::kDenyNone, &other).kind,
      ErrorKind::kAccessDenied);
  EXPECT_EQ(os_.OpenFile(Path("s.dat"), Access::kReadWrite, Share::kDenyNone,
                         &other)
                .kind,
            ErrorKind::kAccessDenied);
  EXPECT_EQ(os_.OpenFile(Path("s.dat"), Access::kRead, Share::kDenyReadWrite,
                         &other)
                .kind,
            ErrorKind::kAccessDenied);
  // Creating over a file held exclusively must not cut it.
  EXPECT_EQ(os_.CreateFile(Path("s.dat"), Share::kDenyNone, &other).kind,
            ErrorKind::kAccessDenied);
  uint64_t size = 0;
  ASSERT_TRUE(excl->Size(&size).ok());
  EXPECT_EQ(size, 8u);
  excl.reset();
  EXPECT_EQ(Contents(Path("s.dat")), "precious");
}

TEST_F(PlatformTest, ExclusiveCreateKeepsOthersOut) {
  std::unique_ptr<File> excl;
  ASSERT_TRUE(os_.CreateFile(Path("n.dat"), Share::kDenyReadWrite, &excl).ok());
  std::unique_ptr<File> other;
  EXPECT_EQ(
      os_.OpenFile(Path("n.dat"), Access::kRead, Share::kDenyNone, &other).kind,
      ErrorKind::kAccessDenied);
}

// ---- Rename, delete, read-only attribute ------------------------------------------

TEST_F(PlatformTest, RenameRefusesAnExistingTarget) {
  MakeFile(Path("from.dat"), "from");
  MakeFile(Path("to.dat"), "to");
  const Status s = os_.RenameFile(Path("from.dat"), Path("to.dat"));
  EXPECT_EQ(s.kind, ErrorKind::kExists);
  EXPECT_EQ(s.code, EEXIST);
  EXPECT_EQ(s.message, std::strerror(EEXIST));
  EXPECT_EQ(Contents(Path("from.dat")), "from");
  EXPECT_EQ(Contents(Path("to.dat")), "to");

  ASSERT_TRUE(os_.RenameFile(Path("from.dat"), Path("new.dat")).ok());
  EXPECT_FALSE(os_.FileExists(Path("from.dat")));
  EXPECT_EQ(Contents(Path("new.dat")), "from");

  EXPECT_EQ(os_.RenameFile(Path("from.dat"), Path("other.dat")).kind,
            ErrorKind::kNotFound);
}

TEST_F(PlatformTest, ReadOnlyFileRefusesWritingOpensAndDeletes) {
  MakeFile(Path("r.dat"), "keep");
  bool read_only = true;
  ASSERT_TRUE(os_.IsReadOnly(Path("r.dat"), &read_only).ok());
  EXPECT_FALSE(read_only);
  ASSERT_TRUE(os_.SetReadOnly(Path("r.dat"), true).ok());
  ASSERT_TRUE(os_.IsReadOnly(Path("r.dat"), &read_only).ok());
  EXPECT_TRUE(read_only);

  std::unique_ptr<File> f;
  EXPECT_EQ(os_.OpenFile(Path("r.dat"), Access::kReadWrite, Share::kDenyNone,
                         &f)
                .kind,
            ErrorKind::kAccessDenied);
  EXPECT_EQ(os_.CreateFile(Path("r.dat"), Share::kDenyNone, &f).kind,
            ErrorKind::kAccessDenied);
  const Status del = os_.DeleteFile(Path("r.dat"));
  EXPECT_EQ(del.kind, ErrorKind::kAccessDenied);
  EXPECT_EQ(del.code, EACCES);
  EXPECT_EQ(os_.OpenStream(Path("r.dat"), "r+b"), nullptr);
  EXPECT_EQ(Contents(Path("r.dat")), "keep");  // reading is still allowed

  ASSERT_TRUE(os_.SetReadOnly(Path("r.dat"), false).ok());
  ASSERT_TRUE(os_.IsReadOnly(Path("r.dat"), &read_only).ok());
  EXPECT_FALSE(read_only);
  EXPECT_TRUE(os_.OpenFile(Path("r.dat"), Access::kReadWrite, Share::kDenyNone,
                           &f)
                  .ok());
  f.reset();
  EXPECT_TRUE(os_.DeleteFile(Path("r.dat")).ok());
  EXPECT_FALSE(os_.FileExists(Path("r.dat")));
}

// ---- Folders -------------------------------------------------------------------------

TEST_F(PlatformTest, Folders) {
  EXPECT_FALSE(os_.IsFolder(Path("f")));
  ASSERT_TRUE(os_.CreateFolder(Path("f")).ok());
  EXPECT_TRUE(os_.IsFolder(Path("f")));
  EXPECT_TRUE(os_.FileExists(Path("f")));
  EXPECT_EQ(os_.CreateFolder(Path("f")).kind, ErrorKind::kExists);
  EXPECT_EQ(
      os_.CreateFolder(Path("none") + zbtest::Separator() + "f").kind,
      ErrorKind::kNotFound);
  MakeFile(Path("file.dat"), "x");
  EXPECT_FALSE(os_.IsFolder(Path("file.dat")));
  EXPECT_TRUE(os_.FileExists(Path("file.dat")));
}

// ---- Wildcard search -------------------------------------------------------------------

class FindFilesTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    for (const char* name :
         {"README", "PRO00001.PRO", "PRO1.PRO", "pro2.pro", "a.txt", "PRO5.PRX"})
      MakeFile(Path(name), "12345");
    ASSERT_TRUE(os_.CreateFolder(Path("SUB")).ok());
  }
  using Names = std::set<std::string>;
};

TEST_F(FindFilesTest, StarDotStarFindsNamesWithoutExtensionAndFolders) {
  EXPECT_EQ(Find("*.*"), (Names{"README", "PRO00001.PRO", "PRO1.PRO",
                                "pro2.pro", "a.txt", "PRO5.PRX", "SUB"}));
  EXPECT_EQ(Find("*"), Find("*.*"));
}

TEST_F(FindFilesTest, MatchingIgnoresCase) {
  EXPECT_EQ(Find("*.pro"), (Names{"PRO00001.PRO", "PRO1.PRO", "pro2.pro"}));
  EXPECT_EQ(Find("readme"), (Names{"README"}));
  EXPECT_EQ(Find("A.TXT"), (Names{"a.txt"}));
}

TEST_F(FindFilesTest, QuestionMarksMatchShorterNames) {
  // '?' matches one character, or nothing at a period or the end.
  EXPECT_EQ(Find("PRO?????.PRO"),
            (Names{"PRO00001.PRO", "PRO1.PRO", "pro2.pro"}));
  EXPECT_EQ(Find("PRO?.PRO"), (Names{"PRO1.PRO", "pro2.pro"}));
  EXPECT_EQ(Find("READM?"), (Names{"README"}));
  EXPECT_EQ(Find("READ?"), Names{});
}

TEST_F(FindFilesTest, NoMatchIsAnEmptySuccess) {
  EXPECT_EQ(Find("*.xyz"), Names{});
}

TEST_F(FindFilesTest, MissingFolderIsNotFound) {
  std::vector<DirEntry> entries;
  const Status s = os_.FindFiles(
      Path("nothere") + zbtest::Separator() + "*.*", &entries);
  EXPECT_EQ(s.kind, ErrorKind::kNotFound);
  EXPECT_TRUE(entries.empty());
}

TEST_F(FindFilesTest, EntriesCarrySizeKindTimeAndReadOnly) {
  ASSERT_TRUE(os_.SetReadOnly(Path("a.txt"), true).ok());
  std::vector<DirEntry> entries;
  ASSERT_TRUE(os_.FindFiles(Path("*.*"), &entries).ok());
  const uint32_t now = os_.Now();
  int seen = 0;
  for (const DirEntry& e : entries) {
    if (e.name == "a.txt") {
      ++seen;
      EXPECT_FALSE(e.is_folder);
      EXPECT_EQ(e.size, 5u);
      EXPECT_TRUE(e.read_only);
      // Seconds since 1970, as the clock counts them.
      EXPECT_LE(e.modified, now + 5);
      EXPECT_GE(e.modified + 300, now);
    } else if (e.name == "SUB") {
      ++seen;
      EXPECT_TRUE(e.is_folder);
      EXPECT_FALSE(e.read_only);
    } else if (e.name == "README") {
      ++seen;
      EXPECT_FALSE(e.read_only);
    }
  }
  EXPECT_EQ(seen, 3);
  ASSERT_TRUE(os_.SetReadOnly(Path("a.txt"), false).ok());
}

TEST_F(PlatformTest, Windows1252NamesRoundTrip) {
  // "Müller.PRO" in Windows-1252, and the same name in capitals.
  const std::string name = "M\xFCller.PRO";
  const std::string upper = "M\xDCLLER.PRO";
  MakeFile(Path(name), "u");
  std::vector<DirEntry> entries;
  ASSERT_TRUE(os_.FindFiles(Path("*.PRO"), &entries).ok());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, name);
  EXPECT_EQ(Contents(Path(upper)), "u");
  EXPECT_EQ(Find("m\xDC*"), (std::set<std::string>{name}));
}

// ---- Streams and time ---------------------------------------------------------------------

TEST_F(PlatformTest, StreamsReadWhatWasWritten) {
  std::FILE* out = os_.OpenStream(Path("s.txt"), "wb");
  ASSERT_NE(out, nullptr);
  std::fputs("line\r\n", out);
  std::fclose(out);
  EXPECT_EQ(Contents(Path("s.txt")), "line\r\n");
  EXPECT_EQ(os_.OpenStream(Path("missing.txt"), "rb"), nullptr);
}

TEST_F(PlatformTest, NowCountsSecondsSince1970) {
  EXPECT_GT(os_.Now(), 1577836800u);  // after 2020-01-01
}

// ---- Fault injection ----------------------------------------------------------------------

TEST_F(PlatformTest, FaultInjectionFailsTheNthWriteAcrossFiles) {
  FaultInjectingPlatform faulty(os_);
  std::unique_ptr<File> a, b;
  ASSERT_TRUE(faulty.CreateFile(Path("a.dat"), Share::kDenyNone, &a).ok());
  ASSERT_TRUE(faulty.CreateFile(Path("b.dat"), Share::kDenyNone, &b).ok());
  faulty.SpoilWrite(2, FaultInjectingPlatform::Fault::kFail);
  size_t n = 99;
  EXPECT_TRUE(a->WriteAt(0, "one", 3, &n).ok());
  EXPECT_EQ(n, 3u);
  const Status s = b->WriteAt(0, "two", 3, &n);
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(n, 0u);
  EXPECT_TRUE(a->WriteAt(3, "three", 5, &n).ok());
  EXPECT_EQ(faulty.writes(), 3u);
  a.reset();
  b.reset();
  EXPECT_EQ(Contents(Path("a.dat")), "onethree");
  EXPECT_EQ(Contents(Path("b.dat")), "");
}

TEST_F(PlatformTest, FaultInjectionShortensTheNthWrite) {
  FaultInjectingPlatform faulty(os_);
  std::unique_ptr<File> f;
  ASSERT_TRUE(faulty.CreateFile(Path("a.dat"), Share::kDenyNone, &f).ok());
  faulty.SpoilWrite(1, FaultInjectingPlatform::Fault::kShorten, 2);
  size_t n = 0;
  EXPECT_FALSE(f->WriteAt(0, "abcdef", 6, &n).ok());
  EXPECT_EQ(n, 2u);
  uint64_t size = 0;
  ASSERT_TRUE(f->Size(&size).ok());
  EXPECT_EQ(size, 2u);
  EXPECT_TRUE(f->WriteAt(2, "cd", 2, &n).ok());  // only the one write spoilt
  f.reset();
  EXPECT_EQ(Contents(Path("a.dat")), "abcd");
}

TEST_F(PlatformTest, FaultInjectionInstalledAsDefaultAndSleepsCounted) {
  FaultInjectingPlatform faulty(os_);
  zb::platform::SetDefaultForTests(&faulty);
  EXPECT_EQ(&zb::platform::Default(), &faulty);
  zb::platform::Default().SleepMs(3000);
  zb::platform::Default().SleepMs(3000);
  EXPECT_EQ(faulty.slept_ms(), 6000u);
  // Files opened through the default are counted.
  std::unique_ptr<File> f;
  ASSERT_TRUE(
      zb::platform::Default().CreateFile(Path("a.dat"), Share::kDenyNone, &f)
          .ok());
  size_t n = 0;
  ASSERT_TRUE(f->WriteAt(0, "x", 1, &n).ok());
  EXPECT_EQ(faulty.writes(), 1u);
  zb::platform::SetDefaultForTests(nullptr);
  EXPECT_NE(&zb::platform::Default(), &faulty);
}

// ---- POSIX path mapping --------------------------------------------------------------------

#ifndef _WIN32
namespace posix = zb::platform::posix;

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      had_ = true;
      old_ = old;
    }
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

TEST(PosixPathMap, BackslashesBecomeSlashes) {
  EXPECT_EQ(posix::MapPathText("data\\pro\\A.PRO"), "data/pro/A.PRO");
  EXPECT_EQ(posix::MapPathText("\\\\server\\share\\x"), "//server/share/x");
  EXPECT_EQ(posix::MapPathText("folder\\"), "folder/");
}

TEST(PosixPathMap, DriveLettersMapThroughTheSetting) {
  ScopedEnv d("ZBDB_DRIVE_D", "/srv/d/");
  EXPECT_EQ(posix::MapPathText("D:\\ZB\\Daten\\"), "/srv/d/ZB/Daten/");
  EXPECT_EQ(posix::MapPathText("d:\\x.dat"), "/srv/d/x.dat");
  EXPECT_EQ(posix::MapPathText("D:x.dat"), "/srv/d/x.dat");
  EXPECT_EQ(posix::MapPathText("D:"), "/srv/d/");
  unsetenv("ZBDB_DRIVE_Q");
  EXPECT_EQ(posix::MapPathText("Q:\\x.dat"), "/x.dat");
}

TEST(PosixPathMap, Windows1252BecomesUtf8AndBack) {
  EXPECT_EQ(posix::Cp1252ToUtf8("M\xFCller \x80"), "M\xC3\xBCller \xE2\x82\xAC");
  EXPECT_EQ(posix::Utf8ToCp1252("M\xC3\xBCller \xE2\x82\xAC"), "M\xFCller \x80");
  // Text that is not UTF-8 stays as it is.
  EXPECT_EQ(posix::Utf8ToCp1252("M\xFCller"), "M\xFCller");
}

TEST_F(PlatformTest, PosixResolvesMissingComponentsIgnoringCase) {
  ASSERT_TRUE(os_.CreateFolder(Path("Daten")).ok());
  MakeFile(Path("Daten") + "/Projekt.PRO", "p");
  const std::string root = Path("");
  // Written as the library composes it: backslashes, other case.
  const std::string windows = root + "DATEN\\projekt.pro";
  EXPECT_EQ(posix::ToNativePath(windows), root + "Daten/Projekt.PRO");
  EXPECT_EQ(Contents(windows), "p");
  // A component that exists in no spelling stays as given, and so does
  // everything after it.
  EXPECT_EQ(posix::ToNativePath(root + "DATEN\\Neu\\X.PRO"),
            root + "Daten/Neu/X.PRO");
  MakeFile(root + "daten\\NEU.PRO", "n");
  EXPECT_TRUE(zbtest::FileExists(root + "Daten/NEU.PRO"));
}

TEST_F(PlatformTest, PosixUmlautNamesAreUtf8OnDisk) {
  MakeFile(Path("M\xFCller.PRO"), "u");
  EXPECT_TRUE(zbtest::FileExists(Path("M\xC3\xBCller.PRO")));
  // Resolution ignores the case of umlauts too.
  EXPECT_EQ(posix::ToNativePath(Path("M\xDCLLER.PRO")),
            Path("M\xC3\xBCller.PRO"));
}

TEST_F(PlatformTest, PosixDriveMappingReachesFiles) {
  ScopedEnv d("ZBDB_DRIVE_D", Path(""));
  MakeFile("D:\\via-drive.dat", "d");
  EXPECT_EQ(Contents(Path("via-drive.dat")), "d");
}
#endif  // !_WIN32

}  // namespace
