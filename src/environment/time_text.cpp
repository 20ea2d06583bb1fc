#include "environment/time_text.h"

#include <cstdio>

#include "platform/platform.h"

namespace zb::environment {
namespace {

const char* const kDays[7] = {"Sonntag",  "Montag",  "Dienstag", "Mittwoch",
                              "Donnerstag", "Freitag", "Samstag"};
const char* const kMonths[12] = {"Januar",    "Februar", "März",     "April",
                                 "Mai",       "Juni",    "Juli",     "August",
                                 "September", "Oktober", "November", "Dezember"};

void AppendNumber(std::string& out, int value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, value);
  out += buf;
}

}  // namespace

std::tm LocalTimeOf(uint32_t seconds) {
  return platform::CalendarTime(seconds, true);
}

std::string FormatGermanTime(const char* format, const std::tm& time) {
  std::string out;
  for (const char* p = format; *p; ++p) {
    if (*p != '%' || !p[1]) {
      out += *p;
      continue;
    }
    switch (*++p) {
      case 'A': out += kDays[(time.tm_wday % 7 + 7) % 7]; break;
      case 'B': out += kMonths[(time.tm_mon % 12 + 12) % 12]; break;
      case 'd': AppendNumber(out, time.tm_mday, 2); break;
      case 'm': AppendNumber(out, time.tm_mon + 1, 2); break;
      case 'y': AppendNumber(out, (time.tm_year + 1900) % 100, 2); break;
      case 'Y': AppendNumber(out, time.tm_year + 1900, 4); break;
      case 'H': AppendNumber(out, time.tm_hour, 2); break;
      case 'M': AppendNumber(out, time.tm_min, 2); break;
      case 'S': AppendNumber(out, time.tm_sec, 2); break;
      case '%': out += '%'; break;
      default:
        out += '%';
        out += *p;
    }
  }
  return out;
}

std::string LogTimeStamp(const std::tm& time) {
  return FormatGermanTime("*** %A, %d. %B %Y, %H:%M:%S", time);
}

}  // namespace zb::environment
