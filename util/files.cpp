#include "util/files.h"

#include "util/seam.h"

namespace {

SystemFiles g_systemFiles;
SeamSlot<Files> g_files(g_systemFiles);

}  // namespace

Files& TheFiles() { return g_files.Current(); }

Files* SetFiles(Files* files) { return g_files.Set(files); }

std::string AppendedText(uint64_t size, char last, const std::string& head, const std::string& row) {
    if (size == 0)
        return head + row;
    return last == '\n' ? row : "\r\n" + row;
}
