#include "win32/files.h"

#include <windows.h>

#include <algorithm>

#include "win32/text.h"

namespace lumiroka::win32 {

bool isRegularFile(const std::string &path)
{
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool readHead(const std::string &path, std::size_t maxBytes, std::vector<char> &contents, std::string &error)
{
    contents.clear();
    error.clear();
    HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = systemMessage(GetLastError());
        return false;
    }
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0;
    if (ok) {
        contents.resize(static_cast<std::size_t>(std::min<unsigned long long>(size.QuadPart, maxBytes)));
        DWORD read = 0;
        ok =
            contents.empty() || (ReadFile(file, contents.data(), static_cast<DWORD>(contents.size()), &read, nullptr) &&
                                 read == contents.size());
    }
    if (!ok)
        error = systemMessage(GetLastError());
    CloseHandle(file);
    if (!ok)
        contents.clear();
    return ok;
}

bool readFile(const std::string &path, std::size_t maxBytes, std::vector<char> &contents)
{
    std::string error;
    if (readHead(path, maxBytes + 1, contents, error) && contents.size() <= maxBytes)
        return true;
    contents.clear();
    return false;
}

} // namespace lumiroka::win32
