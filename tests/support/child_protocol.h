// What the record-file child program does and writes, shared by the child
// and the tests that start it, so both sides agree on every byte.
//
//   record_file_child append <path> <count> <end> <marker>
//     Opens path with DBOpen, appends `count` records (ChildRecord(0..)),
//     writes the marker file, then ends as <end> says:
//       quick-exit  ends at once without closing anything (no exit handlers)
//       return      returns from main, leaving the record file open
//       hang        waits (up to a minute) to be killed
//   record_file_child hold <excl|shared> <path> <ready-marker> <release-marker>
//     Opens path with DBOpenExcl or DBOpen, writes the open's result into
//     the ready marker, waits for the release marker (up to a minute),
//     closes the file and ends.
#ifndef ZBDB_TESTS_SUPPORT_CHILD_PROTOCOL_H_
#define ZBDB_TESTS_SUPPORT_CHILD_PROTOCOL_H_

#include "support/test_support.h"

namespace zbtest {

constexpr const char kRecordFileChild[] = "record_file_child";

// Exit codes of the child.
constexpr int kChildOk = 0;
constexpr int kChildBadArguments = 2;
constexpr int kChildOpenFailed = 3;
constexpr int kChildWriteFailed = 4;
constexpr int kChildTimedOut = 5;

// The i-th record the child appends (sizes 1 to 300, keys by i).
RecordImage ChildRecord(int i);

}  // namespace zbtest

#endif  // ZBDB_TESTS_SUPPORT_CHILD_PROTOCOL_H_
