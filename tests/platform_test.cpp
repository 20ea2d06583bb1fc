// The platform layer, natively against the POSIX layer and under wine
// against the Win32 one: both must show the Windows semantics the library
// is written for. The POSIX path mapping comes last.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <set>

#include "platform/platform.h"
#include "support/test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/path_map.h"
#endif

namespace {

using zb::platform::DirEntry;
using zb::platform::ErrorKind;
using zb::platform::File;
using zb::platform::Status;
using Names = std::set<std::string>;
constexpr auto kRead = zb::platform::Access::kRead;
constexpr auto kReadWrite = zb::platform::Access::kReadWrite;
constexpr auto kShared = zb::platform::Share::kDenyNone;
constexpr auto kExcl = zb::platform::Share::kDenyReadWrite;

class PlatformTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_.File(name); }

  // Opens or creates a file of the temporary folder, keeping the handle
  // only where one is asked for.
  Status Open(const std::string& name, zb::platform::Access access,
              zb::platform::Share share, std::unique_ptr<File>* f = nullptr) {
    std::unique_ptr<File> local;
    return os_.OpenFile(Path(name), access, share, f ? f : &local);
  }
  Status Create(const std::string& name, zb::platform::Share share,
                std::unique_ptr<File>* f = nullptr) {
    std::unique_ptr<File> local;
    return os_.NewFile(Path(name), share, f ? f : &local);
  }
  void MakeFile(const std::string& name, const std::string& text) {
    std::unique_ptr<File> f;
    size_t written = 0;
    ASSERT_TRUE(Create(name, kShared, &f).ok()) << name;
    ASSERT_TRUE(f->WriteAt(0, text.data(), text.size(), &written).ok());
    ASSERT_EQ(written, text.size());
  }
  // The whole file; "<error>" when it cannot be read.
  std::string Contents(const std::string& name) {
    std::unique_ptr<File> f;
    uint64_t size = 0;
    size_t got = 0;
    if (!Open(name, kRead, kShared, &f).ok() || !f->Size(&size).ok())
      return "<error>";
    std::string text(size, '\0');
    const bool ok = f->ReadAt(0, text.data(), text.size(), &got).ok();
    return ok && got == size ? text : "<error>";
  }
  Names Find(const std::string& pattern) {
    std::vector<DirEntry> entries;
    const Status s = os_.FindFiles(Path(pattern), &entries);
    EXPECT_TRUE(s.ok()) << pattern << ": " << s.message;
    Names names;
    for (const DirEntry& e : entries) names.insert(e.name);
    return names;
  }

  std::unique_ptr<zb::platform::Platform> native_ =
      zb::platform::NewNativePlatform();
  zb::platform::Platform& os_ = *native_;
  zbtest::TempDir dir_;
};

TEST_F(PlatformTest, NotFoundAndAccessDeniedAreToldApart) {
  std::unique_ptr<File> f;
  Status s = Open("missing.dat", kRead, kShared, &f);
  EXPECT_EQ(s.kind, ErrorKind::kNotFound);
  EXPECT_EQ(s.code, ENOENT);  // the log prints errno and its text
  EXPECT_EQ(s.message, std::strerror(ENOENT));
  EXPECT_FALSE(f);
  EXPECT_EQ(Create(zbtest::JoinPath("none", "x.dat"), kShared).kind,
            ErrorKind::kNotFound);
  EXPECT_EQ(os_.RemoveFile(Path("missing.dat")).kind, ErrorKind::kNotFound);
  ASSERT_TRUE(os_.CreateFolder(Path("sub")).ok());
  EXPECT_TRUE(os_.IsFolder(Path("sub")) && os_.FileExists(Path("sub")));
  s = Open("sub", kRead, kShared);  // a folder opened as a file
  EXPECT_EQ(s.kind, ErrorKind::kAccessDenied);
  EXPECT_EQ(s.code, EACCES);
  EXPECT_EQ(s.message, std::strerror(EACCES));
}

