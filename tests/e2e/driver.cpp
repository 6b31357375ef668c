// Drives Cadro's main window from another process, for the end-to-end tests.
// Usage: driver.exe COMMAND [ARGS...]; results go to stdout, the exit code is 0 on success, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/e2e/serve.h"

namespace {

constexpr int kLogControl = 1001;
constexpr uint32_t kGameBias = 0x200000;

// Cadro's main window: a dialog whose title starts with "Cadro!".
BOOL CALLBACK MatchMain(HWND hwnd, LPARAM found) {
    char cls[64] = "", title[256] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    if (std::strcmp(cls, "#32770") == 0 && std::strncmp(title, "Cadro!", 6) == 0) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindMain() {
    HWND found = nullptr;
    EnumWindows(MatchMain, reinterpret_cast<LPARAM>(&found));
    return found;
}

unsigned long Number(const char* text) { return std::strtoul(text, nullptr, 0); }

// Waits up to seconds for want(FindMain()) to hold.
template <class Want>
HWND WaitFor(double seconds, Want want) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND main = FindMain();
        if (want(main))
            return main;
        if (GetTickCount() - start >= static_cast<DWORD>(seconds * 1000))
            return nullptr;
        Sleep(50);
    }
}

// Wine returns UTF-16 for a cross-process LB_GETTEXTA, so ask for wide text and convert. Each message is
// answered only at Cadro's next pump (up to 250 ms), and lines are only ever added, never changed: a served
// driver asks for each line of a window once.
std::vector<std::string> LogLines(HWND main) {
    static HWND cachedFor = nullptr;
    static std::vector<std::string> lines;
    HWND list = GetDlgItem(main, kLogControl);
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (main != cachedFor || count < static_cast<LRESULT>(lines.size())) {
        cachedFor = main;
        lines.clear();
    }
    for (LRESULT i = static_cast<LRESULT>(lines.size()); i < count; ++i) {
        LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::wstring wide(length > 0 ? length + 1 : 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]));
        char ansi[512] = "";
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
        lines.push_back(ansi);
    }
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const char* want) {
    for (const std::string& line : lines)
        if (line.find(want) != std::string::npos)
            return true;
    return false;
}

void PrintLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        std::printf("%s\n", line.c_str());
}

bool Print(bool ok, const char* yes = "1", const char* no = "0") {
    std::printf("%s\n", ok ? yes : no);
    return ok;
}

// Opens the process that owns the game window, for peek and poke.
HANDLE OpenGame() {
    HWND game = FindWindowA("SWarClass", nullptr);
    DWORD processId = 0;
    if (!game || !GetWindowThreadProcessId(game, &processId))
        return nullptr;
    return OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
}

// Commands that need the game, not Cadro. Addresses are held addresses: the game bias is added here.
int GameCommand(const std::string& cmd, int argc, char** argv) {
    HANDLE process = OpenGame();
    if (!process) {
        std::fprintf(stderr, "driver: no game process\n");
        return 1;
    }
    uintptr_t address = Number(argv[2]) + kGameBias;
    bool ok = false;
    if (cmd == "peek") {  // peek HELD SIZE: the bytes as hex
        std::vector<unsigned char> bytes(Number(argv[3]));
        SIZE_T got = 0;
        ok = ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), bytes.data(), bytes.size(), &got);
        for (SIZE_T i = 0; ok && i < got; ++i)
            std::printf("%02x", bytes[i]);
        std::printf("\n");
    } else {  // poke HELD HEXBYTES
        std::vector<unsigned char> bytes;
        for (const char* p = argv[3]; p[0] && p[1]; p += 2)
            bytes.push_back(static_cast<unsigned char>(std::strtoul(std::string(p, 2).c_str(), nullptr, 16)));
        SIZE_T put = 0;
        ok = WriteProcessMemory(process, reinterpret_cast<LPVOID>(address), bytes.data(), bytes.size(), &put) &&
             put == bytes.size();
    }
    (void)argc;
    CloseHandle(process);
    return ok ? 0 : 1;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: driver COMMAND [ARGS]\n"
                 "  log | wait-log TEXT SECONDS | count | cursel\n"
                 "  click ID | settext ID TEXT | gettext ID | checked ID | enabled ID\n"
                 "  title | style | iconic | visible | post MSG WPARAM LPARAM | close\n"
                 "  wait-window SECONDS | wait-gone SECONDS | wait-iconic SECONDS\n"
                 "  foreground CLASS | fgclass | find CLASS | wait-class CLASS SECONDS | move CLASS X Y\n"
                 "  peek HELD SIZE | poke HELD HEXBYTES   (game memory, bias added)\n"
                 "  foreground-main\n");
    return 1;
}

}  // namespace

