#pragma once
#include <windows.h>
// Runs the custom actions of a phase (10, 30, 50, 60); parent is the page
// that shows progress (the copy page at 50) or 0. 1: an item asked to stop.
int RunActions(int phase, HWND parent);
// Looks for a top-level window of another program whose title begins with
// text (any case); with close set, asks the first one found to close.
int FindWindowByTitle(const char *text, int close);