TEST_F(PlatformTest, ShareModesBetweenHandles) {
  MakeFile("s.dat", "0123456789");
  std::unique_ptr<File> a, b;
  ASSERT_TRUE(Open("s.dat", kReadWrite, kShared, &a).ok());
  ASSERT_TRUE(Open("s.dat", kReadWrite, kShared, &b).ok());
  size_t n = 0;
  ASSERT_TRUE(a->WriteAt(0, "A", 1, &n).ok());
  ASSERT_TRUE(b->WriteAt(9, "B", 1, &n).ok());
  EXPECT_EQ(Contents("s.dat"), "A12345678B");
  a.reset();
  // Any other handle keeps an exclusive open out; a closed one does not.
  ASSERT_TRUE(Open("s.dat", kRead, kShared, &b).ok());
  const Status s = Open("s.dat", kRead, kExcl);
  EXPECT_EQ(s.kind, ErrorKind::kAccessDenied);
  EXPECT_EQ(s.code, EACCES);
  b.reset();
  ASSERT_TRUE(Open("s.dat", kReadWrite, kExcl, &a).ok());
  EXPECT_EQ(Open("s.dat", kRead, kShared).kind, ErrorKind::kAccessDenied);
  EXPECT_EQ(Create("s.dat", kShared).kind, ErrorKind::kAccessDenied);
  a.reset();
  EXPECT_EQ(Contents("s.dat"), "A12345678B");  // the create did not cut it
  ASSERT_TRUE(Create("n.dat", kExcl, &a).ok());
  EXPECT_EQ(Open("n.dat", kRead, kShared).kind, ErrorKind::kAccessDenied);
}

TEST_F(PlatformTest, RenameRefusesAnExistingTarget) {
  MakeFile("from.dat", "from");
  MakeFile("to.dat", "to");
  const Status s = os_.RenameFile(Path("from.dat"), Path("to.dat"));
  EXPECT_EQ(s.kind, ErrorKind::kExists);
  EXPECT_EQ(s.code, EEXIST);
  EXPECT_EQ(s.message, std::strerror(EEXIST));
  EXPECT_EQ(Contents("from.dat") + Contents("to.dat"), "fromto");
  ASSERT_TRUE(os_.RenameFile(Path("from.dat"), Path("new.dat")).ok());
  EXPECT_FALSE(os_.FileExists(Path("from.dat")));
  EXPECT_EQ(Contents("new.dat"), "from");
  EXPECT_EQ(os_.RenameFile(Path("from.dat"), Path("x.dat")).kind,
            ErrorKind::kNotFound);
}

TEST_F(PlatformTest, ReadOnlyFileRefusesWritingOpensAndDeletes) {
  MakeFile("r.dat", "keep");
  bool read_only = true;
  ASSERT_TRUE(os_.SetReadOnly(Path("r.dat"), true).ok());
  ASSERT_TRUE(os_.IsReadOnly(Path("r.dat"), &read_only).ok());
  EXPECT_TRUE(read_only);
  EXPECT_EQ(Open("r.dat", kReadWrite, kShared).kind, ErrorKind::kAccessDenied);
  EXPECT_EQ(Create("r.dat", kShared).kind, ErrorKind::kAccessDenied);
  const Status del = os_.RemoveFile(Path("r.dat"));
  EXPECT_EQ(del.kind, ErrorKind::kAccessDenied);
  EXPECT_EQ(del.code, EACCES);
  EXPECT_EQ(os_.OpenStream(Path("r.dat"), "r+b"), nullptr);
  EXPECT_EQ(Contents("r.dat"), "keep");  // reading is still allowed
  ASSERT_TRUE(os_.SetReadOnly(Path("r.dat"), false).ok());
  ASSERT_TRUE(os_.IsReadOnly(Path("r.dat"), &read_only).ok());
  EXPECT_FALSE(read_only);
  EXPECT_TRUE(os_.RemoveFile(Path("r.dat")).ok());
}

