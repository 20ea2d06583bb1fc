#include "support/child_protocol.h"

namespace zbtest {

RecordImage ChildRecord(int i) {
  RecordImage r;
  r.key1 = static_cast<int16_t>(100 + i % 5);
  r.key2 = static_cast<int16_t>(i);
  r.data = Pattern(static_cast<size_t>(1 + (i * 37) % 300),
                   static_cast<uint32_t>(1000 + i));
  return r;
}

}  // namespace zbtest
