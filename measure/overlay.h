// The overlay: lines of white text on black at the top left of the screen, over the game.
// The lines are drawn into a surface of our own, a top-most, click-through, non-activating layered
// window whose colour key makes everything but the text transparent. Screens that composite windows
// (and X under Wine) keep showing such a surface where lines drawn on the bare screen get lost.
// Because the surface keeps what was drawn, a draw at row 0 starts a new frame, and ClearOverlaySurface
// removes every line (when a measurement ends, and when the program exits). Once the main window is
// destroyed (and has cleared the surface), the surface is destroyed too.
#pragma once

#include <memory>

#include "frame/wnd.h"

constexpr int kOverlayWidth = 300;
constexpr int kOverlayRowHeight = 24;
constexpr int kOverlayTimerRow = 18;

// The 12-pixel overlay font, described after the system's stock variable-width font.
std::unique_ptr<CFont> CreateOverlayFont();
// Draws text at the row offset in the main window's overlay font.
void DrawOverlayText(const char* text, int rowOffset);
// The drawing step itself, into dc: every state it changes (font, colours, mode) is put back.
void DrawOverlayLine(HDC dc, const char* text, int rowOffset);
void ClearOverlaySurface();
// True while the surface shows no line, also when there is none.
bool OverlaySurfaceBlank();
// Puts a surface that shows lines back at the top of the top-most windows when another came above it
// (a full-screen game raising itself); never activates it. Nothing when it is on top already.
void RaiseOverlaySurface();
// Destroys the surface (it is created again by the next draw).
void DestroyOverlaySurface();
