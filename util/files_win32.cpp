#include <windows.h>
#include <shlobj.h>

#include "frame/system_library.h"
#include "history/csv.h"
#include "util/files.h"
#include "util/text_encoding.h"

namespace {

constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

uint32_t LastError() {
    DWORD error = ::GetLastError();
    return error ? error : ERROR_GEN_FAILURE;  // a failure is never success
}

class Win32Files final : public HistoryFiles {
public:
    std::string DataFolder() override {
        // The shell is loaded only when a game is saved, not at start-up.
        using FolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
        static const FolderPath folderPath = SystemFunction<FolderPath>("shell32.dll", "SHGetFolderPathW");
        wchar_t path[MAX_PATH] = {};
        if (!folderPath ||
            FAILED(folderPath(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
            return std::string();
        return WideToUtf8(path);
    }

    uint32_t MakeFolder(const std::string& path) override {
        if (::CreateDirectoryW(Utf8ToWide(path).c_str(), nullptr))
            return 0;
        uint32_t error = LastError();
        DWORD attributes = ::GetFileAttributesW(Utf8ToWide(path).c_str());
        if (error == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return 0;
        return error;
    }

    uint32_t AppendRow(const std::string& path, const std::string& row) override {
        // Append access: every write goes to the end of the file, also after another writer's.
        HANDLE file = ::CreateFileW(Utf8ToWide(path).c_str(), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return LastError();
        // Append access alone does not keep two writers apart under every system (Wine lets their
        // writes overlap); a lock on one byte far past any row does, and also covers the look at the end.
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
        DWORD got = 0;
        if (!::GetFileSizeEx(file, &size)) {
            error = LastError();
        } else if (size.QuadPart > 0) {
            LARGE_INTEGER at;
            at.QuadPart = size.QuadPart - 1;
            if (!::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) || !::ReadFile(file, &last, 1, &got, nullptr))
                error = LastError();
            else if (got != 1)
                error = ERROR_READ_FAULT;
        }
        if (error == 0) {
            std::string text = AppendedText(static_cast<unsigned long long>(size.QuadPart), last, row);
            DWORD put = 0;
            if (!::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &put, nullptr))
                error = LastError();
            else if (put != text.size())
                error = ERROR_DISK_FULL;
        }
        ::UnlockFileEx(file, 0, 1, 0, &lock);
        ::CloseHandle(file);
        return error;
    }

    uint32_t WriteWhole(const std::string& path, const std::string& text) override {
        HANDLE file = ::CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return LastError();
        uint32_t error = 0;
        DWORD put = 0;
        if (!::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &put, nullptr))
            error = LastError();
        else if (put != text.size())
            error = ERROR_DISK_FULL;
        if (!::CloseHandle(file) && error == 0)
            error = LastError();
        return error;
    }

    uint32_t Rename(const std::string& from, const std::string& to) override {
        return ::MoveFileExW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(), MOVEFILE_WRITE_THROUGH) ? 0
                                                                                                     : LastError();
    }

    uint32_t List(const std::string& folder, const char* pattern, std::vector<std::string>* names) override {
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

    uint32_t Remove(const std::string& path) override {
        return ::DeleteFileW(Utf8ToWide(path).c_str()) ? 0 : LastError();
    }
};

Win32Files g_win32Files;
HistoryFiles* g_files = &g_win32Files;

}  // namespace

HistoryFiles& Win32HistoryFiles() { return g_win32Files; }

HistoryFiles& TheHistoryFiles() { return *g_files; }

HistoryFiles* SetHistoryFiles(HistoryFiles* files) {
    HistoryFiles* previous = g_files;
    g_files = files ? files : &g_win32Files;
    return previous;
}
