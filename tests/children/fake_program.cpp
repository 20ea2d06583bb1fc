// A calculation program for the launch tests: appends how it was started,
// "<argv0>|<the argument text>", as a line to the file named by
// ZBDB_FAKE_PROGRAM_OUT. On Windows the argument text is the command line
// behind the program's own name, as the program reads it.
#include <cstdio>
#include <cstdlib>
#include <string>
#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv) {
  const char* out = std::getenv("ZBDB_FAKE_PROGRAM_OUT");
  if (!out) return 2;
#ifdef _WIN32
  std::string arguments = GetCommandLineA();
  const size_t end = arguments[0] == '"' ? arguments.find('"', 1) + 1
                                         : arguments.find(' ');
  arguments = end == std::string::npos || end >= arguments.size()
                  ? std::string()
                  : arguments.substr(end + 1);
#else
  const std::string arguments = argc > 1 ? argv[1] : "";
#endif
  std::FILE* file = std::fopen(out, "ab");
  if (!file) return 3;
  std::fprintf(file, "%s|%s\n", argv[0], arguments.c_str());
  std::fclose(file);
  return 0;
}
