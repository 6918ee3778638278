// Detection and copy pages until the install driver's timer walk replaces
// this unit: each hands back to the frame at once (enables Next and sends
// it WM_COMMAND IDC_NEXT), so the wizard goes on to the next page.
#include "wizard/pages.h"

static INT_PTR HandBackPage(HWND page, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(page, DWLP_USER, (LONG_PTR)lParam);
        SetTimer(page, 0, 1, 0);
        return TRUE;
    }
    if (message == WM_TIMER) {
        KillTimer(page, 0);
        EnableWindow(FrameButton(IDC_NEXT), TRUE);
        SendMessageA(GetParent(page), WM_COMMAND, IDC_NEXT, 0);
        return TRUE;
    }
    if (message == WM_DESTROY) KillTimer(page, 0);
    return FALSE;
}

INT_PTR CALLBACK DetectionPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    return HandBackPage(page, message, lParam);
}
INT_PTR CALLBACK CopyPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    return HandBackPage(page, message, lParam);
}
