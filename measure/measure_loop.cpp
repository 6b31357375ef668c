// One game: wait for its start, tick every 250 ms until it ends, then log the summary.
// All millisecond arithmetic is unsigned 32-bit on tick counts, so a wrap inside a game is harmless.
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/meter_dlg.h"
#include "app/program_path.h"
#include "link/link.h"
#include "link/os.h"
#include "measure/effective_apm.h"
#include "measure/game_recorder.h"
#include "measure/game_sink.h"
#include "measure/measure.h"
#include "measure/overlay_painter.h"
#include "measure/recovery_cue.h"
#include "util/local_time.h"

namespace {

constexpr uint32_t kStartPoll = 125;
constexpr uint32_t kTick = 250;
constexpr uint32_t kWarmUp = 80000;    // actions of the first 80 s are discarded
constexpr uint32_t kPeakAfter = 85000;
constexpr int kBannerTicks = 8;
constexpr char kWarning[] = "TOO LOW!!! MOVE IT MOVE IT!";
// Larger intervals would overflow the countdown; this one already outlasts any game.
constexpr int kMaxBeepEvery = INT_MAX / 4;

struct GameState {
    uint32_t startTick = 0;
    int32_t shownApm = 0;
    int32_t peakApm = 0;
    uint32_t peakTick = 0;
    bool peakSeen = false;
    int beepCountdown = -1;
    OverlayPainter overlay;
    GameRecorder history;
    RecoveryCue backCue;
};

GameSink* g_sink = nullptr;

}  // namespace

int g_nBannerTicks = 0;
char g_szBanner[128] = {};

GameSink* SetGameSink(GameSink* sink) {
    GameSink* previous = g_sink;
    g_sink = sink;
    return previous;
}

// The work of one tick at now, elapsed ms into the game.
static void Tick(CMeterDlg& dlg, GameState& game, uint32_t now, uint32_t elapsed) {
    Os& os = TheOs();
    if (elapsed > kWarmUp)
        game.shownApm = CorrectApm(RawApm(g_nActions, elapsed - kWarmUp));
    int32_t recent = RecentApm(now);
    if (elapsed > kPeakAfter && recent > game.peakApm) {
        game.peakApm = recent;
        game.peakTick = os.TickCount();
        game.peakSeen = true;
    }

    bool below = recent < dlg.m_nApmLimit && elapsed > kWarmUp;
    game.history.Tick(elapsed, elapsed < kWarmUp ? -1 : game.shownApm, recent, below, g_effective.ring.Recent(now));

    char number[16];
    if (elapsed < kWarmUp) {
        std::strcpy(number, "---");
        g_nActions = 0;
        g_effective.ClearCounts();
    } else {
        std::snprintf(number, sizeof number, "%03d", static_cast<int>(game.shownApm));
    }
    char line[128];
    std::snprintf(line, sizeof line, "APM = %s (%03d) ", number, static_cast<int>(recent));

    if (below) {
        if (dlg.m_bShowAlert)
            std::strncat(line, kWarning, sizeof line - std::strlen(line) - 1);
        if (dlg.m_nBeepEvery > 0) {
            if (game.beepCountdown == -1)
                game.beepCountdown = (dlg.m_nBeepEvery < kMaxBeepEvery ? dlg.m_nBeepEvery : kMaxBeepEvery) * 4;
            else
                game.beepCountdown -= 1;
            if (game.beepCountdown == 0) {
                if (!dlg.m_strSound.IsEmpty() && dlg.m_bSoundOn) {
                    os.PlaySoundFile(dlg.m_strSound);
                    game.history.Alert();
                    game.backCue.Alerted();
                }
                game.beepCountdown = -1;
            }
        }
    }

    if (game.backCue.Tick(below, dlg.m_bSoundOn, dlg.m_bBackSound != 0)) {
        CString back = ProgramSound("back.wav");
        if (!back.IsEmpty())
            os.PlaySoundFile(back);
    }

    const char* shown = nullptr;
    if (g_nBannerTicks > 0) {
        shown = g_szBanner;
        g_nBannerTicks -= 1;
    } else if (dlg.m_bShowApm) {
        shown = line;
    }
    std::string timer;
    if (dlg.m_bShowTimer && dlg.m_bShowApm)
        timer = ClockText(elapsed / 1000);
    if (shown)
        game.overlay.Show(os, shown, timer.empty() ? nullptr : timer.c_str());
    else
        game.overlay.Hide(os);  // nothing to show: take the last lines away
}

