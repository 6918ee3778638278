#pragma once
#include <windows.h>
#define BACKGROUND_CLASS "KVX32"
#define CMD_RUN_WIZARD 101
// Registers "KVX32" (first instance only) and creates the maximised
// background window; returns it. CMD_RUN_WIZARD runs the wizard frame, the
// dialog template and procedure given (none: the command does nothing).
HWND CreateBackgroundWindow(HINSTANCE instance, int firstInstance, const char *frame, DLGPROC wizard);
// When the copy page is left: the billboard goes, and the background
// picture too unless it is kept; the window repaints.
void DropBillboard();
// Bands of the backdrop gradient for a client height: band height and
// count, and the blue step between bands.
void GradientBands(int height, int *bandHeight, int *bands, int *step);
