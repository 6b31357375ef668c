// The game link: the message pump, the game memory accessors and the link driver.
#pragma once

#include <windows.h>

#include <cstdint>

// Game addresses as the program holds them; the accessors add kGameBias before touching the game.
constexpr uint32_t kGameBias = 0x200000;
constexpr uint32_t kSlotA = 0x453048;      // 32-byte text
constexpr uint32_t kSlotB = 0x453315;      // 32-byte text
constexpr uint32_t kSlotC = 0x4532cc;      // 32-byte text
constexpr uint32_t kEchoB = 0x45e3e9;      // 48-byte text
constexpr uint32_t kEchoC = 0x45e3a0;      // 48-byte text
constexpr uint32_t kStartWord = 0x49013c;  // non-zero while a game runs
constexpr uint32_t kEndWord = 0x443c50;    // non-zero once the game is over
constexpr uint32_t kSlotSize = 32;
constexpr uint32_t kEchoSize = 48;

// Dispatches the main window's pending messages; never waits.
void PumpMessages();

// A failed read leaves the whole buffer zero.
void ReadGame(HANDLE process, uint32_t heldAddress, void* buffer, uint32_t size);
void WriteGame(HANDLE process, uint32_t heldAddress, const void* buffer, uint32_t size);
// Zeroes the first byte of slots B and C and the start word, so only a new game can look started.
void ClearGameMarks(HANDLE process);
// True once the end word is set or F8 was seen; logs "Game finished" then.
bool IsGameOver(HANDLE process);

// Finds, opens and hooks the game, then measures game after game until it closes or the user quits.
// False when it stopped before linking.
bool RunGameLink(HWND mainWindow);
