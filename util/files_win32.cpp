#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "frame/system_library.h"
#include "util/files.h"
#include "util/text_encoding.h"

namespace {

constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;
constexpr size_t kChunk = 1u << 20;  // bytes a single read or write is asked for

uint32_t LastError() {
    DWORD error = ::GetLastError();
    return error ? error : ERROR_GEN_FAILURE;  // a failure is never success
}

uint32_t WriteAll(HANDLE file, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        DWORD put = 0;
        if (!::WriteFile(file, bytes.data() + done, static_cast<DWORD>(std::min(bytes.size() - done, kChunk)), &put,
                         nullptr))
            return LastError();
        if (put == 0)
            return ERROR_DISK_FULL;
        done += put;
    }
    return 0;
}

uint32_t ReadAll(HANDLE file, char* buffer, size_t size) {
    for (size_t done = 0; done < size;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer + done, static_cast<DWORD>(std::min(size - done, kChunk)), &got, nullptr))
            return LastError();
        if (got == 0)
            return ERROR_READ_FAULT;  // the file got shorter while it was read
        done += got;
    }
    return 0;
}

// Beside path, its name without the extension and the process's id: two programs writing the same file at
// once each write their own.
std::string TemporaryPath(const std::string& path) {
    size_t name = path.find_last_of('\\') + 1;
    size_t dot = path.rfind('.');
    std::string stem = dot != std::string::npos && dot >= name ? path.substr(0, dot) : path;
    return stem + '.' + std::to_string(::GetCurrentProcessId()) + ".tmp";
}

}  // namespace

std::string SystemFiles::DataFolder() {
    // The shell is loaded only when a game is saved, not at start-up.
    using FolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    static const FolderPath folderPath = SystemFunction<FolderPath>("shell32.dll", "SHGetFolderPathW");
    wchar_t path[MAX_PATH] = {};
    if (!folderPath ||
        FAILED(folderPath(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::string();
    return WideToUtf8(path);
}

bool SystemFiles::Exists(const std::string& path) {
    DWORD attributes = ::GetFileAttributesW(Utf8ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// The file, or with tail only its last maxBytes; ERROR_FILE_TOO_LARGE for a longer one read whole.
uint32_t ReadFileBytes(const std::string& path, size_t maxBytes, bool tail, std::string* bytes) {
    bytes->clear();
    HANDLE file = ::CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LastError();
    uint32_t error = 0;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file, &size)) {
        error = LastError();
    } else if (static_cast<unsigned long long>(size.QuadPart) > maxBytes && !tail) {
        error = ERROR_FILE_TOO_LARGE;
    } else {
        LARGE_INTEGER skip;
        skip.QuadPart = size.QuadPart > static_cast<LONGLONG>(maxBytes) ? size.QuadPart - maxBytes : 0;
        bytes->resize(static_cast<size_t>(size.QuadPart - skip.QuadPart));
        error = ::SetFilePointerEx(file, skip, nullptr, FILE_BEGIN) ? ReadAll(file, &(*bytes)[0], bytes->size())
                                                                     : LastError();
    }
    ::CloseHandle(file);
    if (error)
        bytes->clear();
    return error;
}

}  // namespace

uint32_t SystemFiles::ReadWhole(const std::string& path, size_t maxBytes, std::string* bytes) {
    return ReadFileBytes(path, maxBytes, false, bytes);
}

uint32_t SystemFiles::ReadTail(const std::string& path, size_t maxBytes, std::string* bytes) {
    return ReadFileBytes(path, maxBytes, true, bytes);
}

uint32_t SystemFiles::LastWrite(const std::string& path, uint64_t* time) {
    *time = 0;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data))
        return LastError();
    *time = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return 0;
}

uint32_t SystemFiles::WriteWhole(const std::string& path, const std::string& bytes, Existing existing) {
    std::wstring temporary = Utf8ToWide(TemporaryPath(path));
    HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LastError();
    uint32_t error = WriteAll(file, bytes);
    // On the disk before it takes path's place: after a power cut path holds the old file or the whole new one.
    if (error == 0 && !::FlushFileBuffers(file))
        error = LastError();
    if (!::CloseHandle(file) && error == 0)
        error = LastError();
    DWORD flags = MOVEFILE_WRITE_THROUGH | (existing == Existing::kReplace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (error == 0 && !::MoveFileExW(temporary.c_str(), Utf8ToWide(path).c_str(), flags)) {
        error = LastError();
        if (error == ERROR_FILE_EXISTS)
            error = ERROR_ALREADY_EXISTS;  // one refusal, whichever word the system has for it
    }
    if (error)
        ::DeleteFileW(temporary.c_str());
    return error;
}

uint32_t SystemFiles::AppendRow(const std::string& path, const std::string& head, const std::string& row) {
    // Append access: every write goes to the end of the file, also after another writer's.
    HANDLE file = ::CreateFileW(Utf8ToWide(path).c_str(), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LastError();
    // Append access alone does not keep two writers apart under every system (Wine lets their writes
    // overlap); a lock on one byte far past any row does, and also covers the look at the end.
    OVERLAPPED lock{};
    lock.OffsetHigh = kLockOffsetHigh;
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &lock)) {
        uint32_t error = LastError();
        ::CloseHandle(file);
        return error;
    }
    uint32_t error = 0;
    LARGE_INTEGER size{};
    char last = '\n';
    if (!::GetFileSizeEx(file, &size)) {
        error = LastError();
    } else if (size.QuadPart > 0) {
        LARGE_INTEGER at;
        at.QuadPart = size.QuadPart - 1;
        error = ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ? ReadAll(file, &last, 1) : LastError();
    }
    if (error == 0)
        error = WriteAll(file, AppendedText(static_cast<uint64_t>(size.QuadPart), last, head, row));
    // A timeline is written before its row: flushed, a power cut cannot keep the one and lose the other.
    if (error == 0 && !::FlushFileBuffers(file))
        error = LastError();
    ::UnlockFileEx(file, 0, 1, 0, &lock);
    ::CloseHandle(file);
    return error;
}

uint32_t SystemFiles::MakeFolder(const std::string& path) {
    std::wstring wide = Utf8ToWide(path);
    if (::CreateDirectoryW(wide.c_str(), nullptr))
        return 0;
    uint32_t error = LastError();
    DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (error == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    return error;
}

uint32_t SystemFiles::List(const std::string& folder, const char* pattern, std::vector<std::string>* names) {
    names->clear();
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(Utf8ToWide(folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        uint32_t error = LastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : error;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names->push_back(WideToUtf8(found.cFileName));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return 0;
}

uint32_t SystemFiles::Remove(const std::string& path) {
    return ::DeleteFileW(Utf8ToWide(path).c_str()) ? 0 : LastError();
}
