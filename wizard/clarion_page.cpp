// The Clarion page: the development environments found through WIN.INI;
// the chosen one gives the installation folder and the Clarion variables.
#include "wizard/choices.h"
#include "wizard/page.h"
#include "wizard/page_framework.h"

static INT_PTR CALLBACK ClarionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {572, 573};
    INT_PTR result;
    if (message == WM_INITDIALOG) {
        StartBannerPage(page, lParam, 572, "C11", 573, "C76");
        return TRUE;
    }
    if (CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result)) return result;
    return FALSE;
}

const PageType g_clarionPage = {IDD_CLARION, ClarionPageProc, 0, IDD_CLARION};
