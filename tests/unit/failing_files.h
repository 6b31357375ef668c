// Real files in a temporary folder for the tests of the history and the report, and a file seam over them
// that can be told to fail.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "util/files.h"

// A new empty folder under the system's temporary folder; removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// The whole file as bytes; "" when it cannot be read.
std::string ReadWhole(const std::string& path);
bool Exists(const std::string& path);
void WriteRaw(const std::string& path, const std::string& bytes);
// The file's last write time in 100 ns units, and a new one set: two writes within the clock's step have the
// same time, so tests that order files by it set it.
uint64_t WriteTime(const std::string& path);
void SetWriteTime(const std::string& path, uint64_t time);
// Every file name in folder matching the pattern, sorted.
std::vector<std::string> Names(const std::string& folder, const char* pattern = "*");

// The system's file calls with the data folder at dataFolder. A call named in failures fails with its code
// (and does nothing) the next times many times; every call is counted by name.
class FailingFiles : public SystemFiles {
public:
    explicit FailingFiles(std::string dataFolder) : m_data(std::move(dataFolder)) {}

    void Fail(const std::string& call, uint32_t error, int times = 1000000) { m_failures[call] = {error, times}; }
    void Heal() { m_failures.clear(); }
    int Calls(const std::string& call) const {
        auto it = m_calls.find(call);
        return it == m_calls.end() ? 0 : it->second;
    }

    std::string DataFolder() override { return m_data; }
    bool Exists(const std::string& path) override;
    uint32_t ReadWhole(const std::string& path, size_t maxBytes, std::string* bytes) override;
    uint32_t ReadTail(const std::string& path, size_t maxBytes, std::string* bytes) override;
    uint32_t LastWrite(const std::string& path, uint64_t* time) override;
    uint32_t WriteWhole(const std::string& path, const std::string& bytes, Existing existing) override;
    uint32_t AppendRow(const std::string& path, const std::string& head, const std::string& row) override;
    uint32_t MakeFolder(const std::string& path) override;
    uint32_t List(const std::string& folder, const char* pattern, std::vector<std::string>* names) override;
    uint32_t Remove(const std::string& path) override;

private:
    struct Failure {
        uint32_t error;
        int times;
    };
    // The injected error of this call, or 0 to let it through; counts the call.
    uint32_t Injected(const std::string& call);

    std::string m_data;
    std::map<std::string, Failure> m_failures;
    std::map<std::string, int> m_calls;
};

// Installs files as the file seam for the scope; the program's store starts anew on both ends.
class UseFiles {
public:
    explicit UseFiles(Files* files);
    ~UseFiles();
    UseFiles(const UseFiles&) = delete;
    UseFiles& operator=(const UseFiles&) = delete;

private:
    Files* m_previous;
};
