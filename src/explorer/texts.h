// Text helpers the explorer's models share: a fixed field of a packed
// record as a string, blanks trimmed, a number as text.
#ifndef ZBDB_EXPLORER_TEXTS_H_
#define ZBDB_EXPLORER_TEXTS_H_

#include <cstddef>
#include <string>

#include "recordstore/typed_records.h"

namespace zb::explorer {

// The field's text up to its first zero (at most N bytes).
template <size_t N>
std::string Text(const char (&field)[N]) {
  return recordstore::FieldText(field, N);
}

std::string RightTrimmed(std::string text);
// Without the blanks at both ends.
std::string Trimmed(const std::string& text);
std::string Number(int value);

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_TEXTS_H_
