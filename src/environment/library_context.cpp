#include "environment/library_context.h"

#include <cstdio>

#include "recordstore/record_format.h"

namespace zb::environment {
namespace {

struct CodeName {
  int32_t code;
  const char* name;
};
// "ERR_PRO_LOCKED" and "ERR_PRO_DIRCOPY" have no trailing blank.
const CodeName kCodeNames[] = {
    {1, "NO_ERROR "},
    {-101, "ERR_NOTDONE "},
    {-102, "ERR_PRG_UNDEF "},
    {-103, "ERR_DIR_UNDEF "},
    {-104, "ERR_DIR_NOTEXIST "},
    {-105, "ERR_DIR_READONLY "},
    {-106, "ERR_NOTDIR "},
    {-200, "ERR_PRO_UNDEF "},
    {-201, "ERR_PRO_NOTNEW "},
    {-202, "ERR_PRO_NOTFOUND "},
    {-203, "ERR_PRO_NOTCREATED "},
    {-204, "ERR_PRO_NOTDELETED "},
    {-205, "ERR_PRO_LOCKED"},
    {-206, "ERR_PRO_COPYTOITSELF "},
    {-207, "ERR_PRO_DIRCOPY"},
    {-208, "ERR_PRO_NEWDIR "},
    {-209, "ERR_PRO_NOACCES "},
    {-210, "ERR_PRO_OPEN "},
    {-300, "ERR_POS_UNDEF "},
    {-301, "ERR_POS_NOTNEW "},
    {-302, "ERR_POS_NOTFOUND "},
    {-303, "ERR_POS_LOCKED "},
    {-306, "ERR_POS_COPYTOITSELF "},
    {-401, "ERR_PRV_NOPRO "},
    {-402, "ERR_PRV_NOPRV "},
    {-403, "ERR_PRV_NAME "},
    {-404, "ERR_PRV_ID "},
    {-405, "ERR_PRV_NOPOS "},
    {-501, "ERR_TMP_NOTCREATED "},
    {-505, "ERR_TMP_NOPOS "},
};

}  // namespace

LibraryContext::LibraryContext(platform::Platform& os, Ui& ui,
                               Companions& companions)
    : log(os),
      catalogue(os, companions),
      os_(&os),
      ui_(&ui),
      companions_(&companions) {
  uint8_t guid[16];
  os.NewGuid(guid);
  guid_text = FormatGuid(guid);
}

std::string FormatGuid(const uint8_t g[16]) {
  char text[64];
  std::snprintf(text, sizeof text, "%lx-%x-%x-%x%x-%x%x%x%x%x%x",
                static_cast<unsigned long>(recordstore::LoadU32(g)),
                recordstore::LoadU16(g + 4), recordstore::LoadU16(g + 6), g[8],
                g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
  return text;
}

const char* ResultCodeName(int32_t code) {
  for (const CodeName& c : kCodeNames)
    if (c.code == code) return c.name;
  return "";
}

}  // namespace zb::environment
