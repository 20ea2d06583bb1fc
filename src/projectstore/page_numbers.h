// Page numbering: the printouts of all positions of a project form one
// numbered document. Each position keeps its start page and page count in
// the page block of its 248-byte POSINFO; the project keeps the next free
// page number in (30006, 0). Page numbers and counts above 10000 are never
// valid: a block with such a count is cleared when stored, and such values
// are reported as 0 (a next page above 10000 as 1).
//
// Every operation takes the project file's path, opens it for itself and
// closes it again; program is the position's program key.
#ifndef ZBDB_PROJECTSTORE_PAGE_NUMBERS_H_
#define ZBDB_PROJECTSTORE_PAGE_NUMBERS_H_

#include <cstdint>
#include <string>

#include "recordstore/typed_records.h"

namespace zb::projectstore {

class Store;

constexpr uint16_t kMaxPageNumber = 10000;

// A position as the page numbering sees it.
struct PagingPosition {
  int32_t id = -1;     // -1 when not found or stored with 116 bytes only
  int32_t index = -1;  // occurrence of its POSINFO, -1 when not found
  recordstore::PosInfoExt info{};  // designation filled from its PROPOS
  uint16_t next_page = 1;          // the project's next free page
};

// The project's next free page number on an open handle: 1 when missing
// or above 10000.
uint16_t NextPageOf(Store& store, int h);

// Finds the position on an open handle and reads it for paging: only a
// 248-byte POSINFO has page numbers (otherwise the id stays -1); a start
// page of 0 takes the project's next page. Returns out->id.
int32_t ReadPositionForPaging(Store& store, int h, int16_t program,
                              const std::string& name, PagingPosition* out);

// Stores start page and count as the position's page block (time = now
// when count is not 0) and raises the project's next page behind it.
// When working_file is not empty, the block also goes into the working
// file's long POSINFO (any Key1, 30002, occurrence 1) if that has 248
// bytes. Returns the position id, 0 when the project cannot be opened,
// the position is not there or the store is refused.
int32_t SetStartPage(Store& store, const std::string& project_path,
                     int16_t program, const std::string& name, uint16_t start,
                     uint16_t count, const std::string& working_file);

// Start page and count of the position (both 0 when either is above
// 10000; the count 0 when the project's next page is below it). Returns
// the position id, -1 when not found.
int32_t GetStartPage(Store& store, const std::string& project_path,
                     int16_t program, const std::string& name, uint16_t* start,
                     uint16_t* count);

// Writes the project's next page: the result of the write, or the open's
// negative code.
int32_t SetNextPage(Store& store, const std::string& project_path,
                    uint16_t next);

// Reads the project's next page into *next: 1 when read (a value above
// 10000 reported as 1); the read's negative code when the project has none
// (*next = 1); -1 when the project cannot be opened.
int32_t GetNextPage(Store& store, const std::string& project_path,
                    uint16_t* next);

// Clears page numbers. An empty name: the page block of every POSINFO of
// the program (32762: of all programs), in order, up to the first record
// that is not 248 bytes; then the project's next page becomes 1; returns
// the number of records cleared. A name with one program: that position's
// block (the next page stays); returns its index, -1 when not found. A name
// with all programs: nothing, 0. -1 when the project cannot be opened.
int32_t ResetPages(Store& store, const std::string& project_path,
                   int16_t program, const std::string& name);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_PAGE_NUMBERS_H_
