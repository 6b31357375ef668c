// Which of the hooks' events become reports, from what the hook thread has learned: the keys held down, and
// whether the game's window is in front and where its client area is. No system calls, so it can be tested
// alone; the hook thread alone uses it.
#pragma once

#include <windows.h>

class InputFilter {
public:
    // The foreground window changed: to the game's, with its client area at origin on the screen, or to
    // another. Releases made meanwhile can have gone where no hook sees them (the secure desktop, an elevated
    // window), so every key counts as up.
    void Front(bool game, POINT origin) {
        game_ = game;
        origin_ = origin;
        Forget();
    }
    // The game's client area now starts at origin.
    void Moved(POINT origin) { origin_ = origin; }
    // The hooks may have missed releases.
    void Forget() {
        for (bool& down : down_)
            down = false;
    }
    // A key went down: true when it is a new press made in the game. Keys are tracked whichever window is in
    // front, so that a key held down is reported once however long it repeats.
    bool Press(BYTE key) {
        bool fresh = !down_[key];
        down_[key] = true;
        return fresh && game_;
    }
    void Release(BYTE key) { down_[key] = false; }
    // A button went down at pt on the screen: true when it is in the game, with pt made client-relative.
    bool Click(POINT& pt) const {
        if (!game_)
            return false;
        pt.x -= origin_.x;
        pt.y -= origin_.y;
        return true;
    }
    bool gameInFront() const { return game_; }
    POINT origin() const { return origin_; }

private:
    bool down_[256]{};
    bool game_ = false;
    POINT origin_{0, 0};
};
