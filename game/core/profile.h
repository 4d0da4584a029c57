// Profile (INI) files read and written key by key, with the rules of the Windows private-profile
// functions: "[Section]" lines, "key=value" lines, names matched without regard to case, the first
// match wins, whitespace around names and values ignored, CRLF files read as well as LF files.
// Writing a key keeps every other line in its place. Unlike the originals, a write replaces the
// file in one step (temporary file, then rename), and no value or name can split into new lines.
#pragma once

#include "world/safe_file.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// The buffer size the game reads values with; a value keeps at most (buffer size - 1) characters.
constexpr std::size_t kProfileBufferSize = 1000;

// The value of key in section of file; defaultValue when the file, the section or the key is
// missing. A key that is present with an empty value gives "".
std::string getProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue, const std::string& file,
                             std::size_t bufferSize = kProfileBufferSize);

// Sets key in section of file to value, creating the section or the file when missing. Line
// breaks in the value become blanks. Section names holding a line break or "]" and key names
// holding a line break or "=" or starting with "[" cannot be stored faithfully and are refused.
// Returns false, leaving any old file exactly as it was, when the name is refused or the new file
// cannot be written or moved into place.
bool writeProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file);

// Sets several keys of one section in one replacement of the file: either all of them change or,
// on failure (false), none.
bool writeProfileStrings(const std::string& section,
                         const std::vector<std::pair<std::string, std::string>>& keysAndValues,
                         const std::string& file);
