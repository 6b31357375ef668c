// When to play the sound that says the APM is back: once per climb back to the limit after an alert
// sounded, only while the player wants it and the alert sound is on (F7 silences both).
#pragma once

class RecoveryCue {
public:
    // An alert sound was played.
    void Alerted() { m_armed = true; }
    // One tick's reading; true when the back sound is due now. A recovery heard by nobody (the cue is off
    // or F7 silenced the sounds) is spent all the same: a later switch-on does not replay an old climb.
    bool Tick(bool below, bool soundOn, bool wanted);

private:
    bool m_armed = false;
};