TEST_F(PlatformTest, WildcardSearch) {
  for (const char* name : {"README", "PRO00001.PRO", "PRO1.PRO", "pro2.pro",
                           "a.txt", "PRO5.PRX", "M\xFCller.DAT"})
    MakeFile(name, "12345");
  ASSERT_TRUE(os_.CreateFolder(Path("SUB")).ok());
  ASSERT_TRUE(os_.SetReadOnly(Path("a.txt"), true).ok());
  // "*.*" finds names without an extension and folders; case is ignored.
  EXPECT_EQ(Find("*.*"), (Names{"README", "PRO00001.PRO", "PRO1.PRO", "SUB",
                                "pro2.pro", "a.txt", "PRO5.PRX",
                                "M\xFCller.DAT"}));
  EXPECT_EQ(Find("*.pro"), (Names{"PRO00001.PRO", "PRO1.PRO", "pro2.pro"}));
  EXPECT_EQ(Find("readme"), Names{"README"});
  EXPECT_EQ(Find("m\xDC*"), Names{"M\xFCller.DAT"});  // Windows-1252 names
  EXPECT_EQ(Contents("M\xDCLLER.DAT"), "12345");
  // '?' matches one character, or nothing at a period or the end.
  EXPECT_EQ(Find("PRO?????.PRO"),
            (Names{"PRO00001.PRO", "PRO1.PRO", "pro2.pro"}));
  EXPECT_EQ(Find("PRO?.PRO"), (Names{"PRO1.PRO", "pro2.pro"}));
  EXPECT_EQ(Find("READM?"), Names{"README"});
  EXPECT_EQ(Find("READ?"), Names{});
  std::vector<DirEntry> entries;
  EXPECT_EQ(os_.FindFiles(Path(zbtest::JoinPath("none", "*.*")), &entries).kind,
            ErrorKind::kNotFound);
  ASSERT_TRUE(os_.FindFiles(Path("*.*"), &entries).ok());
  const uint32_t now = os_.Now();
  EXPECT_GT(now, 1577836800u);  // seconds since 1970, after 2020
  for (const DirEntry& e : entries) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(e.is_folder, e.name == "SUB");
    EXPECT_EQ(e.read_only, e.name == "a.txt");
    if (e.is_folder) continue;
    EXPECT_EQ(e.size, 5u);
    EXPECT_LE(e.modified, now + 5);
    EXPECT_GE(e.modified + 300, now);
  }
  ASSERT_TRUE(os_.SetReadOnly(Path("a.txt"), false).ok());
}

