// The diagnostic log "DBReport.Log" and the save journal "DBHistory.log",
// both in the configuration folder.
//
// Every write opens the file (creating it, never truncating), appends at its
// end and closes it again, so several processes can share one log and lines
// interleave whole. Text mode: on Windows each "\n" reaches the disk as
// CR LF. A file that cannot be opened drops the text silently; nothing here
// ever fails a call.
#ifndef ZBDB_ENVIRONMENT_LOG_H_
#define ZBDB_ENVIRONMENT_LOG_H_

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "recordstore/log_sink.h"
#include "zbdb900_types.h"

namespace zb::environment {

class Log final : public recordstore::LogSink {
 public:
  // What the login header names; an empty file_version means the library's
  // version could not be read, and then only the size and age rules run.
  struct LoginInfo {
    std::string file_version;  // "%u,%u,%u,%u"
    std::string program_folder;
    std::string data_folder;
    std::string temp_folder;
    std::string user_folder;
    std::string user;
  };

  using Clock = uint32_t (*)();  // seconds since 1970

  explicit Log(platform::Platform& os, std::string path = {});
  Log(const Log&) = delete;
  Log& operator=(const Log&) = delete;

  // The log file; empty drops every write.
  void set_path(std::string path) { path_ = std::move(path); }
  const std::string& path() const { return path_; }
  // "DBHistory.log" in the folder of the log.
  std::string journal_path() const;
  // Replaces the platform's clock (nullptr restores it).
  void set_clock(Clock clock) { clock_ = clock; }

  // The text as it is (callers begin their lines with "\n").
  void Append(const std::string& text) override;
  void Printf(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  // A dash-framed block: "***" + title + the time stamp.
  void Title(const std::string& title);
  // The ten fields of a request, labelled, one per line.
  void Request(const ZBPROPOS_L& request);
  // A failed record file open of `routine` with the text of the open code.
  void RecordFileError(const std::string& routine, const std::string& file,
                       int code);
  static std::string OpenCodeText(int code);

  // At login: deletes a log last written more than 48 hours ago, else one
  // larger than 56000 bytes; then, when the version is known, appends the
  // header with version, time, folders and user.
  void LoginHeader(const LoginInfo& info);
  // At logout.
  void LogoutFooter();
  // One line of the save journal for a request (mode letter "W" for a save).
  void Journal(const ZBPROPOS_L& request, const std::string& mode);

  // The current local time stamp "*** Montag, 03. März 2025, 07:05:09".
  std::string TimeStamp() const;

 private:
  uint32_t Now() const;
  void StartAnewIfOldOrLarge();

  platform::Platform& os_;
  std::string path_;
  Clock clock_ = nullptr;
};

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_LOG_H_
