// Where the record store sends its diagnostic log entries (the open
// errors). The record store knows nothing of the log file; the environment
// installs a sink that appends to it. Until then entries are dropped.
#ifndef ZBDB_RECORDSTORE_LOG_SINK_H_
#define ZBDB_RECORDSTORE_LOG_SINK_H_

#include <string>

namespace zb::recordstore {

class LogSink {
 public:
  virtual ~LogSink() = default;
  // One entry: text as it is to be appended, with its own "\n"s.
  virtual void Append(const std::string& text) = 0;
};

// The installed sink (not owned); never null: a dropping sink by default.
LogSink& Log();
void SetLogSink(LogSink* sink);  // nullptr restores the dropping sink

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_LOG_SINK_H_
