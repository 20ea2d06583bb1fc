// The record listing: one line per record (number, offset, keys, size and
// the start of its data as text), with a readable interpretation of the
// library's own typed records. Meant for the small working files of single
// positions and for support.
#ifndef ZBDB_RECORDSTORE_LISTING_H_
#define ZBDB_RECORDSTORE_LISTING_H_

#include <cstdint>
#include <cstdio>
#include <string>

namespace zb::recordstore {

class Engine;

// Lists every record of the open handle h, deleted ones included, to out.
// Returns the number of records listed.
uint32_t ListRecords(Engine& engine, int h, std::FILE* out);
// The same, appended to the text file at text_path (created when missing).
// Returns the number of records listed, 0 when the text file cannot be
// opened.
uint32_t ListRecordsToFile(Engine& engine, int h, const std::string& text_path);

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_LISTING_H_