TEST_F(PlatformTest, MachineFacts) {
  EXPECT_FALSE(os_.UserName().empty());
  EXPECT_FALSE(os_.ComputerName().empty());
  zb::platform::Platform::DiskSpace space;
  // A file not there yet still has a disk.
  ASSERT_TRUE(os_.GetDiskSpace(Path("new.dat"), &space));
  EXPECT_GT(space.total, 0u);
  EXPECT_LE(space.available, space.total_free);
  EXPECT_LE(space.total_free, space.total);
  EXPECT_EQ(os_.DriveKindOf(Path("")),
            zb::platform::Platform::DriveKind::kFixed);

  uint8_t a[16], b[16];
  os_.NewGuid(a);
  os_.NewGuid(b);
  EXPECT_NE(std::memcmp(a, b, 16), 0);
  EXPECT_EQ(a[7] >> 4, 4);        // version 4: high nibble of Data3
  EXPECT_EQ(a[8] & 0xC0, 0x80);  // RFC 4122 variant

  const std::string own = os_.OwnModulePath();
  EXPECT_TRUE(os_.FileExists(own)) << own;
  uint16_t parts[4] = {};
  MakeFile("plain.txt", "no version here");
  EXPECT_FALSE(os_.ModuleVersion(Path("plain.txt"), false, parts));
  EXPECT_FALSE(os_.ModuleVersion(Path("missing.dll"), false, parts));
#ifdef _WIN32
  char system[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
  ASSERT_TRUE(
      os_.ModuleVersion(std::string(system) + "\\kernel32.dll", false, parts));
  EXPECT_GE(parts[0], 5);
#else
  // The markers are put together here so that this program's own bytes do
  // not hold them.
  const std::string file = std::string("ZBDB_FILE") + "_VERSION=";
  const std::string product = std::string("ZBDB_PRODUCT") + "_VERSION=";
  MakeFile("lib.so", std::string("\x7f") + file + "x " + file + "1.2.3.65535" +
                         std::string(1, '\0') + product + "5.6.7.8");
  ASSERT_TRUE(os_.ModuleVersion(Path("lib.so"), false, parts));
  EXPECT_EQ(std::vector<uint16_t>(parts, parts + 4),
            (std::vector<uint16_t>{1, 2, 3, 65535}));
  ASSERT_TRUE(os_.ModuleVersion(Path("lib.so"), true, parts));
  EXPECT_EQ(std::vector<uint16_t>(parts, parts + 4),
            (std::vector<uint16_t>{5, 6, 7, 8}));
  // Every program linking the library carries its version.
  uint16_t product_parts[4] = {};
  ASSERT_TRUE(os_.ModuleVersion(own, false, parts));
  ASSERT_TRUE(os_.ModuleVersion(own, true, product_parts));
  EXPECT_EQ(std::memcmp(parts, product_parts, sizeof parts), 0);
  EXPECT_GT(parts[0], 0);
#endif
}

TEST_F(PlatformTest, QuitAndLibraries) {
  os_.PostQuit(3);
  EXPECT_EQ(os_.posted_quit(), 3);
#ifdef _WIN32
  // The real message is on this thread's queue; taken off again so that no
  // later message loop ends early.
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
#endif
  EXPECT_EQ(os_.LoadLibraryFile("zb_no_such_library"), nullptr);
  EXPECT_EQ(os_.LoadLibraryFile(Path("missing.dll")), nullptr);
  // A bare name is found next to this program, with either spelling.
  for (const char* name : {"zbdisk", "zbdisk.dll"}) {
    void* library = os_.LoadLibraryFile(name);
    ASSERT_NE(library, nullptr) << name;
    EXPECT_NE(os_.ProcedureByOrdinal(library, 11), nullptr);
    EXPECT_EQ(os_.ProcedureByOrdinal(library, 9999), nullptr);
    os_.FreeLibraryFile(library);
  }
}

#ifndef _WIN32
namespace posix = zb::platform::posix;

TEST(PosixPathMap, BackslashesDrivesAndWindows1252) {
  EXPECT_EQ(posix::MapPathText("data\\pro\\A.PRO"), "data/pro/A.PRO");
  EXPECT_EQ(posix::MapPathText("\\\\server\\share\\x"), "//server/share/x");
  zbtest::ScopedEnv env;
  env.Set("ZBDB_DRIVE_D", "/srv/d/");
  env.Set("ZBDB_DRIVE_Q", std::nullopt);
  EXPECT_EQ(posix::MapPathText("D:\\ZB\\Daten\\"), "/srv/d/ZB/Daten/");
  EXPECT_EQ(posix::MapPathText("d:\\x.dat"), "/srv/d/x.dat");
  EXPECT_EQ(posix::MapPathText("D:x.dat"), "/srv/d/x.dat");
  EXPECT_EQ(posix::MapPathText("D:"), "/srv/d/");
  EXPECT_EQ(posix::MapPathText("Q:\\x.dat"), "/x.dat");
  const std::string utf8 = "M\xC3\xBCller \xE2\x82\xAC";
  EXPECT_EQ(posix::Cp1252ToUtf8("M\xFCller \x80"), utf8);
  EXPECT_EQ(posix::Utf8ToCp1252(utf8), "M\xFCller \x80");
  EXPECT_EQ(posix::Utf8ToCp1252("M\xFCller"), "M\xFCller");  // not UTF-8
}

TEST_F(PlatformTest, PosixResolvesComponentsIgnoringCase) {
  ASSERT_TRUE(os_.CreateFolder(Path("Daten")).ok());
  MakeFile("Daten/Projekt.PRO", "p");
  const std::string root = Path("");
  // As the library composes paths: backslashes, another case.
  EXPECT_EQ(posix::ToNativePath(root + "DATEN\\projekt.pro"),
            root + "Daten/Projekt.PRO");
  EXPECT_EQ(Contents("DATEN\\projekt.pro"), "p");
  // A component found in no spelling stays as given, and all after it.
  EXPECT_EQ(posix::ToNativePath(root + "DATEN\\Neu\\X.PRO"),
            root + "Daten/Neu/X.PRO");
  MakeFile("daten\\NEU.PRO", "n");
  EXPECT_TRUE(zbtest::FileExists(root + "Daten/NEU.PRO"));
  MakeFile("M\xFCller.PRO", "u");  // UTF-8 on disk; the umlaut's case ignored
  EXPECT_TRUE(zbtest::FileExists(Path("M\xC3\xBCller.PRO")));
  EXPECT_EQ(posix::ToNativePath(Path("M\xDCLLER.PRO")),
            Path("M\xC3\xBCller.PRO"));
  zbtest::ScopedEnv env;
  env.Set("ZBDB_DRIVE_D", root);
  std::unique_ptr<File> f;
  EXPECT_TRUE(os_.NewFile("D:\\via-drive.dat", kShared, &f).ok());
  EXPECT_TRUE(zbtest::FileExists(Path("via-drive.dat")));
}
#endif  // !_WIN32

}  // namespace
