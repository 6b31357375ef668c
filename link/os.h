// The narrow door through which the link and the measurement reach the operating system.
// Each call states its contract; the Win32 side is os_win32.cpp, and tests install a fake whose clock
// is virtual (every Sleep and Wait advances it), so a whole game runs in milliseconds.
// Window messages are not part of it: the real message queue carries them, also in tests.
#pragma once

#include <windows.h>

#include <cstdint>

class Os {
public:
    virtual ~Os() = default;

    // Milliseconds since start-up; wraps at 2^32, so take differences in unsigned 32 bits.
    virtual uint32_t TickCount() = 0;
    // The tick count when the message being handled was posted: the hook's reports wait in the queue
    // until the loop pumps, up to a tick later, and the spam rules judge gaps finer than that.
    virtual uint32_t MessageTime() { return TickCount(); }
    virtual void Sleep(uint32_t ms) = 0;
    // WaitForSingleObject on a process: WAIT_OBJECT_0 (0) once it has ended, WAIT_TIMEOUT while it
    // runs, WAIT_FAILED at once for a handle that cannot be waited on.
    virtual uint32_t WaitProcess(HANDLE process, uint32_t ms) = 0;
    // Reads size bytes at the game's address; true only when every byte was read.
    virtual bool ReadMemory(HANDLE process, uint32_t address, void* buffer, uint32_t size) = 0;
    virtual bool WriteMemory(HANDLE process, uint32_t address, const void* buffer, uint32_t size) = 0;
    // True while the key is held down right now (top bit of GetAsyncKeyState).
    virtual bool KeyDown(int virtualKey) = 0;

    // The game's main window (class "SWarClass"), or null.
    virtual HWND FindGameWindow() = 0;
    // The id of the process that owns the window; 0 when the window is gone or the call fails.
    virtual DWORD WindowProcessId(HWND window) = 0;
    // Opens the game process for waiting, reading and writing; null on failure, with the system's error
    // code (GetLastError) in error.
    virtual HANDLE OpenGameProcess(DWORD processId, DWORD* error) = 0;
    virtual void CloseProcess(HANDLE process) = 0;
    // Installs (true, target) or removes (false, null) the input hook.
    virtual void SetInputHook(bool install, HWND target) = 0;

    // Shows text on the overlay's row at the offset, in place of the row's line ("" shows nothing there);
    // ClearOverlay removes every line.
    virtual void DrawOverlay(const char* text, int rowOffset) = 0;
    virtual void ClearOverlay() = 0;
    // True while the overlay shows no line: before the first draw, after a clear, once made anew, and once
    // the system asked for it to be painted again (a display-mode change, a repaint).
    virtual bool OverlayBlank() = 0;
    // Keeps the overlay with the game given to PlaceOverlayOver: moves it to the game's monitor when the
    // game went to another one, and while the game is in front puts it back above a visible window that
    // came over its lines, a few times a second at most, activating nothing; nothing while it shows no line.
    virtual void KeepOverlayOnTop() = 0;
    // The overlay goes to the top left of the monitor that window is on (the primary monitor for null, or
    // when that cannot be told).
    virtual void PlaceOverlayOver(HWND game) = 0;
    // The window in front, which takes the player's input (GetForegroundWindow); null when none is.
    virtual HWND ForegroundWindow() = 0;
    // The window's rectangle in virtual-screen coordinates (GetWindowRect); false when it is gone.
    virtual bool WindowRect(HWND window, RECT* rect) = 0;
    // The monitor that holds the largest part of the window, or of where a minimised one comes back
    // (MonitorFromWindow); the primary one for null or a window that is gone.
    virtual HMONITOR WindowMonitor(HWND window) = 0;
    // The top left of the monitor in virtual-screen coordinates; (0, 0) when it cannot be told.
    virtual POINT MonitorOrigin(HMONITOR monitor) = 0;
    // Plays a .wav file synchronously (SND_FILENAME | SND_NOWAIT | SND_NOSTOP); nothing for "".
    virtual void PlaySoundFile(const char* path) = 0;
    // Asks the shell to open a file with the user's program for its kind (ShellExecuteEx "open"); true when
    // the shell took the request, which says nothing of how that program fares with it. The shell shows no
    // box of its own when it fails (SEE_MASK_FLAG_NO_UI): the caller decides what the user hears.
    virtual bool OpenDocument(const char* path) = 0;
    // The system's warning sound (MessageBeep MB_ICONWARNING): how a command chosen from the window's menu
    // says that it failed, without a box.
    virtual void WarningSound() = 0;
};

// The seam in use: the Win32 one unless a test installed another.
Os& TheOs();
// Installs os (null restores the Win32 one); returns the previous one.
Os* SetOs(Os* os);

// Waits on the process for ms; a wait that fails at once still takes its time, so loops keep their pace.
uint32_t WaitPaced(HANDLE process, uint32_t ms);
