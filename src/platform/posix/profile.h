// Private-profile (INI) files with the rules of the Windows functions, for
// the POSIX platform. Files are named by native paths here; the platform
// maps the library's Windows paths before calling.
//
// Reading: sections and keys match ignoring case (Windows-1252 letters), the
// first matching section is the only one searched, values are trimmed.
// Lines before the first section header form the section "".
// Writing rewrites the file with every other line byte for byte as it was:
// a changed key keeps its line (and line end), a new key follows the last
// non-blank line of its section, a new section goes to the end. New lines
// end with "\r\n", as Windows writes them.
#ifndef ZBDB_PLATFORM_POSIX_PROFILE_H_
#define ZBDB_PLATFORM_POSIX_PROFILE_H_

#include <cstddef>
#include <string>

namespace zb::platform::posix {

// The trimmed value of key, quotes still on; false when the file, the
// section or the key is missing.
bool ProfileLookup(const std::string& native_file, const std::string& section,
                   const std::string& key, std::string* value);
// Sets key to value (creating file and section), or removes the key's line
// when value is nullptr. False when the file cannot be read or written.
bool ProfileStore(const std::string& native_file, const std::string& section,
                  const std::string& key, const std::string* value);

// One pair of enclosing quotes ("..." or '...') removed.
std::string StripProfileQuotes(const std::string& value);
// GetPrivateProfileInt's reading of a (quote-stripped) value: an optional
// sign, a base prefix 0x, 0o or 0b, then the digits up to the first other
// character, in 32-bit arithmetic that wraps; 0 when no digit comes.
int ProfileInt(const std::string& value);
// The struct form: upper-case hex of the bytes, then of their sum modulo 256.
std::string ProfileStructText(const void* data, size_t size);
// False unless text holds exactly size bytes and the right checksum.
bool ParseProfileStruct(const std::string& text, void* data, size_t size);

// The per-user key/value store: one INI file in the user's configuration
// folder, a section per subkey (given with or without a leading backslash).
std::string UserStorePath();
bool ReadUserValue(const std::string& subkey, const std::string& name,
                   std::string* value);
bool WriteUserValue(const std::string& subkey, const std::string& name,
                    const std::string& value);

}  // namespace zb::platform::posix

#endif  // ZBDB_PLATFORM_POSIX_PROFILE_H_
