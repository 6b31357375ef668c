// Looks at Cadro's dialogs from another process for the end-to-end tests of the About box: placement,
// styles, focus, control texts, selection and the clipboard. Windows are named by a title prefix.
// Usage: window_probe.exe COMMAND TITLE [ARGS...]; results on stdout, exit code 0 on success.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/e2e/serve.h"

namespace {

struct Search {
    const char* prefix;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    char cls[64] = "", title[256] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    if (std::strcmp(cls, "#32770") == 0 && std::strncmp(title, search->prefix, std::strlen(search->prefix)) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND Find(const char* prefix) {
    Search search{prefix, nullptr};
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

unsigned long Number(const char* text) { return std::strtoul(text, nullptr, 0); }

void PrintRect(const char* name, const RECT& r) {
    std::printf("%s %ld %ld %ld %ld\n", name, static_cast<long>(r.left), static_cast<long>(r.top),
                static_cast<long>(r.right), static_cast<long>(r.bottom));
}

// The control of the window's thread that has the keyboard focus: its id, or 0 when none.
int FocusId(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndFocus)
        return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

void Info(HWND window) {
    RECT rect, work;
    GetWindowRect(window, &rect);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    std::printf("title %s\n", title);
    PrintRect("rect", rect);
    PrintRect("work", work);
    std::printf("screen %d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    std::printf("style 0x%08lx\nexstyle 0x%08lx\n", static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)));
    std::printf("enabled %d\nvisible %d\niconic %d\nzoomed %d\n", IsWindowEnabled(window) ? 1 : 0,
                IsWindowVisible(window) ? 1 : 0, IsIconic(window) ? 1 : 0, IsZoomed(window) ? 1 : 0);
    char owner[256] = "";
    if (HWND ownerWindow = GetWindow(window, GW_OWNER))
        GetWindowTextA(ownerWindow, owner, sizeof owner);
    std::printf("owner %s\nfocus %d\n", owner, FocusId(window));
}

void Control(HWND item) {
    // GetWindowText of another process's control reads only its caption, which an edit does not keep
    // up to date; WM_GETTEXT asks the control itself.
    char text[512] = "";
    SendMessageA(item, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    std::printf("text %s\nstyle 0x%08lx\nenabled %d\nvisible %d\ncheck %ld\n", text,
                static_cast<unsigned long>(GetWindowLongW(item, GWL_STYLE)), IsWindowEnabled(item) ? 1 : 0,
                IsWindowVisible(item) ? 1 : 0, static_cast<long>(SendMessageA(item, BM_GETCHECK, 0, 0)));
}

// Selects an edit's whole text, copies it with WM_COPY and reports the selection and the clipboard.
bool SelectAndCopy(HWND item) {
    SendMessageA(item, EM_SETSEL, 0, -1);
    DWORD start = 0, end = 0;
    LRESULT packed = SendMessageA(item, EM_GETSEL, 0, 0);
    start = LOWORD(packed);
    end = HIWORD(packed);
    std::printf("sel %lu %lu\n", static_cast<unsigned long>(start), static_cast<unsigned long>(end));
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    SendMessageA(item, WM_COPY, 0, 0);
    std::string copied;
    for (int attempt = 0; attempt < 20 && copied.empty(); ++attempt) {
        if (OpenClipboard(nullptr)) {
            if (HANDLE data = GetClipboardData(CF_TEXT)) {
                if (const char* text = static_cast<const char*>(GlobalLock(data))) {
                    copied = text;
                    GlobalUnlock(data);
                }
            }
            CloseClipboard();
        }
        if (copied.empty())
            Sleep(50);
    }
    std::printf("clip %s\n", copied.c_str());
    return true;
}

// Posts a key press (down and up) to the focused control of the window's thread, which is how the
// keyboard reaches a dialog: through the thread's queue, where the modal loop applies dialog keys.
bool Key(HWND window, UINT vk) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus
                      ? info.hwndFocus
                      : window;
    UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    return PostMessageA(target, WM_KEYDOWN, vk, 1 | (scan << 16)) &&
           PostMessageA(target, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000u);
}

int Usage() {
    std::fprintf(stderr,
                 "usage: window_probe COMMAND TITLE [ARGS]\n"
                 "  wait TITLE SECONDS | gone TITLE SECONDS | info TITLE\n"
                 "  control TITLE ID | copy TITLE ID | key TITLE VK | move TITLE X Y\n"
                 "  post TITLE ID MSG WPARAM LPARAM   (ID 0: the window itself)\n");
    return 1;
}

bool WaitFor(const char* prefix, double seconds, bool present) {
    DWORD start = GetTickCount(), limit = static_cast<DWORD>(seconds * 1000);
    for (;;) {
        HWND window = Find(prefix);
        if ((window && IsWindowVisible(window)) == present)
            return true;
        if (GetTickCount() - start >= limit)
            return false;
        Sleep(20);
    }
}

}  // namespace

static int Run(int argc, char** argv) {
    if (argc < 3)
        return Usage();
    const std::string cmd = argv[1];
    const char* title = argv[2];
    auto need = [argc](int n) { return argc >= 3 + n; };

    if ((cmd == "wait" || cmd == "gone") && need(1)) {
        bool ok = WaitFor(title, std::atof(argv[3]), cmd == "wait");
        std::printf("%d\n", ok ? 1 : 0);
        return ok ? 0 : 1;
    }
    HWND window = Find(title);
    if (!window) {
        std::fprintf(stderr, "window_probe: no dialog titled %s...\n", title);
        return 1;
    }
    HWND item = need(1) ? GetDlgItem(window, static_cast<int>(Number(argv[3]))) : nullptr;
    bool ok = true;
    if (cmd == "info") {
        Info(window);
    } else if (cmd == "control" && item) {
        Control(item);
    } else if (cmd == "copy" && item) {
        ok = SelectAndCopy(item);
    } else if (cmd == "key" && need(1)) {
        ok = Key(window, static_cast<UINT>(Number(argv[3])));
    } else if (cmd == "move" && need(2)) {
        ok = SetWindowPos(window, nullptr, std::atoi(argv[3]), std::atoi(argv[4]), 0, 0,
                          SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (cmd == "post" && need(4)) {
        HWND target = Number(argv[3]) ? item : window;
        ok = target && PostMessageA(target, static_cast<UINT>(Number(argv[4])), static_cast<WPARAM>(Number(argv[5])),
                                    static_cast<LPARAM>(Number(argv[6])));
    } else {
        return Usage();
    }
    std::fflush(stdout);
    return ok ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--serve") == 0)
        return Serve("window_probe", Run);
    return Run(argc, argv);
}
