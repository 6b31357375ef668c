// What counts as an action among the hook's reports, the hotkeys that come the same way, and the
// ring of recent action times. All arithmetic is unsigned 32-bit, as the tick stamps are.
#include <cstring>

#include "app/meter_dlg.h"
#include "hook/ravik.h"
#include "link/os.h"
#include "measure/effective_apm.h"
#include "measure/measure.h"

namespace {

constexpr uint32_t kEmpty = UINT32_MAX;

// The minimap corner of the game screen: clicks there are not actions.
bool InExcludedRect(uint32_t x, uint32_t y) { return x >= 1 && x <= 144 && y >= 320 && y <= 479; }

// The modifier bits of a report; a hook that sends none reads as no modifier held.
uint8_t Modifiers(uintptr_t bits) { return static_cast<uint8_t>(bits & (RAVIK_CTRL | RAVIK_SHIFT | RAVIK_ALT)); }

// One counted action, judged for spam too.
void Count(const ActionInput& action) {
    CountAction();
    g_effective.Count(TheOs().MessageTime(), action);
}

}  // namespace

uint32_t g_nActions = 0;
uint32_t g_aStamps[kStampCount] = {};
uint32_t g_iNewest = kEmpty;
uint32_t g_iOldest = kEmpty;
uint32_t g_nRecent = 0;

void ResetActionRing() {
    std::memset(g_aStamps, 0, sizeof g_aStamps);
    g_iNewest = kEmpty;
    g_iOldest = kEmpty;
    g_nRecent = 0;
    g_effective.Reset();
}

void CountAction() {
    g_nActions += 1;
    StampRing{g_aStamps, kStampCount, &g_iNewest, &g_iOldest, &g_nRecent}.Add(TheOs().TickCount());
}

LRESULT CMeterDlg::OnKeyReport(WPARAM key, LPARAM modifiers) {
    if (key == VK_RETURN) {
        m_bChatMode = !m_bChatMode;
        return 0;
    }
    if (key == VK_ESCAPE) {
        m_bChatMode = false;
        return 0;
    }
    if (!m_bChatMode) {
        if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
            Count(ActionInput::Key(static_cast<uint8_t>(key), Modifiers(static_cast<uintptr_t>(modifiers))));
        } else if (key == VK_F6) {
            m_bShowApm = !m_bShowApm;
            return 0;
        } else if (key == VK_F7) {
            m_bSoundOn = !m_bSoundOn;
            g_nBannerTicks = 8;
            std::strcpy(g_szBanner, m_bSoundOn ? "Sound ON......." : "Sound OFF.....");
        }
    }
    if (key == VK_F8)
        g_bStop = true;
    return 0;
}

LRESULT CMeterDlg::OnClickReport(WPARAM button, LPARAM position) {
    uint32_t x = static_cast<uint32_t>(position) & 0xFFFF;
    uint32_t y = (static_cast<uint32_t>(position) >> 16) & 0xFFFF;
    uint8_t which = (button & RAVIK_RIGHT) ? ActionInput::kRight : ActionInput::kLeft;
    if (!InExcludedRect(x, y))
        Count(ActionInput::Click(which, Modifiers(button)));
    return 0;
}
