// Which of the hooks' events become reports, from what the hook thread has learned: the keys held down, and
// whether the game's window is in front and where its client area is. No system calls (the system's key
// state comes in as a function), so it can be tested alone; the hook thread alone uses it.
#pragma once

#include <windows.h>

#include "hook/client_area.h"
#include "hook/ravik.h"

class InputFilter {
public:
    // The foreground window changed: to the game's, with its client area there, or to another.
    void Front(bool game, const ClientArea& area) {
        game_ = game;
        area_ = area;
    }
    // The game's client area moved or changed size.
    void Moved(const ClientArea& area) { area_ = area; }
    // Forgets the held keys that isDown(key), the system's key state, says are up: their release went where
    // no hook saw it (the secure desktop, an elevated window, a hook that was gone). A key still down stays
    // held, so its repeats never count.
    template <class IsDown>
    void ForgetReleased(IsDown isDown) {
        for (int key = 0; key < 256; ++key)
            if (down_[key])
                down_[key] = isDown(static_cast<BYTE>(key));
    }
    // True when the system holds down a key no press of which was seen: the keyboard hook missed it. Mouse
    // buttons and the keys that stand for either side of Shift, Ctrl and Alt never reach the keyboard hook,
    // so they are no sign of it.
    template <class IsDown>
    bool MissedPress(IsDown isDown) const {
        for (int key = 1; key < 256; ++key)
            if (!down_[key] && !NeverHooked(key) && isDown(static_cast<BYTE>(key)))
                return true;
        return false;
    }
    // A key went down: true when it is a new press made in the game. Keys are tracked whichever window is in
    // front, so that a key held down is reported once however long it repeats.
    bool Press(BYTE key) {
        bool fresh = !down_[key];
        down_[key] = true;
        return fresh && game_;
    }
    void Release(BYTE key) { down_[key] = false; }
    // A button went down at pt on the screen: true when it is in the game's client area, with pt made the
    // game's client coordinates.
    bool Click(POINT& pt) const { return game_ && area_.Map(pt); }
    // The RAVIK_CTRL, RAVIK_SHIFT and RAVIK_ALT bits of the modifiers held down.
    UINT Modifiers() const {
        return (Held(VK_LCONTROL, VK_RCONTROL, VK_CONTROL) ? RAVIK_CTRL : 0) |
               (Held(VK_LSHIFT, VK_RSHIFT, VK_SHIFT) ? RAVIK_SHIFT : 0) |
               (Held(VK_LMENU, VK_RMENU, VK_MENU) ? RAVIK_ALT : 0);
    }
    bool gameInFront() const { return game_; }
    const ClientArea& area() const { return area_; }

private:
    static bool NeverHooked(int key) {
        return key == VK_LBUTTON || key == VK_RBUTTON || key == VK_MBUTTON || key == VK_XBUTTON1 ||
               key == VK_XBUTTON2 || key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU;
    }
    // Either side, or the code for both that a program naming no side sends.
    bool Held(BYTE left, BYTE right, BYTE both) const { return down_[left] || down_[right] || down_[both]; }

    bool down_[256]{};
    bool game_ = false;
    ClientArea area_;
};
