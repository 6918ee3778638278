// The detection and copy pages: the payload and file-script walks in 1 ms
// timer ticks, one entry or record per tick.
#pragma once
#include <windows.h>

#define IDD_DETECTION_PAGE 13000
#define IDD_COPY_PAGE 13000
#define IDD_COPY_DIALOG 13500
#define IDC_FRAME_NEXT 201
#define PBAR_SETPOS 1026
#define WALK_TIMER 0

// Dialog procedures of the pages (templates 13000 and 13500).
INT_PTR CALLBACK CopyPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DetectionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The work of the pages as plain calls; page may be 0 (no window): then
// nothing is shown and there is no frame to hand back to.
// Copy page start: log, header, INITMAK, options, folders; rewinds the
// file script.
void StartCopy(HWND page);
// One tick of the copy page; returns 1 when the walk has ended (the
// finishing steps are done and the frame has been handed back).
int CopyTick(HWND page);
void StartDetection(HWND page);
int DetectionTick(HWND page);
void EndDetection();

