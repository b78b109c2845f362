#pragma once

// The forms speak UTF-8; Windows speaks UTF-16. Conversions happen here, at the edge, and
// every call into Windows uses the wide (W) functions, so no character is lost to the ANSI
// code page: not in a text, and not in the name of the folder the program lies in.

#include <string>

namespace lumiroka::win32 {

std::wstring widen(const std::string &utf8);
std::string narrow(const std::wstring &utf16);

// The system's description of a Win32 error code, without the trailing line break.
std::string systemMessage(unsigned long code);

} // namespace lumiroka::win32
