// Setup type and components: the component letters, the setup type's name
// and description, and the space the chosen components need.
#include "script/settings.h"
#include "startup/globals.h"
#include "startup/text.h"
#include "wizard/choices.h"
#include "wizard/page.h"
#include "wizard/page_framework.h"

static INT_PTR CALLBACK SetupTypePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {614, 601};
    INT_PTR result;
    if (message == WM_INITDIALOG) {
        StartBannerPage(page, lParam, 614, "C30", 601, "ST");
        return TRUE;
    }
    if (CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result)) return result;
    return FALSE;
}

static int SetupTypeHooks(int hook, HWND page, int index) {
    if (hook == HOOK_SKIP_DEFAULT) {
        ReadDlgText("C45", g_setupTypeName, sizeof g_setupTypeName);
        ReadDlgText("C46", g_setupTypeDescription, sizeof g_setupTypeDescription);
    }
    return 1;
}

static INT_PTR CALLBACK ComponentsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {587, 588};
    INT_PTR result;
    if (message == WM_INITDIALOG) {
        StartBannerPage(page, lParam, 587, "C29", 588, "C79");
        return TRUE;
    }
    if (CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result)) return result;
    return FALSE;
}

static int ComponentsHooks(int hook, HWND page, int index) {
    switch (hook) {
    case HOOK_ENTER_CHECK: return g_componentLetters[0] == 0;  // a setup type fixed them
    case HOOK_SKIP_DEFAULT:
        if (!g_componentLetters[0]) CopyText(g_componentLetters, "A", sizeof g_componentLetters);
        break;
    }
    return 1;
}

const PageType g_setupTypePage = {IDD_SETUPTYPE, SetupTypePageProc, SetupTypeHooks, IDD_SETUPTYPE};
const PageType g_componentsPage = {IDD_COMPONENTS, ComponentsPageProc, ComponentsHooks, IDD_COMPONENTS};
