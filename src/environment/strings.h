// The system's own texts that carry a number (the string table of the
// Windows resources): message boxes, questions and dialog titles. Code
// names a text by its number, so the German wording lives in one place.
#ifndef ZBDB_ENVIRONMENT_STRINGS_H_
#define ZBDB_ENVIRONMENT_STRINGS_H_

#include <string>

namespace zb::environment {

// The text of string `number`; "" for a number the table does not hold.
const char* SystemText(int number);

// The text with "%1" and "%2" (each at its first place) replaced.
std::string SystemText(int number, const std::string& first,
                       const std::string& second = std::string());

// The same replacement on any text that uses the table's placeholders.
std::string FillPlaceholders(std::string text, const std::string& first,
                             const std::string& second = std::string());

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_STRINGS_H_
