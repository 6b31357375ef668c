#include "tests/unit/fake_os.h"

#include <algorithm>

#include <cstring>
#include <stdexcept>

#include "app/program_history.h"
#include "link/link.h"
#include "measure/measure.h"

void FakeOs::At(uint64_t at, std::function<void()> action) { m_timeline.emplace(at, std::move(action)); }

void FakeOs::Post(uint64_t at, UINT message, WPARAM wParam, LPARAM lParam) {
    At(at, [=] {
        if (::PostMessageA(g_pMainDlg->m_hWnd, message, wParam, lParam))
            ++posted;
    });
}

void FakeOs::KeysEvery(uint64_t from, uint64_t to, uint64_t every, WPARAM key) {
    // Scheduled one at a time, so that a day of input costs no memory up front.
    if (from >= to)
        return;
    At(from, [=] {
        if (::PostMessageA(g_pMainDlg->m_hWnd, WM_KEY_REPORT, key, 0))
            ++posted;
        KeysEvery(from + every, to, every, key);
    });
}

void FakeOs::Poke(uint32_t address, const void* bytes, uint32_t size) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    for (uint32_t i = 0; i < size; ++i)
        m_memory[address + i] = p[i];
}

void FakeOs::PokeText(uint32_t heldAddress, const char* text) {
    Poke(heldAddress + kGameBias, text, static_cast<uint32_t>(std::strlen(text)) + 1);
}

void FakeOs::PokeWord(uint32_t heldAddress, uint32_t value) { Poke(heldAddress + kGameBias, &value, 4); }

uint32_t FakeOs::PeekWord(uint32_t heldAddress) const {
    uint32_t value = 0;
    for (uint32_t i = 0; i < 4; ++i) {
        auto it = m_memory.find(heldAddress + kGameBias + i);
        value |= static_cast<uint32_t>(it == m_memory.end() ? 0 : it->second) << (8 * i);
    }
    return value;
}

uint8_t FakeOs::PeekByte(uint32_t heldAddress) const {
    auto it = m_memory.find(heldAddress + kGameBias);
    return it == m_memory.end() ? 0 : it->second;
}

void FakeOs::StartGame(uint64_t at, const char* name) {
    std::string player = name;
    At(at, [this, player] {
        PokeText(kSlotA, player.c_str());
        PokeText(kSlotB, "Map");
        PokeText(kSlotC, "Melee");
        PokeText(kEchoB, "Map");
        PokeText(kEchoC, "Melee");
        PokeWord(kStartWord, 1);
        PokeWord(kEndWord, 0);
    });
}

uint32_t FakeOs::WaitProcess(HANDLE, uint32_t ms) {
    if (waitFails)
        return WAIT_FAILED;
    if (!ProcessAlive())
        return WAIT_OBJECT_0;
    if (processEndsAt - clock <= ms) {
        Advance(processEndsAt - clock);
        return WAIT_OBJECT_0;
    }
    Advance(ms);
    return WAIT_TIMEOUT;
}

DWORD FakeOs::WindowProcessId(HWND window) {
    if (!pidAnswers.empty()) {
        DWORD answer = pidAnswers.front();
        pidAnswers.erase(pidAnswers.begin());
        return answer;
    }
    return window && window == FindGameWindow() ? gamePid : 0;
}

bool FakeOs::ReadMemory(HANDLE, uint32_t address, void* buffer, uint32_t size) {
    reads.push_back(address);
    if (readsThrow)
        throw std::runtime_error("read fault");
    if (readsFail || !ProcessAlive())
        return false;
    auto* out = static_cast<uint8_t*>(buffer);
    for (uint32_t i = 0; i < size; ++i) {
        auto it = m_memory.find(address + i);
        out[i] = it == m_memory.end() ? 0 : it->second;
    }
    return true;
}

bool FakeOs::WriteMemory(HANDLE, uint32_t address, const void* buffer, uint32_t size) {
    if (!ProcessAlive())
        return false;
    Poke(address, buffer, size);
    return true;
}

HANDLE FakeOs::OpenGameProcess(DWORD processId, DWORD* error) {
    ++openCalls;
    *error = 0;
    if (openFails || processId != gamePid || !ProcessAlive()) {
        *error = openError;
        return nullptr;
    }
    return reinterpret_cast<HANDLE>(0x77);
}

namespace {

// Empties records and gives back their memory.
template <class... Records>
void Release(Records&... records) {
    (Records().swap(records), ...);
}

}  // namespace

void FakeOs::Forget() { Release(drawn, raised, blankAsked, sounds, soundTimes, hookCalls, overlayPlaces, reads, opened); }

void FakeOs::Advance(uint64_t ms) {
    uint64_t end = clock + ms;
    // Each event runs at its own time, so the program sees the clock it would have seen then.
    while (!m_timeline.empty() && m_timeline.begin()->first <= end) {
        auto it = m_timeline.begin();
        if (it->first > clock)
            clock = it->first;
        auto action = std::move(it->second);
        m_timeline.erase(it);
        action();
    }
    clock = end;
}

void MeterTest::SetUp() {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VorkelTests");
    m_previous = SetOs(&os);
    m_previousFiles = SetFiles(&historyFiles);
    ForgetProgramHistory();
    g_bQuit = false;
    g_bStop = false;
    g_nActions = 0;
    g_nBannerTicks = 0;
    g_szBanner[0] = '\0';
    ResetActionRing();
    dlg = new CMeterDlg;
    ASSERT_TRUE(dlg->Create(CMeterDlg::IDD));
    // The window posts itself the start of the link; the tests drive the link themselves.
    MSG msg;
    while (::PeekMessageA(&msg, dlg->m_hWnd, WM_START_LINK, WM_START_LINK, PM_REMOVE)) {
    }
}

void MeterTest::TearDown() {
    if (dlg) {
        ::DestroyWindow(dlg->m_hWnd);
        delete dlg;
        dlg = nullptr;
    }
    ForgetProgramHistory();
    SetFiles(m_previousFiles);
    SetOs(m_previous);
}

std::vector<std::string> MeterTest::Log() {
    std::vector<std::string> lines;
    int count = dlg->m_list.GetCount();
    for (int i = 0; i < count; ++i) {
        std::string line = static_cast<const char*>(dlg->m_list.GetText(i));
        lines.push_back(line.size() > 9 ? line.substr(9) : line);
    }
    return lines;
}

std::vector<std::string> MeterTest::Lines(int row) const {
    std::vector<std::string> lines;
    for (const Drawn& d : os.drawn) {
        if (d.row == row)
            lines.push_back(d.text);
    }
    return lines;
}

std::string MeterTest::ShownAtTime(uint64_t at, int row) const {
    std::map<int, std::string> shown;
    for (const Drawn& d : os.drawn) {
        if (d.at > at)
            break;
        if (d.row < 0)
            shown.clear();
        else
            shown[d.row] = d.text;
    }
    return shown[row];
}

bool MeterTest::TickedAtTime(uint64_t at) const {
    return std::count(os.raised.begin(), os.raised.end(), at) > 0 ||
           std::count(os.blankAsked.begin(), os.blankAsked.end(), at) > 0;
}
