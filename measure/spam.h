// Which counted actions are spam: presses and clicks that cost a player time and achieve nothing the one
// before had not. Fed every counted action in order (the warm-up's too, so that a run is judged whole);
// nothing in it reads the clock or the OS.
#pragma once

#include <cstdint>

// One counted action as the hook describes it.
struct ActionInput {
    enum Modifier : uint8_t { kCtrl = 1, kShift = 2, kAlt = 4 };
    enum Button : uint8_t { kNoButton = 0, kLeft = 1, kRight = 2, kMiddle = 3 };
    uint8_t key = 0;        // virtual-key code of a key press; 0 for a click
    uint8_t button = kNoButton;
    uint8_t modifiers = 0;  // Modifier bits held with it

    static ActionInput Key(uint8_t vk, uint8_t mods = 0) { return {vk, kNoButton, mods}; }
    static ActionInput Click(uint8_t which, uint8_t mods = 0) { return {0, which, mods}; }
};

enum class Spam : uint8_t { kNone, kReselect, kRepeatedOrder, kReassign, kQueueOverflow };
constexpr int kSpamKinds = 4;  // the kinds after kNone, in that order

class SpamRules {
public:
    static constexpr uint32_t kReselectMs = 336;
    static constexpr uint32_t kRepeatMs = 420;
    static constexpr uint32_t kQueueMs = 1050;
    static constexpr uint32_t kQueue = 5;

    // The action at now (a tick count; a wrap is harmless): kNone when it is effective.
    Spam Classify(uint32_t now, const ActionInput& action);

private:
    // The run of identical actions this one may continue: nothing else between them.
    ActionInput m_last;
    bool m_any = false;
    uint32_t m_lastTick = 0;
    uint32_t m_run = 0;  // actions in the current run, this one included once classified
};
