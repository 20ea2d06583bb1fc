// Unloading the shared library closes the record files a program left open,
// so their indexes reach the disk: a program that unloads the library
// before it ends loses nothing. (Linux build only: the Windows DLL is a
// 32-bit file the 64-bit test program cannot load.)
#if !defined(_WIN32) && defined(ZBDB_SHARED_LIBRARY)
#include <dlfcn.h>

#include <gtest/gtest.h>

#include "support/record_fixture.h"

namespace zbtest {
namespace {

using OpenFn = int32_t (*)(const char*);
using WriteFn = int32_t (*)(int16_t, int16_t, int16_t, int32_t, int16_t,
                            const void*);

class LibraryUnloadTest : public RecordStoreTest {};

TEST_F(LibraryUnloadTest, UnloadingTheLibraryWritesTheIndexOfOpenFiles) {
  const std::string path = Path("left-open.pro");
  void* library = dlopen(ZBDB_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto open = reinterpret_cast<OpenFn>(dlsym(library, "DBOpen"));
  auto write = reinterpret_cast<WriteFn>(dlsym(library, "DBWrite"));
  ASSERT_NE(open, nullptr);
  ASSERT_NE(write, nullptr);

  const int32_t h = open(path.c_str());
  ASSERT_GT(h, 0);
  const std::vector<RecordImage> records = {{3, 4, Text("kept at unload")},
                                            {5, 6, Text("and this")}};
  for (const RecordImage& r : records)
    ASSERT_EQ(write(static_cast<int16_t>(h), r.key1, r.key2, -1,
                    static_cast<int16_t>(r.data.size()), r.data.data()),
              static_cast<int32_t>(r.data.size()));
  // Before the unload the file ends with the end-of-data mark only.
  EXPECT_EQ(GetI16(ReadFileBytes(path), ReadFileBytes(path).size() - 4), 32767);

  ASSERT_EQ(dlclose(library), 0);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
}

}  // namespace
}  // namespace zbtest
#endif
