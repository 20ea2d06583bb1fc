// In-place helpers for zero-terminated single-byte texts: the ones the
// calculation programs share through the exports of the same names, and
// the library's own uses for program keys, fixed-width fields and folders.
// The caller guarantees room for any growth; null texts are left alone.
#ifndef ZBDB_ENVIRONMENT_STRING_UTILS_H_
#define ZBDB_ENVIRONMENT_STRING_UTILS_H_

#include <cstddef>
#include <string>

namespace zb::environment {

// Inserts a at the start of b (b's text and terminator move right).
void StrIns(const char* a, char* b);
// target = texts[0] + texts[1] + ...; a text may be target itself (as the
// first one usually is). Null entries count as empty. Returns target.
char* StrAddList(char* target, const char* const* texts, size_t count);
// Removes trailing blanks and line feeds (10); returns the new terminator.
char* StrRightCompress(char* text);
// Removes leading blanks by moving the rest to the start; returns text.
char* StrLeftCompress(char* text);
// Terminates a fixed field of width n at n - 1, then right-compresses.
char* CTrim(char* text, int n);
// A-Z, and the DOS umlauts 0x8E, 0x99, 0x9A (Ä, Ö, Ü) to 0x84, 0x94, 0x81;
// every other byte is kept. Upper is the reverse.
char* Lower(char* text);
char* Upper(char* text);
// Folder text with exactly one trailing backslash (empty stays empty).
char* BackSlash(char* text);
// Folder text without trailing backslash, except for a drive root; a text
// without any backslash becomes a drive root ("C" -> "C:\").
char* NoBackSlash(char* text);

// The same rules on std::string, for the library's own texts.
std::string LowerText(std::string text);
std::string UpperText(std::string text);
std::string RightCompressed(std::string text);

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_STRING_UTILS_H_
