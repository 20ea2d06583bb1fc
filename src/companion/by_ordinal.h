// The ordinal table of a companion library outside Windows. Windows finds
// the functions through the DLL's export table (the .def file); elsewhere a
// shared library has no ordinals, so each companion exports one C function,
// zb_procedure_by_ordinal, that answers the function of an ordinal (null
// for an ordinal it does not have).
#ifndef ZBDB_COMPANION_BY_ORDINAL_H_
#define ZBDB_COMPANION_BY_ORDINAL_H_

#include <cstddef>

namespace zb::companion {

struct OrdinalEntry {
  int ordinal;
  void* procedure;
};

template <size_t N>
void* FindOrdinal(const OrdinalEntry (&table)[N], int ordinal) {
  for (const OrdinalEntry& entry : table)
    if (entry.ordinal == ordinal) return entry.procedure;
  return nullptr;
}

}  // namespace zb::companion

#endif  // ZBDB_COMPANION_BY_ORDINAL_H_
