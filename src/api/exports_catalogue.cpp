// The program catalogue exports: the catalogue line and the titles of a
// program, in their plain and Basic forms. Texts returned by pointer live in
// one buffer per export, valid until that export is called again.
#include <cstring>
#include <string>

#include "api/byte_string.h"
#include "api/library.h"
#include "zbdb900.h"

namespace {

using zb::api::Library;

using zb::environment::ProgramCatalogue;
using zb::environment::ProgramLine;

std::string KeyText(const char* key) { return key ? key : ""; }

// Until the catalogue holds more than the first built-in entry there is no
// program to name.
std::string ShortTitleOrEmpty(Library& lib, const std::string& title) {
  return lib.catalogue().count() < 2 ? std::string() : title;
}

std::string TitleOfNumber(Library& lib, int16_t number) {
  const ProgramCatalogue& catalogue = lib.catalogue();
  const int i = catalogue.FindNumber(number);
  return i < 0 ? std::string() : catalogue.TitleByIndex(i);
}

std::string TitleOfKey(Library& lib, const char* key) {
  const ProgramLine line = lib.catalogue().LineByKey(KeyText(key));
  return std::string(line.title, strnlen(line.title, sizeof line.title));
}

const char* Keep(std::string& buffer, std::string text) {
  buffer = std::move(text);
  return buffer.c_str();
}

template <size_t N>
void PutBlankField(char* block, size_t offset, const char (&field)[N]) {
  std::memcpy(block + offset, field, strnlen(field, N));
}

}  // namespace

extern "C" {

int32_t ZBAPI ZB_GetPrgZeile(const char* key, void* line) {
  zb::api::Library& lib = zb::api::TheLibrary();
  zb::environment::EnsureLoggedIn(lib.session());
  const ProgramLine found = lib.catalogue().LineByKey(KeyText(key));
  if (line) std::memcpy(line, &found, sizeof found);
  return 1;
}

int32_t ZBAPI ZB_GetPrgZeileB(const char* key, void* line) {
  ProgramLine zero;
  std::memset(&zero, 0, sizeof zero);
  ZB_GetPrgZeile(key, &zero);
  if (!line) return -1;
  // The Basic record: program number and the three texts at their offsets,
  // every other byte a blank.
  char* block = static_cast<char*>(line);
  std::memset(block, ' ', 404);
  std::memcpy(block + 4, &zero.number, sizeof zero.number);
  PutBlankField(block, 6, zero.key);
  PutBlankField(block, 18, zero.title);
  PutBlankField(block, 74, zero.icon);
  return -1;
}

const char* ZBAPI ZB_PrgTitel(const char* key) {
  zb::api::Library& lib = zb::api::TheLibrary();
  std::string& buffer = lib.title_texts[0];
  return Keep(buffer, TitleOfKey(lib, key));
}

ZB_BYTESTRING ZBAPI ZB_PrgTitel_B(const char* key) {
  return zb::api::AllocByteString(ZB_PrgTitel(key));
}

const char* ZBAPI ZB_PrgTitelI(int16_t number) {
  zb::api::Library& lib = zb::api::TheLibrary();
  std::string& buffer = lib.title_texts[1];
  return Keep(buffer, TitleOfNumber(lib, number));
}

ZB_BYTESTRING ZBAPI ZB_PrgTitelI_B(int16_t number) {
  return zb::api::AllocByteString(ZB_PrgTitelI(number));
}

const char* ZBAPI ZB_PrgShortTitel(const char* key) {
  zb::api::Library& lib = zb::api::TheLibrary();
  std::string& buffer = lib.title_texts[2];
  return Keep(buffer, ShortTitleOrEmpty(
                          lib, lib.catalogue().ShortTitleByKey(KeyText(key))));
}

ZB_BYTESTRING ZBAPI ZB_PrgShortTitel_B(const char* key) {
  return zb::api::AllocByteString(ZB_PrgShortTitel(key));
}

const char* ZBAPI ZB_PrgShortTitelI(int16_t number) {
  zb::api::Library& lib = zb::api::TheLibrary();
  std::string& buffer = lib.title_texts[3];
  return Keep(buffer, ShortTitleOrEmpty(
                          lib, lib.catalogue().ShortTitleByNumber(number)));
}

ZB_BYTESTRING ZBAPI ZB_PrgShortTitelI_B(int16_t number) {
  return zb::api::AllocByteString(ZB_PrgShortTitelI(number));
}

}  // extern "C"
