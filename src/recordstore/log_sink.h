// Where the record store sends its diagnostic log entries (the open
// errors). The record store knows nothing of the log file; whoever makes
// an engine hands it the sink, the library the diagnostic log.
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
// Drops every entry: for record files handled without a log.
class NoLog final : public LogSink {
 public:
  void Append(const std::string&) override {}
};

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_LOG_SINK_H_
