// The spam rules at their boundaries, the effective figures and the recovery cue.
#include <gtest/gtest.h>

#include <vector>

#include "measure/effective_apm.h"
#include "measure/measure.h"
#include "measure/recovery_cue.h"
#include "measure/spam.h"

namespace {

using A = ActionInput;
constexpr uint32_t kNearWrap = UINT32_MAX - 500;  // every sequence runs across the tick counter's wrap

// The verdicts on one action repeated after each of the gaps (the first action at kNearWrap).
std::vector<Spam> Repeated(const A& action, const std::vector<uint32_t>& gaps) {
    SpamRules rules;
    uint32_t t = kNearWrap;
    std::vector<Spam> out{rules.Classify(t, action)};
    for (uint32_t gap : gaps)
        out.push_back(rules.Classify(t += gap, action));
    return out;
}

constexpr Spam kNo = Spam::kNone;

}  // namespace

TEST(SpamRules, GroupReselectIsTheThirdQuickTap) {
    EXPECT_EQ(Repeated(A::Key('1'), {100, 336, 336}), (std::vector<Spam>{kNo, kNo, Spam::kReselect, Spam::kReselect}));
    // 337 ms starts a new run: that tap is a first, the next quick one a double tap.
    EXPECT_EQ(Repeated(A::Key('1'), {100, 337, 335, 335}), (std::vector<Spam>{kNo, kNo, kNo, kNo, Spam::kReselect}));
    // Another action between, even another group, starts a new run.
    SpamRules rules;
    for (uint8_t key : {'1', '1', '2', '1', '1'})
        EXPECT_EQ(rules.Classify(10, A::Key(key)), kNo) << key;
}

TEST(SpamRules, AssigningTheSameGroupAgainWithNothingBetween) {
    EXPECT_EQ(Repeated(A::Key('4', A::kCtrl), {60000, 1}), (std::vector<Spam>{kNo, Spam::kReassign, Spam::kReassign}));
    EXPECT_EQ(Repeated(A::Key('4', A::kShift), {5000}), (std::vector<Spam>{kNo, Spam::kReassign}));
    SpamRules rules;
    const A between[] = {A::Key('4', A::kCtrl), A::Click(A::kLeft), A::Key('4', A::kCtrl), A::Key('5', A::kCtrl),
                         A::Key('4', A::kShift)};
    for (const A& a : between)
        EXPECT_EQ(rules.Classify(0, a), kNo);
}

TEST(SpamRules, RightClicksRepeatedWithin420) {
    EXPECT_EQ(Repeated(A::Click(A::kRight), {420, 421, 419}),
              (std::vector<Spam>{kNo, Spam::kRepeatedOrder, kNo, Spam::kRepeatedOrder}));
    // Left and middle clicks select and look; Shift queues waypoints: none of them repeats an order.
    for (const A& a : {A::Click(A::kLeft), A::Click(A::kMiddle), A::Click(A::kRight, A::kShift)})
        EXPECT_EQ(Repeated(a, {10, 10}), (std::vector<Spam>{kNo, kNo, kNo}));
    SpamRules rules;
    for (const A& a : {A::Click(A::kRight), A::Key('A'), A::Click(A::kRight)})
        EXPECT_EQ(rules.Classify(0, a), kNo);
}

TEST(SpamRules, ALetterBeyondAQueueOfFive) {
    // Presses 2-5 fill a queue; the 6th and later repeat the order when quick, overflow the queue when slower.
    EXPECT_EQ(Repeated(A::Key('Z'), {10, 10, 10, 10, 420, 421, 1050}),
              (std::vector<Spam>{kNo, kNo, kNo, kNo, kNo, Spam::kRepeatedOrder, Spam::kQueueOverflow,
                                 Spam::kQueueOverflow}));
    // 1051 ms apart is a new run; so is any other key between, or the same letter with a modifier.
    EXPECT_EQ(Repeated(A::Key('Z'), {1051, 1051, 1051, 1051, 1051, 1051}), std::vector<Spam>(7, kNo));
    SpamRules rules;
    for (const A& a : {A::Key('Z'), A::Key('Z'), A::Key('Z'), A::Key('Z'), A::Key('Z'), A::Key('Z', A::kShift),
                       A::Key('Z'), A::Key('X'), A::Key('Z')})
        EXPECT_EQ(rules.Classify(0, a), kNo);
}

TEST(EffectiveApm, SpamIsTakenOffBeforeTheSameCorrection) {
    EXPECT_EQ(EffectiveApm(300, 0, 60000), CorrectApm(RawApm(300, 60000)));
    EXPECT_EQ(EffectiveApm(300, 150, 60000), 138);  // 150 a minute, 8 percent off
    EXPECT_EQ(EffectiveApm(3, 5, 60000), 0);
}

TEST(EffectiveApm, TheRingReadsAsTheApmRing) {
    ActionRing ring;
    EXPECT_EQ(ring.Recent(kNearWrap), 0);
    uint32_t t = kNearWrap;
    for (int i = 0; i < 60; ++i)
        ring.Add(t += 100);  // 600 a minute, across the wrap
    EXPECT_EQ(ring.Recent(t), 612);  // the 51 stamps of the last 5000 ms
    EXPECT_EQ(ring.Recent(t + 5000), 306);
    for (int i = 0; i < 150; ++i)
        ring.Add(t += 1);  // the ring holds 100
    EXPECT_EQ(ring.Recent(t + 1), 999);
    ring.Reset();
    EXPECT_EQ(ring.Recent(t), 0);
}

TEST(RecoveryCue, OncePerClimbAfterAnAlertAndOnlyWhenHeard) {
    RecoveryCue cue;
    EXPECT_FALSE(cue.Tick(false, true, true)) << "no alert, nothing to recover from";
    EXPECT_FALSE(cue.Tick(true, true, true));
    cue.Alerted();
    EXPECT_FALSE(cue.Tick(true, true, true));
    EXPECT_TRUE(cue.Tick(false, true, true));
    EXPECT_FALSE(cue.Tick(false, true, true)) << "once";
    cue.Alerted();
    EXPECT_FALSE(cue.Tick(false, false, true)) << "F7 silenced it";
    cue.Alerted();
    EXPECT_FALSE(cue.Tick(false, true, false)) << "the item is off";
    EXPECT_FALSE(cue.Tick(false, true, true)) << "a recovery nobody heard is spent";
}
