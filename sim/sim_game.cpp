// The simulated game. It owns, in its own memory, the places Cadro reads to see a game begin and end,
// and plays the games of its plan: at each start it writes the player, map and game-type texts and
// their echoes, then the start word a moment later; at each end, the end word. It writes each mark once
// per game, so Cadro's clearing writes stay cleared until the next game. During a game it types and
// clicks into itself with SendInput, as a player would, and logs what it did.
#include <windows.h>

#include <cctype>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "link/link.h"
#include "sim/sim_plan.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr double kStartWordDelay = 0.2;

// Zero-initialised memory that, at the fixed image base, spans every probed place.
uint8_t g_memory[3 << 20];

SimPlan g_plan;
FILE* g_status = nullptr;
ULONGLONG g_launch = 0;
HWND g_window = nullptr;

double Now() { return static_cast<double>(GetTickCount64() - g_launch) / 1000.0; }

void Status(const char* format, ...) {
    if (!g_status)
        return;
    va_list args;
    va_start(args, format);
    std::fprintf(g_status, "%.3f ", Now());
    std::vfprintf(g_status, format, args);
    std::fputc('\n', g_status);
    std::fflush(g_status);
    va_end(args);
}

volatile uint8_t* Place(uint32_t heldAddress) {
    return reinterpret_cast<volatile uint8_t*>(static_cast<uintptr_t>(heldAddress + kGameBias));
}

bool PlacesAreOurs() {
    const uint32_t places[] = {kSlotA, kSlotB, kSlotC, kEchoB, kEchoC, kStartWord, kEndWord};
    auto begin = reinterpret_cast<uintptr_t>(g_memory);
    for (uint32_t held : places) {
        uintptr_t at = held + kGameBias;
        if (at < begin || at + kEchoSize > begin + sizeof g_memory)
            return false;
    }
    return true;
}

void WriteText(uint32_t heldAddress, const std::string& text) {
    volatile uint8_t* p = Place(heldAddress);
    for (size_t i = 0; i <= text.size(); ++i)
        p[i] = i < text.size() ? static_cast<uint8_t>(text[i]) : 0;
}

