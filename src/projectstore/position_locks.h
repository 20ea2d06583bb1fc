// Position locks: the lock bit in POSINFO and the 538-byte lock record
// (keys program key / position id) say who works on a position since when,
// across processes and computers. This process remembers the block it wrote
// last; a lock whose record equals that block is its own.
//
// The operations work on a project handle the caller opened; changes need
// it writable (exclusively, so that no other process reads half a change).
#ifndef ZBDB_PROJECTSTORE_POSITION_LOCKS_H_
#define ZBDB_PROJECTSTORE_POSITION_LOCKS_H_

#include <cstdint>
#include <string>

#include "environment/library_context.h"

namespace zb::projectstore {

class Store;

// The lock record as stored; the library context keeps the one this
// process wrote last.
using LockRecord = environment::LockBlock;

// What this process holds (state 1 while it holds a lock): the library
// context's copy, kept with the rest of the process's state.
using OwnLockState = environment::HeldPositionLock;

// The lock record of a position; its size, or negative when missing (then
// *out is all zeros).
int32_t ReadLockRecord(Store& store, int h, int16_t program, uint16_t id,
                       LockRecord* out);

// Takes the lock for this process: 1 done (also when it already held it),
// 0 locked by another, -1 no such position. working_h is the working
// file's handle, or 0 for none.
int32_t LockOn(Store& store, int h, int working_h, int16_t program,
               const std::string& name);
// Clears the lock bit (the lock record stays) and forgets this process's
// lock: 1 done, 0 no such position.
int32_t LockOff(Store& store, int h, int16_t program, const std::string& name);

// LockOn with the files opened here: the project exclusively, the working
// file (may be empty) read-only. For a caller that holds neither open.
int32_t LockPositionFor(Store& store, const std::string& project_path,
                        const std::string& working_path, int16_t program,
                        const std::string& name);
// 1 when h is the project this process locked and the position it locked
// still carries its lock (or a bit without record).
int32_t LockedForMe(Store& store, int h, int working_h);
// 1 locked by another, 0 free. Tells the user who holds the lock unless
// quiet; a bit without record is cleared; a lock of the same user left by
// an earlier run may be removed after a question. Clearing needs a
// writable project: a read-only *h is closed and reopened (read-only
// again afterwards), so *h may change.
int32_t CheckLockAndInform(Store& store, int* h, int16_t program,
                           const std::string& name, bool quiet);
// Releases this process's lock through its remembered paths: 1 released.
int32_t ReleaseOwnLock(Store& store);
// Set or clear the bit in every POSINFO of the program; the number of
// records visited.
int32_t LockAll(Store& store, int h, int16_t program);
int32_t UnlockAll(Store& store, int h, int16_t program);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_POSITION_LOCKS_H_