// How the game that just stopped ticking ended; alive is the result of the loop's last wait.
static GameEnd HowGameEnded(uint32_t alive) {
    if (alive == 0)
        return GameEnd::kGameClosed;
    if (g_bQuit)
        return GameEnd::kQuit;
    return g_bStop ? GameEnd::kStopKey : GameEnd::kGameOver;
}

// Hands the game the recorder finished (if any) to the sink.
static void HandOverFinishedGame(GameRecorder& recorder) {
    FinishedGame game;
    if (g_sink && recorder.Take(&game.record, &game.samples))
        g_sink->Keep(std::move(game));
}

static GameSummary LogSummary(const GameState& game) {
    uint32_t now = TheOs().TickCount();
    uint32_t counted = now - game.startTick - kWarmUp;
    int32_t apm = counted == 0 ? 0 : CorrectApm(RawApm(g_nActions, counted));
    char line[128];
    std::snprintf(line, sizeof line, "APM = %d (%d actions)", static_cast<int>(apm), static_cast<int>(g_nActions));
    LogLine(line);
    // Without a recorded peak there is no time to tell.
    uint32_t t = game.peakSeen ? (game.peakTick - game.startTick) / 1000 : 0;
    std::string clock = ClockText(t);
    std::snprintf(line, sizeof line, "Highest APM = %d at %s:", static_cast<int>(game.peakApm), clock.c_str());
    LogLine(line);
    GameSummary summary{now - game.startTick, apm, g_nActions, game.peakApm, t};
    summary.effectiveApm = counted == 0 ? 0 : EffectiveApm(g_nActions, g_effective.spam, counted);
    summary.spam = g_effective.spam;
    for (int i = 0; i < kSpamKinds; ++i)
        summary.spamByKind[i] = g_effective.byKind[i];
    return summary;
}

bool CMeterDlg::MeasureGame(HANDLE process) {
    Os& os = TheOs();
    ResetActionRing();
    g_bStop = false;
    m_bSoundOn = true;
    ClearGameMarks(process);

    GameState game;
    bool started = false;
    uint32_t alive = 1;
    for (;;) {
        alive = WaitPaced(process, kStartPoll);
        if (alive == 0)
            break;
        if (IsGameStarted(process)) {
            LogLine("Game started");
            g_nActions = 0;
            game.startTick = os.TickCount();
            game.history.Start(m_bHistory != 0, m_strSlotA, m_strSlotB, m_strSlotC);
            started = true;
            break;
        }
        PumpMessages();
        if (g_bQuit)
            break;
    }
    LogLine("Press F8 to stop apm measurement");
    m_bChatMode = false;
    UpdateData(TRUE);
    g_nBannerTicks = kBannerTicks;
    std::strcpy(g_szBanner, "Game started...");

    if (alive != 0) {
        while (started && !g_bQuit) {
            alive = WaitPaced(process, kTick);
            if (alive == 0 || IsGameOver(process))
                break;
            uint32_t now = os.TickCount();
            uint32_t elapsed = now - game.startTick;
            if (elapsed != 0)
                Tick(*this, game, now, elapsed);
            PumpMessages();
        }
        if (game.shownApm > 10)
            game.history.Finish(LogSummary(game), HowGameEnded(alive), m_nApmLimit);
    }
    ClearGameMarks(process);
    os.ClearOverlay();
    HandOverFinishedGame(game.history);
    return alive != 0;
}
