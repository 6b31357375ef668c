// A fake operating system with a virtual clock, and a fixture that puts a real main window on it.
// Sleep and the process waits advance the clock; as it passes their time, scripted events run (game
// memory changes, the process ending) and scripted reports are posted to the main window, where the
// program's own PumpMessages dispatches them to the real handlers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/meter_dlg.h"
#include "link/link.h"
#include "link/os.h"
#include "tests/unit/failing_files.h"

struct Drawn {
    uint64_t at;  // ms since the script's start
    std::string text;  // "" with row -1 for a clear
    int row;
    bool operator==(const Drawn& other) const { return text == other.text && row == other.row; }
};

class FakeOs : public Os {
public:
    // --- the script ---
    // Times are ms since the script's start; the tick count the program sees is base + that.
    // Runs action once the clock reaches at (in the order added for equal times).
    void At(uint64_t at, std::function<void()> action);
    // Posts a report to the main window at that time.
    void Post(uint64_t at, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void Key(uint64_t at, WPARAM key) { Post(at, WM_KEY_REPORT, key); }
    void Click(uint64_t at, int x, int y) { Post(at, WM_CLICK_REPORT, 0, MAKELPARAM(x, y)); }
    // Keys at a steady rate from..to (exclusive), every ms.
    void KeysEvery(uint64_t from, uint64_t to, uint64_t every, WPARAM key = 'A');
    // The game memory, at the addresses the game sees (bias already added).
    void Poke(uint32_t address, const void* bytes, uint32_t size);
    void PokeText(uint32_t heldAddress, const char* text);
    void PokeWord(uint32_t heldAddress, uint32_t value);
    uint32_t PeekWord(uint32_t heldAddress) const;
    uint8_t PeekByte(uint32_t heldAddress) const;
    // Writes the five texts and the start word of a game that every probe recognises.
    void StartGame(uint64_t at, const char* name = "Player");
    void EndGame(uint64_t at) { At(at, [this] { PokeWord(kEndWord, 1); }); }

    // --- what the program did ---
    std::vector<Drawn> drawn;
    std::vector<uint64_t> raised;      // times of KeepOverlayOnTop
    std::vector<uint64_t> blankAsked;  // times of OverlayBlank
    std::vector<std::string> sounds;
    std::vector<uint64_t> soundTimes;
    std::vector<std::pair<bool, HWND>> hookCalls;
    std::vector<HWND> overlayPlaces;  // windows given to PlaceOverlayOver
    uint64_t posted = 0;  // reports the queue accepted
    int openCalls = 0;
    int closeCalls = 0;
    std::vector<uint32_t> reads;  // addresses, in order
    std::vector<std::string> opened;  // documents asked to be opened
    int warnings = 0;                 // warning sounds played

    // --- conditions ---
    uint32_t base = 0;
    uint64_t clock = 0;
    uint64_t processEndsAt = UINT64_MAX;
    bool documentFails = false;  // the shell refuses every document
    bool waitFails = false;
    bool readsFail = false;
    HWND gameWindow = reinterpret_cast<HWND>(0x1234);
    DWORD gamePid = 42;
    bool openFails = false;
    DWORD openError = ERROR_INVALID_PARAMETER;  // what a failed open says: the process is gone
    bool readsThrow = false;         // a read raises, as a fault deep inside the measurement would
    std::vector<DWORD> pidAnswers;   // answers of WindowProcessId before it falls back to gamePid
    std::map<int, bool> keysDown;
    bool overlayBlank = true;        // drawing and clearing keep it as the surface would be
    std::function<void()> onClear;   // runs inside every ClearOverlay
    HWND foreground = nullptr;
    // Every window is where the game is, on the monitor with that handle; unknown monitors are at the origin.
    RECT gameRect = {0, 0, 640, 480};
    HMONITOR gameMonitor = reinterpret_cast<HMONITOR>(1);
    std::map<HMONITOR, POINT> monitorOrigins;
    int monitorsAsked = 0;  // calls of WindowMonitor

    // Os
    uint32_t TickCount() override { return base + static_cast<uint32_t>(clock); }
    void Sleep(uint32_t ms) override { Advance(ms); }
    uint32_t WaitProcess(HANDLE process, uint32_t ms) override;
    bool ReadMemory(HANDLE process, uint32_t address, void* buffer, uint32_t size) override;
    bool WriteMemory(HANDLE process, uint32_t address, const void* buffer, uint32_t size) override;
    bool KeyDown(int virtualKey) override { return keysDown[virtualKey]; }
    HWND FindGameWindow() override { return ProcessAlive() ? gameWindow : nullptr; }
    DWORD WindowProcessId(HWND window) override;
    HANDLE OpenGameProcess(DWORD processId, DWORD* error) override;
    void CloseProcess(HANDLE) override { ++closeCalls; }
    void SetInputHook(bool install, HWND target) override { hookCalls.emplace_back(install, target); }
    void DrawOverlay(const char* text, int rowOffset) override {
        drawn.push_back({clock, text, rowOffset});
        overlayBlank = false;
    }
    void ClearOverlay() override {
        if (onClear)
            onClear();
        drawn.push_back({clock, "", -1});
        overlayBlank = true;
    }
    bool OverlayBlank() override {
        blankAsked.push_back(clock);
        return overlayBlank;
    }
    void KeepOverlayOnTop() override { raised.push_back(clock); }
    void PlaceOverlayOver(HWND game) override { overlayPlaces.push_back(game); }
    HWND ForegroundWindow() override { return foreground; }
    bool WindowRect(HWND, RECT* rect) override {
        *rect = gameRect;
        return true;
    }
    HMONITOR WindowMonitor(HWND) override {
        ++monitorsAsked;
        return gameMonitor;
    }
    POINT MonitorOrigin(HMONITOR monitor) override {
        auto it = monitorOrigins.find(monitor);
        return it == monitorOrigins.end() ? POINT{0, 0} : it->second;
    }
    void PlaySoundFile(const char* path) override {
        sounds.emplace_back(path);
        soundTimes.push_back(clock);
    }
    bool OpenDocument(const char* path) override {
        opened.emplace_back(path);
        return !documentFails;
    }
    void WarningSound() override { ++warnings; }

    // Drops what the program did so far: a long run's records would otherwise be the memory that grows.
    void Forget();
    void Advance(uint64_t ms);
    bool ProcessAlive() const { return clock < processEndsAt; }

private:
    std::multimap<uint64_t, std::function<void()>> m_timeline;
    std::map<uint32_t, uint8_t> m_memory;
};

// A real main window (modeless) on a FakeOs, with the shared state reset.
class MeterTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The event log's texts without their time stamps.
    std::vector<std::string> Log();
    // Only the lines drawn at row 0 / at the timer row, in order.
    std::vector<std::string> Lines(int row) const;
    // What the overlay shows at the script time at: the row's line last drawn by then, "" after a clear (a
    // tick draws only the rows that changed, so the surface still shows the others).
    std::string ShownAtTime(uint64_t at, int row = 0) const;
    // Whether a tick ran at the script time at: every tick shows a frame, which keeps the overlay on top,
    // or hides it, which asks first whether it is blank.
    bool TickedAtTime(uint64_t at) const;

    FakeOs os;
    CMeterDlg* dlg = nullptr;
    HANDLE process = reinterpret_cast<HANDLE>(0x77);
    // Every test keeps its games' history in a new folder of its own.
    TempFolder historyData;
    FailingFiles historyFiles{historyData.path()};

private:
    Os* m_previous = nullptr;
    Files* m_previousFiles = nullptr;
};