void WriteWord(uint32_t heldAddress, uint32_t value) {
    volatile uint8_t* p = Place(heldAddress);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t ReadWord(uint32_t heldAddress) {
    volatile uint8_t* p = Place(heldAddress);
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The marks Cadro clears (first bytes of slots B and C, the start word), as last seen. A mark that
// turns to zero without the game writing it was cleared by Cadro: the status log says so.
struct Marks {
    uint8_t slotB = 0, slotC = 0;
    uint32_t start = 0;
};

Marks g_marks;

Marks ReadMarks() {
    Marks now;
    now.slotB = *Place(kSlotB);
    now.slotC = *Place(kSlotC);
    now.start = ReadWord(kStartWord);
    return now;
}

void WatchMarks() {
    Marks now = ReadMarks();
    if (g_marks.slotB && !now.slotB)
        Status("slotB cleared");
    if (g_marks.slotC && !now.slotC)
        Status("slotC cleared");
    if (g_marks.start && !now.start)
        Status("start word cleared");
    g_marks = now;
}

// --- input, as the player's ---

// Marks the game's own input, to tell it from keys typed by someone else.
constexpr ULONG_PTR kOwnInput = 0x5157;

// Presses key times times in one go, with modifier (0: none) held over them.
void Keys(WORD key, int times, WORD modifier) {
    INPUT input[2 + 2 * 8] = {};
    UINT n = 0;
    auto add = [&](WORD vk, DWORD flags) {
        input[n].type = INPUT_KEYBOARD;
        input[n].ki.wVk = vk;
        input[n].ki.dwFlags = flags;
        input[n++].ki.dwExtraInfo = kOwnInput;
    };
    if (modifier)
        add(modifier, 0);
    for (int i = 0; i < times && n + 3 <= sizeof input / sizeof input[0]; ++i) {
        add(key, 0);
        add(key, KEYEVENTF_KEYUP);
    }
    if (modifier)
        add(modifier, KEYEVENTF_KEYUP);
    SendInput(n, input, sizeof(INPUT));
}

void Key(WORD key) { Keys(key, 1, 0); }

// Clicks times times in one go at client x, y.
void Click(int x, int y, bool right = false, int times = 1) {
    POINT at = {x, y};
    ClientToScreen(g_window, &at);
    SetCursorPos(at.x, at.y);
    INPUT input[2 * 8] = {};
    UINT n = 0;
    for (int i = 0; i < times && i < 8; ++i) {
        input[n].type = input[n + 1].type = INPUT_MOUSE;
        input[n].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
        input[n + 1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
        n += 2;
    }
    SendInput(n, input, sizeof(INPUT));
}

// A stream of events at a rate, counted from a game's input start.
struct Stream {
    double every = 0;  // seconds; 0: off
    double next = 0;
    int count = 0;
    void Begin(double at, int perMinute) {
        every = perMinute > 0 ? 60.0 / perMinute : 0;
        next = at;
        count = 0;
    }
    bool Due(double now) {
        if (every <= 0 || now < next)
            return false;
        next += every;
        ++count;
        return true;
    }
};

// A player's cycle for --pattern: one move a step. A burst's spam is known as its presses come at once;
// a rhythm key's run spans steps and is judged by their spacing, as Cadro judges it.
struct Move {
    char key;     // 0: a click
    WORD modifier;
    bool right;   // a right click (else left), when a click
    int times;    // sent in one go
    int reselect, order, assign;
    bool rhythm;
};

// Never the same move twice in a row: no rule can call any of it spam, whatever the pace.
const Move kClean[] = {{'1', 0, false, 1, 0, 0, 0, false},        {0, 0, true, 1, 0, 0, 0, false},
                       {'A', 0, false, 1, 0, 0, 0, false},        {0, 0, false, 1, 0, 0, 0, false},
                       {'2', VK_CONTROL, false, 1, 0, 0, 0, false}, {'2', 0, false, 2, 0, 0, 0, false},
                       {0, 0, true, 1, 0, 0, 0, false},           {'S', 0, false, 1, 0, 0, 0, false}};
// Group 1 tapped six times (the 3rd to 6th re-select), four right clicks (three repeat the order), group 3
// assigned three times (two again), Z seven times at once (the 6th and 7th repeat it), then X held in a
// rhythm for eight steps (the 6th to 8th repeat or overflow by the spacing).
const Move kSpammer[] = {{'1', 0, false, 6, 4, 0, 0, false}, {0, 0, true, 4, 0, 3, 0, false},
                         {'3', VK_CONTROL, false, 3, 0, 0, 2, false}, {'Z', 0, false, 7, 0, 2, 0, false},
                         {0, 0, false, 1, 0, 0, 0, false}, {'X', 0, false, 1, 0, 0, 0, true},
                         {'X', 0, false, 1, 0, 0, 0, true}, {'X', 0, false, 1, 0, 0, 0, true},
                         {'X', 0, false, 1, 0, 0, 0, true}, {'X', 0, false, 1, 0, 0, 0, true},
                         {'X', 0, false, 1, 0, 0, 0, true}, {'X', 0, false, 1, 0, 0, 0, true},
                         {'X', 0, false, 1, 0, 0, 0, true}, {0, 0, false, 1, 0, 0, 0, false}};

// What the pattern's steps sent, and their spam by kind.
struct Made {
    int actions = 0, reselect = 0, order = 0, assign = 0, overflow = 0;
    int run = 0;        // the rhythm key's presses in a row
    double last = -9;   // when its last one was sent
};

struct Game {
    int index = -1;  // the game being played, -1 before and between games
    bool started = false;
    bool startWordWritten = false;
    bool paused = false, stopped = false;
    Stream keys, clicks, cornerClicks, chats;
    Made made;
};

Game g_game;
int g_nextGame = 0;

void BeginGame(int index, double start) {
    g_game = Game();
    g_game.index = index;
    double input = start + g_plan.inputAfter;
    g_game.keys.Begin(input, g_plan.apm);
    g_game.clicks.Begin(input, g_plan.clicksPerMinute);
    g_game.cornerClicks.Begin(input, g_plan.cornerClicksPerMinute);
    g_game.chats.Begin(input + g_plan.chatEvery, g_plan.chatEvery > 0 ? static_cast<int>(60 / g_plan.chatEvery) : 0);
    Status("marks before game %d: slotB=%d slotC=%d start=%u", index + 1, *Place(kSlotB), *Place(kSlotC),
           ReadWord(kStartWord));
    WriteWord(kEndWord, 0);
    WriteText(kSlotA, g_plan.player);
    WriteText(kSlotB, g_plan.map);
    WriteText(kSlotC, g_plan.mode);
    // A mismatching echo differs only in letter case: Cadro compares exactly.
    std::string echoB = g_plan.map;
    if (g_plan.mismatch)
        for (char& c : echoB)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    WriteText(kEchoB, echoB);
    WriteText(kEchoC, g_plan.mode);
    g_marks = ReadMarks();
    Status("game %d texts written", index + 1);
}

void LogCounts(const char* what) {
    char made[128] = "";
    const Made& m = g_game.made;
    if (g_plan.PatternOf(g_game.index) != SimPlan::Pattern::kLetters)
        std::snprintf(made, sizeof made, " actions=%d reselect=%d order=%d assign=%d overflow=%d", m.actions,
                      m.reselect, m.order, m.assign, m.overflow);
    Status("game %d %s keys=%d clicks=%d corner=%d chats=%d%s", g_game.index + 1, what, g_game.keys.count,
           g_game.clicks.count, g_game.cornerClicks.count, g_game.chats.count, made);
}

// The pattern's next move (step counts from 1).
void PlayMove(int step, double now) {
    bool clean = g_plan.PatternOf(g_game.index) == SimPlan::Pattern::kClean;
    size_t size = clean ? sizeof kClean / sizeof kClean[0] : sizeof kSpammer / sizeof kSpammer[0];
    const Move& move = (clean ? kClean : kSpammer)[(step - 1) % size];
    if (move.key)
        Keys(static_cast<WORD>(move.key), move.times, move.modifier);
    else
        Click(320, 200, move.right, move.times);
    Made& m = g_game.made;
    m.actions += move.times;
    m.reselect += move.reselect;
    m.order += move.order;
    m.assign += move.assign;
    double gap = now - m.last;
    m.run = move.rhythm && gap <= 1.05 ? m.run + 1 : move.rhythm ? 1 : 0;
    if (m.run > 5)
        (gap <= 0.42 ? m.order : m.overflow) += 1;
    if (move.rhythm)
        m.last = now;
}

// Each status line is written before the memory change it tells of: a test that sees Cadro react to the
// change then always finds the line already there.
void EndGame() {
    LogCounts("ended");
    WriteWord(kEndWord, 1);
    g_game.index = -1;
}

// In a stretch without input the streams' due events are passed over, uncounted.
bool InputHeld(double now) {
    double t = now - g_plan.GameStart(g_game.index);
    bool paused = g_plan.pauseFrom >= 0 && t >= g_plan.pauseFrom && t < g_plan.pauseTo;
    bool stopped = g_plan.inputUntil >= 0 && t >= g_plan.inputUntil;
    if (paused != g_game.paused)
        paused ? LogCounts("input paused") : Status("game %d input resumed", g_game.index + 1);
    if (stopped && !g_game.stopped)
        LogCounts("input stopped");
    g_game.paused = paused;
    g_game.stopped = stopped;
    if (!paused && !stopped)
        return false;
    for (Stream* stream : {&g_game.keys, &g_game.clicks, &g_game.cornerClicks, &g_game.chats})
        while (stream->every > 0 && stream->next <= now)
            stream->next += stream->every;
    return true;
}

void Inject(double now) {
    if (InputHeld(now))
        return;
    // Keep the foreground, or the hook (rightly) reports nothing. A top-most game takes it when it raises.
    if (g_plan.raiseEvery <= 0 && GetForegroundWindow() != g_window)
        SetForegroundWindow(g_window);
    while (g_game.keys.Due(now)) {
        if (g_plan.PatternOf(g_game.index) == SimPlan::Pattern::kLetters)
            Key(static_cast<WORD>('A' + g_game.keys.count % 26));
        else
            PlayMove(g_game.keys.count, now);
    }
    while (g_game.clicks.Due(now))
        Click(300 + g_game.clicks.count % 200, 100 + g_game.clicks.count % 150);
    while (g_game.cornerClicks.Due(now))
        Click(20 + g_game.cornerClicks.count % 100, 330 + g_game.cornerClicks.count % 140);
    while (g_game.chats.Due(now)) {
        Key(VK_RETURN);
        for (WORD letter : {'H', 'E', 'L', 'L', 'O'})
            Key(letter);
        Key(VK_RETURN);
    }
}

// --- waiting for Cadro ---

// Whether Cadro's log (the list in its main window) ends in "Waiting for game...". Cadro answers
// between its waits; a hung or busy Cadro reads as not waiting yet.
BOOL CALLBACK MatchCadro(HWND hwnd, LPARAM found) {
    char cls[16] = "", title[16] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    if (std::strcmp(cls, "#32770") != 0 || std::strncmp(title, "Cadro!", 6) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

bool CadroWaits() {
    HWND main = nullptr;
    EnumWindows(MatchCadro, reinterpret_cast<LPARAM>(&main));
    HWND list = main ? GetDlgItem(main, 1001) : nullptr;
    DWORD_PTR count = 0, length = 0;
    if (!list || !SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &count) || count == 0 ||
        count == static_cast<DWORD_PTR>(LB_ERR))
        return false;
    // Cross-process list text comes as UTF-16 under Wine whatever is asked: ask for it so.
    if (!SendMessageTimeoutW(list, LB_GETTEXTLEN, count - 1, 0, SMTO_ABORTIFHUNG, 1000, &length) || length > 200)
        return false;
    wchar_t text[256] = L"";
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(list, LB_GETTEXT, count - 1, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000,
                             &got))
        return false;
    const wchar_t* line = text + (got > 9 ? 9 : got);  // past the "hh:mm:ss " stamp
    return std::wcscmp(line, L"Waiting for game...") == 0;
}

// --- the top-most full-screen window ---

int g_raises = 0;
bool g_inFront = false;
double g_nobodySince = -1;  // when the foreground went to no window or the desktop, or -1

// 1 when Cadro's overlay exists and is below the game, read right after the raise. Cadro can only move
// the overlay up meanwhile, and the walk to the top then meets it: a race can give 0, never a wrong 1.
int CoversOverlay() {
    HWND overlay = FindWindowA("CadroOverlay", nullptr);
    if (!overlay)
        return 0;
    for (HWND w = GetWindow(g_window, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        if (w == overlay)
            return 0;
    }
    return 1;
}

void RaiseWhenDue(double now) {
    if (g_plan.raiseEvery <= 0)
        return;
    HWND front = GetForegroundWindow();
    char cls[64] = "";
    if (front)
        GetClassNameA(front, cls, sizeof cls);
    if (g_inFront && front != g_window)
        Status("foreground lost to %s", front ? cls : "nothing");
    // Under load Wine sometimes leaves the foreground with no window or the desktop, which no player did;
    // a game takes its focus back then. The foreground passes through no window for a moment when it
    // goes to another program, so only a stay of half a second counts, and another program's window
    // keeps what it took.
    if (front && std::strcmp(cls, "#32769") != 0) {
        g_nobodySince = -1;
    } else if (g_nobodySince < 0) {
        g_nobodySince = now;
    } else if (now - g_nobodySince > 0.5) {
        SetForegroundWindow(g_window);
        front = GetForegroundWindow();
        Status("foreground taken back: %d", front == g_window ? 1 : 0);
        g_nobodySince = -1;
    }
    g_inFront = front == g_window;
    if (now < g_plan.raiseEvery * (g_raises + 1))
        return;
    ++g_raises;
    SetWindowPos(g_window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    int covers = CoversOverlay();
    if (!g_inFront)
        SetForegroundWindow(g_window);
    Status("raise %d foreground=%d covers=%d", g_raises, g_inFront ? 1 : 0, covers);
    g_inFront = GetForegroundWindow() == g_window;
}

// One pass of the plan; false once it is time to exit.
bool Step() {
    WatchMarks();
    if (g_plan.afterLink) {
        static ULONGLONG nextLook = 0;  // Cadro is asked at most every 50 ms, not on every 5 ms pass
        if (GetTickCount64() < nextLook)
            return true;
        nextLook = GetTickCount64() + 50;
        if (!CadroWaits())
            return true;
        g_plan.afterLink = false;
        g_launch = GetTickCount64();
        Status("Cadro waits for a game");
    }
    double now = Now();
    RaiseWhenDue(now);
    if (g_plan.exitAfter >= 0 && now >= g_plan.exitAfter) {
        Status("exit%s", g_game.index >= 0 ? " in the middle of a game" : "");
        return false;
    }
    if (g_game.index < 0 && g_nextGame < g_plan.games && now >= g_plan.GameStart(g_nextGame)) {
        BeginGame(g_nextGame, g_plan.GameStart(g_nextGame));
        ++g_nextGame;
    }
    if (g_game.index < 0)
        return true;
    double start = g_plan.GameStart(g_game.index);
    if (!g_game.startWordWritten && now >= start + kStartWordDelay) {
        Status("game %d started", g_game.index + 1);
        WriteWord(kStartWord, static_cast<uint32_t>(g_game.index + 1));
        g_marks.start = ReadWord(kStartWord);
        g_game.startWordWritten = true;
    }
    if (now >= start + g_plan.length) {
        EndGame();
        return true;
    }
    if (g_game.startWordWritten)
        Inject(now);
    return true;
}

void Paint(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    // Terrain in tiles of greens and browns, a few units: never pure black or white.
    for (int y = 0; y < client.bottom; y += 32) {
        for (int x = 0; x < client.right; x += 32) {
            int shade = ((x / 32) * 7 + (y / 32) * 13) % 5;
            HBRUSH brush = CreateSolidBrush(RGB(60 + shade * 12, 110 + shade * 10, 40 + shade * 6));
            RECT tile = {x, y, x + 32, y + 32};
            FillRect(dc, &tile, brush);
            DeleteObject(brush);
        }
    }
    // No outlines: the stock pen is black, and black belongs to the overlay in screenshots.
    HBRUSH unit = CreateSolidBrush(RGB(40, 70, 200));
    HGDIOBJ old = SelectObject(dc, unit);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    for (int i = 0; i < 12; ++i)
        Ellipse(dc, 330 + (i % 4) * 40, 120 + (i / 4) * 40, 350 + (i % 4) * 40, 140 + (i / 4) * 40);
    SelectObject(dc, oldPen);
    SelectObject(dc, old);
    DeleteObject(unit);
    RECT minimap = {1, 320, 145, 480};
    HBRUSH map = CreateSolidBrush(RGB(90, 90, 60));
    FillRect(dc, &minimap, map);
    DeleteObject(map);
    EndPaint(hwnd, &paint);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // Keys typed by someone else that reached the game.
        if (GetMessageExtraInfo() != kOwnInput)
            Status("key %02X", static_cast<unsigned>(wParam));
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::string error;
    if (!ParsePlan(__argc, __argv, &g_plan, &error)) {
        MessageBoxA(nullptr, error.c_str(), "sim", MB_OK);
        return 2;
    }
    g_launch = GetTickCount64();
    if (!g_plan.status.empty())
        g_status = std::fopen(g_plan.status.c_str(), "w");
    if (!PlacesAreOurs()) {
        Status("error: the probed places are not inside the game memory (%p)", static_cast<void*>(g_memory));
        std::fprintf(stderr, "sim: the probed places are not inside the game memory at %p; was the image moved?\n",
                     static_cast<void*>(g_memory));
        return 3;
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "SWarClass";
    RegisterClassA(&wc);
    // A borderless window at the screen's corner: its client area is the screen, where the overlay goes.
    bool topMost = g_plan.raiseEvery > 0;
    g_window = CreateWindowExA(topMost ? WS_EX_TOPMOST : 0, "SWarClass", "Simulated game", WS_POPUP | WS_VISIBLE, 0,
                               0, topMost ? GetSystemMetrics(SM_CXSCREEN) : kWidth,
                               topMost ? GetSystemMetrics(SM_CYSCREEN) : kHeight, nullptr, nullptr, instance, nullptr);
    SetForegroundWindow(g_window);
    Status("ready pid=%lu", GetCurrentProcessId());

    for (;;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                Status("closed");
                return 0;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!Step())
            return 0;
    }
}
