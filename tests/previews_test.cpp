// Previews through the exports, on a copy of the installation's data folder
// ("Brücke Nord", DLT "Stütze 12 Achse B").
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "environment/scripted_ui.h"
#include "projectstore/position_copy.h"
#include "support/installed_data_fixture.h"
#include "zbdb900.h"

namespace zbtest {
namespace {

// A blob as a calculation program makes it around `picture`.
Bytes MakeBlob(const Bytes& picture) {
  uLongf packed_size = compressBound(picture.size());
  Bytes packed(packed_size);
  EXPECT_EQ(compress(packed.data(), &packed_size, picture.data(),
                     picture.size()),
            Z_OK);
  packed.resize(packed_size);
  Bytes blob;
  PutU32(blob, 1);
  PutU32(blob, 64);
  PutU32(blob, static_cast<uint32_t>(packed.size()));
  PutU32(blob, static_cast<uint32_t>(picture.size()));
  for (uint32_t v : {0u, 0u, 200u, 100u, 0u, 0u, 5000u, 2500u}) PutU32(blob, v);
  blob.resize(64, 0);
  blob.insert(blob.end(), packed.begin(), packed.end());
  return blob;
}

class PreviewsTest : public InstalledDataTest {
 protected:
  ZBPROPOS_L Request(const std::string& name) { return Long("DLT", name); }
  int32_t Save(const std::string& name, Bytes blob) {
    ZBPROPOS_L r = Request(name);
    int32_t size = static_cast<int32_t>(blob.size());
    return ZB_SavePreview_L(&r, blob.data(), &size);
  }
  int32_t Init(const std::string& name) {
    ZBPROPOS_L r = Request(name);
    return ZB_GetPreview_Init(&r);
  }
};

TEST_F(PreviewsTest, StoredLoadedShownCopiedAndDeletedWithThePosition) {
  const Bytes picture = Pattern(3000, 7);
  const Bytes blob = MakeBlob(picture);
  EXPECT_EQ(Save("Unbekannt", blob), 0);  // no such position
  ASSERT_EQ(Save(kStuetze, blob), 1);
  EXPECT_NE(Logged().find("Preview: return : 1"), std::string::npos);

  // The preview file carries the project's header; the project is marked.
  PROINFO project{}, preview{};
  const int16_t p = DBOpenReadOnly(JoinPath(data_, "PRO00001.PRO").c_str());
  const int16_t v = DBOpenReadOnly(JoinPath(data_, "PRO00001.PRV").c_str());
  ASSERT_EQ(DBReadBin(p, 0, sizeof project, &project), 104);
  ASSERT_EQ(DBReadBin(v, 0, sizeof preview, &preview), 104);
  DBClose(p);
  DBClose(v);
  EXPECT_EQ(preview.number, project.number);
  EXPECT_EQ(Str(preview.szProject, 42), kProject);
  EXPECT_NE(project.number2 & 2, 0);

  // The buffer handshake: too small gets nothing and keeps the preview.
  ASSERT_EQ(Init(kStuetze), static_cast<int32_t>(blob.size()));
  Bytes small(100);
  EXPECT_EQ(ZB_GetPreview_Buffer(small.data(), 100), 100);
  Bytes large(40000);
  EXPECT_EQ(ZB_GetPreview_Buffer(large.data(), 40000),
            static_cast<int32_t>(blob.size()));
  large.resize(blob.size());
  EXPECT_EQ(large, blob);
  EXPECT_EQ(ZB_GetPreview_Buffer(large.data(), 40000), 40000);  // fetched

  // The viewer gets the decompressed picture; a 64-byte blob shows none.
  ZBPROPOS_L show = Request(kStuetze);
  EXPECT_EQ(ZB_GetPreview(&show), 1);
  EXPECT_EQ(ui_.last_preview().state, 0);
  EXPECT_EQ(ui_.last_preview().metafile, picture);
  ASSERT_EQ(Save(kStuetze, Bytes(blob.begin(), blob.begin() + 64)), 1);
  EXPECT_EQ(ZB_GetPreview(&show), 1);
  EXPECT_EQ(ui_.last_preview().state, 1);

  // 32759 bytes store nothing, and the old preview is gone already.
  EXPECT_EQ(Save(kStuetze, Bytes(32759, 1)), 0);
  EXPECT_LE(Init(kStuetze), 0);
  ASSERT_EQ(Save(kStuetze, blob), 1);

  // A copy of the position takes the preview along; a delete removes it.
  ZBPROPOS_L source = Request(kStuetze);
  ZBPROPOS_L target = Request("St\xFCtze 12 Kopie");
  ASSERT_GT(zb::projectstore::CopyPosition(store(), &source, &target), 0);
  EXPECT_EQ(Init("St\xFCtze 12 Kopie"), static_cast<int32_t>(blob.size()));
  ZBPROPOS_L doomed = Request("St\xFCtze 12 Kopie");
  ASSERT_GT(ZB_PositionDelete(&doomed), 0);
  EXPECT_LE(Init("St\xFCtze 12 Kopie"), 0);
  EXPECT_EQ(Init(kStuetze), static_cast<int32_t>(blob.size()));

  // The plain form refuses a blob of 32760 bytes before anything else.
  ZBPROPOS plain{};
  Bytes too_big(32760);
  int32_t size = 32760;
  EXPECT_EQ(ZB_SavePreview(&plain, too_big.data(), &size), -1);
}

}  // namespace
}  // namespace zbtest
