#include "util/files.h"

namespace {

SystemFiles g_systemFiles;
Files* g_files = &g_systemFiles;

}  // namespace

Files& TheFiles() { return *g_files; }

Files* SetFiles(Files* files) {
    Files* previous = g_files;
    g_files = files ? files : &g_systemFiles;
    return previous;
}

std::string AppendedText(uint64_t size, char last, const std::string& head, const std::string& row) {
    if (size == 0)
        return head + row;
    return last == '\n' ? row : "\r\n" + row;
}
