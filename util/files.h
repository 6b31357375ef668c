// Every file the program reads or writes (the history, its timelines, the report) goes through this seam, so
// that tests can make any call fail. Paths are UTF-8. A call returns 0 when it did all it says, else the
// system's error code; each call says what a failed one leaves behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What WriteWhole does with a file already at its path.
enum class Existing { kReplace, kKeep };

class Files {
public:
    virtual ~Files() = default;

    // The user's application data folder, without a final backslash; "" when the system has none.
    virtual std::string DataFolder() = 0;
    // True when path names a file (a folder is none); a look that fails is false.
    virtual bool Exists(const std::string& path) = 0;
    // The whole file; ERROR_FILE_TOO_LARGE when it is longer than maxBytes. A failed call leaves bytes empty.
    virtual uint32_t ReadWhole(const std::string& path, size_t maxBytes, std::string* bytes) = 0;
    // The file's last maxBytes, or all of it when it is no longer. A failed call leaves bytes empty.
    virtual uint32_t ReadTail(const std::string& path, size_t maxBytes, std::string* bytes) = 0;
    // When the file was last written, in 100 ns units; a failed call leaves time 0.
    virtual uint32_t LastWrite(const std::string& path, uint64_t* time) = 0;
    // Writes bytes into a temporary file beside path (named after it and the process), which then takes
    // path's place, so that a reader sees the old file or the new one and never a part. A file at path is
    // replaced, or with kKeep kept, the call failing with ERROR_ALREADY_EXISTS. A failed call leaves path as
    // it was and no temporary file.
    virtual uint32_t WriteWhole(const std::string& path, const std::string& bytes, Existing existing) = 0;
    // Appends AppendedText(the file's size, its last byte, head, row) to the file, made when missing, under a
    // lock, so that the rows of two writers never mix, and on the disk before the call returns. A failed call
    // may leave a torn row, which the next append puts on a line of its own.
    virtual uint32_t AppendRow(const std::string& path, const std::string& head, const std::string& row) = 0;
    // Makes the folder; one already there is success. Its parent must exist. A failed call makes nothing.
    virtual uint32_t MakeFolder(const std::string& path) = 0;
    // The names (not paths) of the files in folder that match the pattern ("*.csv"); no match is success.
    // A failed call leaves names empty.
    virtual uint32_t List(const std::string& folder, const char* pattern, std::vector<std::string>* names) = 0;
    // Removes the file. A failed call leaves it where it was.
    virtual uint32_t Remove(const std::string& path) = 0;
};

// The system's own file calls (files_win32.cpp).
class SystemFiles : public Files {
public:
    std::string DataFolder() override;
    bool Exists(const std::string& path) override;
    uint32_t ReadWhole(const std::string& path, size_t maxBytes, std::string* bytes) override;
    uint32_t ReadTail(const std::string& path, size_t maxBytes, std::string* bytes) override;
    uint32_t LastWrite(const std::string& path, uint64_t* time) override;
    uint32_t WriteWhole(const std::string& path, const std::string& bytes, Existing existing) override;
    uint32_t AppendRow(const std::string& path, const std::string& head, const std::string& row) override;
    uint32_t MakeFolder(const std::string& path) override;
    uint32_t List(const std::string& folder, const char* pattern, std::vector<std::string>* names) override;
    uint32_t Remove(const std::string& path) override;
};

// The seam in use: the system's unless a test installed another.
Files& TheFiles();
// Installs files (null restores the system's); returns the previous one.
Files* SetFiles(Files* files);

// What an append writes to a file of size bytes whose last byte is last: head and row into an empty file, a
// line end and row after a torn last row, else row.
std::string AppendedText(uint64_t size, char last, const std::string& head, const std::string& row);
