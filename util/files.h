// The history's few file calls, behind a seam so that tests can make any of them fail. Paths are UTF-8.
// Every call returns 0 when it did all it says, else the system's error code; a failed call has written
// nothing it names, except that a failed WriteWhole may leave its file short (it is a temporary one).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class HistoryFiles {
public:
    virtual ~HistoryFiles() = default;

    // The user's application data folder, without a final backslash; "" when the system has none.
    virtual std::string DataFolder() = 0;
    // Makes the folder; a folder already there is success. Its parent must exist.
    virtual uint32_t MakeFolder(const std::string& path) = 0;
    // Opens the file (making it when missing) shared with other writers and readers, and appends
    // AppendedText(its size, its last byte, row) in one write, so that rows of two writers never mix.
    virtual uint32_t AppendRow(const std::string& path, const std::string& row) = 0;
    // Makes or replaces the file with exactly text.
    virtual uint32_t WriteWhole(const std::string& path, const std::string& text) = 0;
    // Renames from to to; fails with ERROR_ALREADY_EXISTS when to is there, leaving both as they were.
    virtual uint32_t Rename(const std::string& from, const std::string& to) = 0;
    // The names (not paths) of the files in folder that match the pattern ("*.csv").
    virtual uint32_t List(const std::string& folder, const char* pattern, std::vector<std::string>* names) = 0;
    virtual uint32_t Remove(const std::string& path) = 0;
};

// The system's own file calls.
HistoryFiles& Win32HistoryFiles();
// The seam in use: the Win32 one unless a test installed another.
HistoryFiles& TheHistoryFiles();
// Installs files (null restores the Win32 one); returns the previous one.
HistoryFiles* SetHistoryFiles(HistoryFiles* files);
