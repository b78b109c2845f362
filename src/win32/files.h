#pragma once

// Files by their UTF-8 paths, opened with the wide functions so that a folder named
// outside the ANSI code page works.

#include <cstddef>
#include <string>
#include <vector>

namespace lumiroka::win32 {

// Whether a regular file (not a folder) exists at a UTF-8 path.
bool isRegularFile(const std::string &path);
// The first `maxBytes` of a file (all of a smaller one). False when it cannot be opened or
// read, with the system's reason in `error`.
bool readHead(const std::string &path, std::size_t maxBytes, std::vector<char> &contents, std::string &error);
// The whole file, when it can be read and is no larger than `maxBytes`.
bool readFile(const std::string &path, std::size_t maxBytes, std::vector<char> &contents);

} // namespace lumiroka::win32
