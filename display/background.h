#pragma once
#include <windows.h>
#define BACKGROUND_CLASS "KVX32"
#define CMD_RUN_WIZARD 101
// Registers "KVX32" (first instance only) and creates the maximised
// background window; returns it.
HWND CreateBackgroundWindow(HINSTANCE instance, int firstInstance);
