#pragma once

// The forms speak UTF-8; Windows speaks UTF-16. Conversions happen here, at the edge, and
// every call into Windows uses the wide (W) functions, so no character is lost to the ANSI
// code page: not in a text, and not in the name of the folder the program lies in.

#include <cstddef>
#include <string>
#include <vector>

namespace lumiroka::win32 {

std::wstring widen(const std::string &utf8);
std::string narrow(const std::wstring &utf16);

// The system's description of a Win32 error code, without the trailing line break.
std::string systemMessage(unsigned long code);

// Whether a regular file (not a folder) exists at a UTF-8 path.
bool isRegularFile(const std::string &path);
// The whole file, when it can be read and is no larger than `maxBytes`.
bool readFile(const std::string &path, std::size_t maxBytes, std::vector<char> &contents);

} // namespace lumiroka::win32
