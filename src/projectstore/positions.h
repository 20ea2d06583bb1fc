// Positions inside an open project file: finding one by name, its state,
// creating one with an id that is never given twice, and the unique short
// names. Every operation works on a record handle the caller opened (read
// operations need any open, changes a writable one) and leaves it open.
#ifndef ZBDB_PROJECTSTORE_POSITIONS_H_
#define ZBDB_PROJECTSTORE_POSITIONS_H_

#include <cstdint>
#include <string>

#include "recordstore/typed_records.h"

namespace zb::projectstore {

class Store;

constexpr int16_t kKeyCounter = 30001;
constexpr int16_t kKeyPosInfo = 30002;
constexpr int16_t kKeyProPos = 30000;  // working-file Key2 of the PROPOS tag
constexpr int16_t kAllPrograms = 32762;
constexpr uint16_t kCtrlLocked = 0x0001;

// The name as positions are compared: blanks trimmed at both ends, DOS
// umlauts turned into Windows-1252, letters in lower case.
std::string PositionCompareName(const std::string& name);

// The project text of the position's PROPOS tag among its data records
// (its designation); empty when it has none.
std::string DesignationFromProPos(Store& store, int h, int16_t id,
                                  int16_t program);

// The i-th POSINFO of the program as stored: returns its stored size (116
// or 248) with *out in the 248-byte form (a short record widened), or a
// negative engine result when there is none.
int32_t ReadStoredPosInfo(Store& store, int h, int16_t program,
                          uint32_t occurrence, recordstore::PosInfoExt* out);

// Finds the position by long name (or short name, see the .cpp), ignoring
// case, through the index of the program's POSINFO records kept while h is
// open (position_index.h): one record read per lookup. Returns the occurrence index of its POSINFO and hands the record out
// widened to 248 bytes (designation from its PROPOS data record when a short
// record has none; an empty long name as four blanks); -1 when not found.
int32_t FindPosition(Store& store, int h, const std::string& name,
                     int16_t program, recordstore::PosInfoExt* out);

// Writes *info as the i-th POSINFO. A record stored with 116 bytes is
// deleted and the 248-byte form appended (its index becomes the last); the
// new index is returned, or a negative engine result.
int32_t WritePosInfo(Store& store, int h, int16_t program, uint32_t occurrence,
                     const recordstore::PosInfoExt& info);

// 0 not found, 1 found and not locked by another, 2 locked by another
// (the lock bit set and a lock time other than the one this process wrote
// last). *out receives the POSINFO when found; out may be null.
int32_t PositionState(Store& store, int h, int16_t program,
                      const std::string& name, recordstore::PosInfoExt* out);
// The same on the project file's path, opened read-only for the question.
int32_t PositionStateOfFile(Store& store, const std::string& project_path,
                            int16_t program, const std::string& name,
                            recordstore::PosInfoExt* out);

// True when a POSINFO of the program carries this short name (ignoring
// case).
bool ShortNameTaken(Store& store, int h, int16_t program,
                    const std::string& short_name);

// The short name for a long name: the long name itself up to 8 characters,
// else the seven-characters-and-"~" rule, made unique within the program by
// replacing its end with "~1", "~2", ... Writes the 10-byte field.
void UniqueShortName(Store& store, int h, int16_t program,
                     const std::string& long_name, char short_name[10]);

// Creates a position: the program's id counter grows by one and the new
// POSINFO is appended. Returns the new id; -2 for a handle that is not
// open; another negative engine result when a write fails.
int32_t CreatePosition(Store& store, int h, const std::string& long_name,
                       const std::string& description, int16_t program);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_POSITIONS_H_
