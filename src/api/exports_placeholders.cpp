// Exports the suite's programs may still call but that have no function in
// this library: they answer at once without touching anything. Like every
// project and position export they take one request record; the managed
// callers' notifications take nothing.
#include "zbdb900.h"

namespace {
constexpr int32_t kNotAvailable = -1111;
}  // namespace

extern "C" {

#define ZB_PLACEHOLDER(name) \
  int32_t ZBAPI name(void*) { return kNotAvailable; }
ZB_PLACEHOLDER(ZB_PositionNew)
ZB_PLACEHOLDER(ZB_GetPositionFlag)
ZB_PLACEHOLDER(ZB_SetPositionFlag)
ZB_PLACEHOLDER(ZB_PositionLock)
ZB_PLACEHOLDER(ZB_SetPositionProperty_L)
ZB_PLACEHOLDER(ZB_ProjectConvert)
ZB_PLACEHOLDER(ZB_ProjectConvertActivate)
ZB_PLACEHOLDER(ZB_ProjectsConvert)
ZB_PLACEHOLDER(ZB_ProjectGetFirst)
ZB_PLACEHOLDER(ZB_ProjectGetNext)
ZB_PLACEHOLDER(ZB_ProjectPropertyItem)
ZB_PLACEHOLDER(ZB_ProjectRemove)
ZB_PLACEHOLDER(ZB_ProjectToActiv)
ZB_PLACEHOLDER(ZB_ProjectsToActiv)
ZB_PLACEHOLDER(ZB_GetProjectFlag)
ZB_PLACEHOLDER(ZB_SetProjectFlag)
ZB_PLACEHOLDER(ZB_ProjectToActivNew)
ZB_PLACEHOLDER(ZB_ProjectIdProperty)
ZB_PLACEHOLDER(ZB_ProjectPropertyID)
ZB_PLACEHOLDER(ZB_Start)
#undef ZB_PLACEHOLDER

#define ZB_NET_PLACEHOLDER(name) \
  int32_t ZBAPI name(void) { return kNotAvailable; }
ZB_NET_PLACEHOLDER(ZB_PositionProperty_NET)
ZB_NET_PLACEHOLDER(ZB_PositionRename_NET)
ZB_NET_PLACEHOLDER(ZB_PositionDelete_NET)
ZB_NET_PLACEHOLDER(ZB_PositionCopy_NET)
ZB_NET_PLACEHOLDER(ZB_PositionMove_NET)
ZB_NET_PLACEHOLDER(ZB_ProjectProperty_NET)
#undef ZB_NET_PLACEHOLDER

int32_t ZBAPI ZB_ProjectItem_L(ZBPROPOS_L*) { return -1; }
int32_t ZBAPI ZB_ProjectItem_LB(ZBPROPOS_L*) { return -1; }
void ZBAPI ZB_ProjectsReleaseStreamPRO(ZBPROPOS*) {}

}  // extern "C"
