// Whole files as bytes: the report is written in one piece and the history's files read in one piece.
// Paths are UTF-8.
#pragma once

#include <cstddef>
#include <string>

bool FileExists(const std::string& path);
// Writes through a temporary file beside path and then replaces it, so that a reader (a browser opening
// the report) sees the old file or the new one, never a part; missing folders on the way are made.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// The whole file; false when it is missing, cannot be read or is longer than maxBytes.
bool ReadWholeFile(const std::string& path, size_t maxBytes, std::string& bytes);
