#include "tests/unit/failing_files.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/program_history.h"

TempFolder::TempFolder() {
    char base[MAX_PATH] = {};
    ::GetTempPathA(sizeof base, base);
    static int serial = 0;
    for (;;) {
        m_path = std::string(base) + "cadro-history-" + std::to_string(::GetCurrentProcessId()) + "-" +
                 std::to_string(++serial);
        if (::CreateDirectoryA(m_path.c_str(), nullptr) || ::GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
}

static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(folder.c_str());
}

TempFolder::~TempFolder() { RemoveTree(m_path); }

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteRaw(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

uint64_t WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

void SetWriteTime(const std::string& path, uint64_t time) {
    HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    FILETIME stamp{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    ::SetFileTime(file, nullptr, nullptr, &stamp);
    ::CloseHandle(file);
}

std::vector<std::string> Names(const std::string& folder, const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

uint32_t FailingFiles::Injected(const std::string& call) {
    ++m_calls[call];
    auto it = m_failures.find(call);
    if (it == m_failures.end() || it->second.times <= 0)
        return 0;
    --it->second.times;
    return it->second.error;
}

bool FailingFiles::Exists(const std::string& path) { return Injected("Exists") == 0 && SystemFiles::Exists(path); }

uint32_t FailingFiles::ReadWhole(const std::string& path, size_t maxBytes, std::string* bytes) {
    bytes->clear();
    uint32_t error = Injected("ReadWhole");
    return error ? error : SystemFiles::ReadWhole(path, maxBytes, bytes);
}

uint32_t FailingFiles::ReadTail(const std::string& path, size_t maxBytes, std::string* bytes) {
    bytes->clear();
    uint32_t error = Injected("ReadTail");
    return error ? error : SystemFiles::ReadTail(path, maxBytes, bytes);
}

uint32_t FailingFiles::LastWrite(const std::string& path, uint64_t* time) {
    *time = 0;
    uint32_t error = Injected("LastWrite");
    return error ? error : SystemFiles::LastWrite(path, time);
}

uint32_t FailingFiles::WriteWhole(const std::string& path, const std::string& bytes, Existing existing) {
    uint32_t error = Injected("WriteWhole");
    return error ? error : SystemFiles::WriteWhole(path, bytes, existing);
}

uint32_t FailingFiles::AppendRow(const std::string& path, const std::string& head, const std::string& row) {
    uint32_t error = Injected("AppendRow");
    return error ? error : SystemFiles::AppendRow(path, head, row);
}

uint32_t FailingFiles::MakeFolder(const std::string& path) {
    uint32_t error = Injected("MakeFolder");
    return error ? error : SystemFiles::MakeFolder(path);
}

uint32_t FailingFiles::List(const std::string& folder, const char* pattern, std::vector<std::string>* names) {
    names->clear();
    uint32_t error = Injected("List");
    return error ? error : SystemFiles::List(folder, pattern, names);
}

uint32_t FailingFiles::Remove(const std::string& path) {
    uint32_t error = Injected("Remove");
    return error ? error : SystemFiles::Remove(path);
}

UseFiles::UseFiles(Files* files) : m_previous(SetFiles(files)) { ForgetProgramHistory(); }

UseFiles::~UseFiles() {
    ForgetProgramHistory();
    SetFiles(m_previous);
}
