#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "frame/system_library.h"
#include "hook/ravik.h"
#include "link/os.h"
#include "measure/overlay.h"
#include "util/seam.h"
#include "util/text_encoding.h"

namespace {

class Win32Os final : public Os {
public:
    uint32_t TickCount() override { return ::GetTickCount(); }
    uint32_t MessageTime() override { return static_cast<uint32_t>(::GetMessageTime()); }
    void Sleep(uint32_t ms) override { ::Sleep(ms); }
    uint32_t WaitProcess(HANDLE process, uint32_t ms) override { return ::WaitForSingleObject(process, ms); }

    bool ReadMemory(HANDLE process, uint32_t address, void* buffer, uint32_t size) override {
        SIZE_T got = 0;
        BOOL ok = ::ReadProcessMemory(process, reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(address)), buffer,
                                      size, &got);
        return ok && got == size;
    }

    bool WriteMemory(HANDLE process, uint32_t address, const void* buffer, uint32_t size) override {
        SIZE_T put = 0;
        BOOL ok = ::WriteProcessMemory(process, reinterpret_cast<LPVOID>(static_cast<uintptr_t>(address)), buffer,
                                       size, &put);
        return ok && put == size;
    }

    bool KeyDown(int virtualKey) override { return (::GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

    HWND FindGameWindow() override { return ::FindWindowA("SWarClass", nullptr); }

    DWORD WindowProcessId(HWND window) override {
        DWORD processId = 0;
        if (!window || !::GetWindowThreadProcessId(window, &processId))
            return 0;
        return processId;
    }

    HANDLE OpenGameProcess(DWORD processId, DWORD* error) override {
        HANDLE process =
            ::OpenProcess(SYNCHRONIZE | PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        *error = process ? 0 : ::GetLastError();
        return process;
    }

    void CloseProcess(HANDLE process) override {
        if (process)
            ::CloseHandle(process);
    }

    void SetInputHook(bool install, HWND target) override { nvHookWin::SetMyHook(install, target); }

    void DrawOverlay(const char* text, int rowOffset) override { DrawOverlayText(text, rowOffset); }
    void ClearOverlay() override { ClearOverlaySurface(); }
    bool OverlayBlank() override { return OverlaySurfaceBlank(); }
    void KeepOverlayOnTop() override { KeepOverlayWithGame(::GetTickCount()); }
    void PlaceOverlayOver(HWND game) override { ::PlaceOverlayOver(game); }
    HWND ForegroundWindow() override { return ::GetForegroundWindow(); }
    bool WindowRect(HWND window, RECT* rect) override { return window && ::GetWindowRect(window, rect); }
    HMONITOR WindowMonitor(HWND window) override {
        HMONITOR monitor = window ? ::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY) : nullptr;
        // The primary monitor is the one whose top left is the origin.
        return monitor ? monitor : ::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    }
    POINT MonitorOrigin(HMONITOR monitor) override {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (!monitor || !::GetMonitorInfoA(monitor, &info))
            return {0, 0};
        return {info.rcMonitor.left, info.rcMonitor.top};
    }

    void PlaySoundFile(const char* path) override {
        // The system cannot take a longer file name; such a path plays nothing rather than something cut.
        if (!path || !*path || std::strlen(path) >= MAX_PATH)
            return;
        using Play = BOOL(WINAPI*)(LPCSTR, HMODULE, DWORD);
        static const Play play = SystemFunction<Play>("winmm.dll", "PlaySoundA");
        if (play)
            play(path, nullptr, SND_FILENAME | SND_NOWAIT | SND_NOSTOP);
    }

    bool OpenDocument(const char* path) override {
        using Execute = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
        static const Execute execute = SystemFunction<Execute>("shell32.dll", "ShellExecuteExW");
        if (!execute || !path)
            return false;
        std::wstring file = Utf8ToWide(path);
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof info;
        // The shell's own error box would come up over the game; a failure is the caller's to tell.
        info.fMask = SEE_MASK_FLAG_NO_UI;
        info.lpVerb = L"open";
        info.lpFile = file.c_str();
        info.nShow = SW_SHOWNORMAL;
        return execute(&info) != FALSE;
    }

    void WarningSound() override { ::MessageBeep(MB_ICONWARNING); }
};

Win32Os g_win32Os;
SeamSlot<Os> g_os(g_win32Os);

}  // namespace

Os& TheOs() { return g_os.Current(); }

Os* SetOs(Os* os) { return g_os.Set(os); }

uint32_t WaitPaced(HANDLE process, uint32_t ms) {
    Os& os = TheOs();
    uint32_t start = os.TickCount();
    uint32_t result = os.WaitProcess(process, ms);
    if (result == WAIT_FAILED) {
        uint32_t spent = os.TickCount() - start;
        if (spent < ms)
            os.Sleep(ms - spent);
    }
    return result;
}