static int Run(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    const std::string cmd = argv[1];
    auto need = [argc](int n) { return argc >= 2 + n; };

    // Commands that do not need Cadro's window.
    // The dialog exists before it is shown: the window counts once it is visible.
    if (cmd == "wait-window" && need(1))
        return Print(WaitFor(std::atof(argv[2]), [](HWND w) { return w && IsWindowVisible(w); }) != nullptr) ? 0 : 1;
    if (cmd == "wait-gone" && need(1))
        return Print(WaitFor(std::atof(argv[2]), [](HWND w) { return w == nullptr; }) == nullptr) ? 0 : 1;
    if (cmd == "find" && need(1))
        return Print(FindWindowA(argv[2], nullptr) != nullptr) ? 0 : 1;
    if (cmd == "wait-class" && need(2)) {
        DWORD start = GetTickCount(), limit = static_cast<DWORD>(std::atof(argv[3]) * 1000);
        while (!FindWindowA(argv[2], nullptr) && GetTickCount() - start < limit)
            Sleep(50);
        return Print(FindWindowA(argv[2], nullptr) != nullptr) ? 0 : 1;
    }
    if (cmd == "fgclass") {
        char cls[64] = "";
        GetClassNameA(GetForegroundWindow(), cls, sizeof cls);
        std::printf("%s\n", cls);
        return 0;
    }
    if (cmd == "foreground" && need(1)) {
        HWND target = FindWindowA(argv[2], nullptr);
        if (!target)
            return Print(false);
        SetForegroundWindow(target);
        return Print(GetForegroundWindow() == target) ? 0 : 1;
    }
    if (cmd == "move" && need(3)) {  // move CLASS X Y: the window's top left to X, Y
        HWND target = FindWindowA(argv[2], nullptr);
        return Print(target && SetWindowPos(target, nullptr, std::atoi(argv[3]), std::atoi(argv[4]), 0, 0,
                                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE))
                   ? 0
                   : 1;
    }
    if ((cmd == "peek" || cmd == "poke") && need(2))
        return GameCommand(cmd, argc, argv);

    HWND main = FindMain();
    if (!main) {
        std::fprintf(stderr, "driver: Cadro's window not found\n");
        return 1;
    }
    HWND item = need(1) ? GetDlgItem(main, static_cast<int>(Number(argv[2]))) : nullptr;
    bool ok = true;
    if (cmd == "log") {
        PrintLines(LogLines(main));
    } else if (cmd == "wait-log" && need(2)) {
        DWORD start = GetTickCount(), limit = static_cast<DWORD>(std::atof(argv[3]) * 1000);
        std::vector<std::string> lines = LogLines(main);
        while (!(ok = Contains(lines, argv[2])) && GetTickCount() - start < limit && IsWindow(main)) {
            Sleep(50);
            lines = LogLines(main);
        }
        PrintLines(lines);
    } else if (cmd == "count" || cmd == "cursel") {
        HWND list = GetDlgItem(main, kLogControl);
        std::printf("%ld\n", static_cast<long>(SendMessageW(list, cmd == "count" ? LB_GETCOUNT : LB_GETCURSEL, 0, 0)));
    } else if (cmd == "click" && item) {
        ok = PostMessageW(item, BM_CLICK, 0, 0);  // posted: a click may start a modal loop in Cadro
    } else if (cmd == "settext" && item && need(2)) {
        // Another process's control: only the message reaches its text, not SetWindowText.
        ok = SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3])) != 0;
    } else if (cmd == "gettext" && item) {
        char text[512] = "";
        SendMessageA(item, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        std::printf("%s\n", text);
    } else if (cmd == "checked" && item) {
        ok = Print(SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED);
    } else if (cmd == "enabled" && item) {
        ok = Print(IsWindowEnabled(item));
    } else if (cmd == "title") {
        char title[256] = "";
        GetWindowTextA(main, title, sizeof title);
        std::printf("%s\n", title);
    } else if (cmd == "style") {
        std::printf("0x%08lx 0x%08lx\n", static_cast<unsigned long>(GetWindowLongW(main, GWL_STYLE)),
                    static_cast<unsigned long>(GetWindowLongW(main, GWL_EXSTYLE)));
    } else if (cmd == "iconic") {
        ok = Print(IsIconic(main));
    } else if (cmd == "wait-iconic" && need(1)) {
        ok = Print(WaitFor(std::atof(argv[2]), [](HWND w) { return w && IsIconic(w); }) != nullptr);
    } else if (cmd == "visible") {
        ok = Print(IsWindowVisible(main));
    } else if (cmd == "post" && need(3)) {
        ok = PostMessageW(main, static_cast<UINT>(Number(argv[2])), static_cast<WPARAM>(Number(argv[3])),
                          static_cast<LPARAM>(Number(argv[4])));
    } else if (cmd == "close") {
        ok = PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (cmd == "foreground-main") {
        // Another process's window becomes active when its thread next reads its queue: up to a tick.
        SetForegroundWindow(main);
        DWORD start = GetTickCount();
        while (GetForegroundWindow() != main && GetTickCount() - start < 2000)
            Sleep(20);
        ok = Print(GetForegroundWindow() == main);
    } else {
        return Usage();
    }
    std::fflush(stdout);
    return ok ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--serve") == 0)
        return Serve("driver", Run);
    return Run(argc, argv);
}
