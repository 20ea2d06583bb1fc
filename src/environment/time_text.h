// Local time and its German text, for the log's time stamps and the
// journal. Day and month names are German whatever the process locale is,
// so that every installation writes the same log.
#ifndef ZBDB_ENVIRONMENT_TIME_TEXT_H_
#define ZBDB_ENVIRONMENT_TIME_TEXT_H_

#include <cstdint>
#include <ctime>
#include <string>

namespace zb::environment {

// The local time of seconds since 1970.
std::tm LocalTimeOf(uint32_t seconds);

// strftime for the conversions %A (weekday), %B (month), %d, %m, %y, %Y,
// %H, %M, %S and %%, with German names in Windows-1252 ("März"); other
// conversions are copied as they are.
std::string FormatGermanTime(const char* format, const std::tm& time);

// "*** Montag, 03. März 2025, 07:05:09": the time stamp of the log.
std::string LogTimeStamp(const std::tm& time);

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_TIME_TEXT_H_
