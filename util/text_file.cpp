#include "util/text_file.h"

#include <windows.h>

#include <algorithm>

#include "util/text_encoding.h"

namespace {

void MakeFolders(const std::string& path) {
    for (size_t slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1))
        ::CreateDirectoryW(Utf8ToWide(path.substr(0, slash)).c_str(), nullptr);
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD put = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &put, nullptr) || put == 0)
            return false;
        done += put;
    }
    return true;
}

}  // namespace

bool FileExists(const std::string& path) {
    DWORD attributes = ::GetFileAttributesW(Utf8ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    MakeFolders(path);
    std::wstring temporary = Utf8ToWide(path + ".new");
    HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool written = WriteAll(file, bytes);
    written = ::CloseHandle(file) && written;
    if (written && ::MoveFileExW(temporary.c_str(), Utf8ToWide(path).c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    ::DeleteFileW(temporary.c_str());
    return false;
}

bool ReadWholeFile(const std::string& path, size_t maxBytes, std::string& bytes) {
    bytes.clear();
    HANDLE file = ::CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool ok = ::GetFileSizeEx(file, &size) && static_cast<unsigned long long>(size.QuadPart) <= maxBytes;
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (ok && done < bytes.size()) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
            DWORD got = 0;
            ok = ::ReadFile(file, &bytes[done], chunk, &got, nullptr) && got > 0;
            done += got;
        }
    }
    ::CloseHandle(file);
    if (!ok)
        bytes.clear();
    return ok;
}
