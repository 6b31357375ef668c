// The overlay: lines of white text on black at the top left of the game's monitor, over the game.
// The lines are drawn into a surface of our own, a top-most, click-through, non-activating layered
// window. Screens that composite windows (and X under Wine) keep showing such a surface where lines drawn
// on the bare screen get lost. The surface is opaque and its window region is the cells the lines' text
// covers, so only those show. A colour key would do the same, but makes the system scan the whole surface
// for the key on every update; the region is set again only when a cell's size changes.
// Each row keeps its line until it is drawn again or the surface is cleared (when a measurement ends, and
// when the program exits). Whatever may have spoilt what it shows (a display-mode change, a repaint the
// system asks for) makes it blank, so that the caller draws its lines again. Once the main window is
// destroyed (and has cleared the surface), the surface is destroyed too.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "frame/wnd.h"

constexpr int kOverlayWidth = 300;
constexpr int kOverlayRowHeight = 24;
constexpr int kOverlayTimerRow = 18;
// Two top-most programs that each raise themselves would otherwise trade places on every tick.
constexpr uint32_t kOverlayRaiseGap = 500;

// The 12-pixel overlay font, described after the system's stock variable-width font.
std::unique_ptr<CFont> CreateOverlayFont();
// Shows text on the row at the offset in the main window's overlay font, in place of the row's line;
// "" shows nothing there.
void DrawOverlayText(const char* text, int rowOffset);
// The drawing step itself, into dc: every state it changes (font, colours, mode) is put back.
void DrawOverlayLine(HDC dc, const char* text, int rowOffset);
// The cell DrawOverlayLine paints black and white for text at the row in dc; empty for "".
RECT OverlayCell(HDC dc, const char* text, int rowOffset);
void ClearOverlaySurface();
// True while the surface shows no line, also when there is none. A repaint the surface is owed is taken
// here first, since the program's own pump takes only the main window's messages.
bool OverlaySurfaceBlank();
// Puts a surface that shows lines back at the top of the top-most windows when a visible window over its
// cells came above it (a full-screen game raising itself), at most once in kOverlayRaiseGap ms by the
// clock now, and only while the game is the window in front; never activates it. True when it raised it.
bool RaiseOverlaySurface(uint32_t now);
// A showing surface's tick: it follows the game to another monitor, then is raised as above.
bool KeepOverlayWithGame(uint32_t now);
// The window whose monitor the overlay goes on and which must be in front for a raise (null: the primary
// monitor, no raise); the surface moves there now when it exists, again each time it starts showing lines
// and when a tick finds the game on another monitor.
void PlaceOverlayOver(HWND game);
// Destroys the surface (it is created again by the next draw).
void DestroyOverlaySurface();
