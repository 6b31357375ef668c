#include "measure/spam.h"

namespace {

bool Same(const ActionInput& a, const ActionInput& b) {
    return a.key == b.key && a.button == b.button && a.modifiers == b.modifiers;
}

bool IsDigit(uint8_t vk) { return vk >= '0' && vk <= '9'; }
bool IsLetter(uint8_t vk) { return vk >= 'A' && vk <= 'Z'; }
bool Assigns(const ActionInput& a) { return (a.modifiers & (ActionInput::kCtrl | ActionInput::kShift)) != 0; }

}  // namespace

Spam SpamRules::Classify(uint32_t now, const ActionInput& action) {
    uint32_t gap = now - m_lastTick;
    bool continues = m_any && Same(action, m_last);
    // Assignments run on without a time limit; every other run ends at the longest window any rule keeps.
    bool digit = IsDigit(action.key);
    if (continues && !(digit && Assigns(action)) && gap > kQueueMs)
        continues = false;
    m_run = continues ? m_run + 1 : 1;
    m_last = action;
    m_lastTick = now;
    m_any = true;
    if (m_run == 1)
        return Spam::kNone;

    if (digit) {
        if (Assigns(action))
            return Spam::kReassign;
        // A double tap centres the view: only a third tap in quick succession is wasted. A slower tap starts
        // a new run, as the player may have looked away.
        if (gap > kReselectMs) {
            m_run = 1;
            return Spam::kNone;
        }
        return m_run >= 3 ? Spam::kReselect : Spam::kNone;
    }
    if (action.button == ActionInput::kRight && !(action.modifiers & ActionInput::kShift)) {
        if (gap > kRepeatMs) {
            m_run = 1;
            return Spam::kNone;
        }
        return Spam::kRepeatedOrder;
    }
    if (IsLetter(action.key) && m_run > kQueue)
        return gap <= kRepeatMs ? Spam::kRepeatedOrder : Spam::kQueueOverflow;
    return Spam::kNone;
}
