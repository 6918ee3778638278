// The per-page steps the wizard driver runs around a page change. Each
// switches on the page index; pages without a step for a hook do nothing.
#pragma once
#include <windows.h>

int PageLeaveCheck(HWND page, int index);  // 1: go on, 0: stay
void PageCommit(HWND page, int index);
void PageAfterLeave(HWND page, int index);
void PageSkipDefault(HWND page, int index);
int PageEnterCheck(int index);  // 0: skip the page
void PageBeforeShow(HWND frame, int index);
void PageBeforeLeave(HWND page, int index);
void PageAfterBack(HWND page, int index);
// Switches the action pages on and off from the component letters.
void SettleActionPages();
// Finish page: the check-box mask from its boxes.
void ReadFinishChecks(HWND page);
