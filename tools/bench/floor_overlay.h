// The floor's overlay: the plainest top-most, click-through surface, an opaque black popup (layered at
// full alpha only so that clicks pass through; no colour key, no region), and lines drawn on it the way
// the design draws them: for each line a device context got, the 12-pixel font and white-on-black opaque
// text selected, the line drawn, every change undone and the context released. Nothing is erased or
// cached between lines but the font.
#pragma once

// Makes the surface and the font; false when the surface cannot be made.
bool MakeFloorOverlay();
void DrawFloorLine(const char* text, int rowOffset);
