// Holds a file open sharing nothing, as a spreadsheet holds the file it shows, for the end-to-end tests.
// Usage: hold_file.exe PATH RELEASE_PATH SECONDS: environment variables in PATH are expanded and its
// missing folders made; prints the expanded path, then "held" once the file is open, and closes it
// when RELEASE_PATH exists or after SECONDS. hold_file.exe --where PATH prints the expanded path only.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Expanded(const char* path) {
    char buffer[MAX_PATH * 4] = {};
    DWORD length = ExpandEnvironmentStringsA(path, buffer, sizeof buffer);
    return length > 0 && length <= sizeof buffer ? buffer : "";
}

void MakeParents(const std::string& path) {
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--where") {
        std::printf("%s\n", Expanded(argv[2]).c_str());
        return 0;
    }
    if (argc != 4)
        return 2;
    std::string path = Expanded(argv[1]);
    std::printf("%s\n", path.c_str());
    MakeParents(path);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("error %lu\n", GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    DWORD start = GetTickCount(), limit = static_cast<DWORD>(std::atof(argv[3]) * 1000);
    while (GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < limit)
        Sleep(100);
    CloseHandle(file);
    std::printf("released\n");
    return 0;
}
