#pragma once
#include <windows.h>
#define BACKGROUND_CLASS "KVX32"
#define CMD_RUN_WIZARD 101
// Registers "KVX32" (first instance only) and creates the maximised
// background window; returns it.
HWND CreateBackgroundWindow(HINSTANCE instance, int firstInstance);
// When the copy page is left: the billboard goes, and the background
// picture too unless it is kept; the window repaints.
void DropBillboard();
// Bands of the backdrop gradient for a client height: band height and
// count, and the blue step between bands.
void GradientBands(int height, int *bandHeight, int *bands, int *step);
