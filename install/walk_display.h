// The texts and bars of the detection and copy pages while they walk. A
// tick handles many files; each file's texts and bar positions are noted
// here and put on the screen at the end of the tick, or while a long file
// is written once a display period has gone by, and only when they
// changed: a static control and a progress bar repaint at once when they
// are set, which costs more than writing a small file.
#pragma once
#include <windows.h>

#define WALK_DISPLAY_PERIOD 50  // milliseconds between screen updates within a tick

// A new walk on page (0: nothing is shown); forgets what was shown.
void StartWalkDisplay(HWND page);
// Notes the text of IDC_TARGET_TEXT or IDC_DESCRIPTION_TEXT.
void WalkText(int id, const char *text);
// Notes the position of IDC_FILE_BAR or IDC_OVERALL_BAR.
void WalkBar(int id, DWORD position);
// Puts what changed on the screen now.
void ShowWalkDisplay();
// The same when a display period has passed since the last update.
void ShowWalkDisplayIfDue();
