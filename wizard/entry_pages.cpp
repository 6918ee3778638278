// The pages the user types on: user information, program folder and the
// input fields of custom actions.
#include "payload/binding.h"
#include "script/settings.h"
#include "script/variables.h"
#include "startup/globals.h"
#include "wizard/choices.h"
#include "wizard/page.h"
#include "wizard/page_framework.h"

static INT_PTR CALLBACK UserInfoPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {628, 621};
    INT_PTR result;
    if (message == WM_INITDIALOG) {
        StartBannerPage(page, lParam, 628, "C32", 621, "CU");
        return TRUE;
    }
    if (CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result)) return result;
    return FALSE;
}

static int UserInfoHooks(int hook, HWND page, int index) {
    if (hook != HOOK_LEAVE_CHECK) return 1;
    return !ReadDlgInt("DLL2000", 0) || CallPlugin(2000) == 1;
}

static INT_PTR CALLBACK ProgramFolderPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {596, 597};
    INT_PTR result;
    if (message == WM_INITDIALOG) {
        StartBannerPage(page, lParam, 596, "C26", 597, "C77");
        return TRUE;
    }
    if (CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result)) return result;
    return FALSE;
}

static INT_PTR CALLBACK InputFieldsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {1012, 1013};
    INT_PTR result;
    if (message == WM_INITDIALOG) {
        StartBannerPage(page, lParam, 1012, 0, 1013, 0);
        return TRUE;
    }
    if (CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result)) return result;
    return FALSE;
}

const PageType g_userInfoPage = {IDD_USERINFO, UserInfoPageProc, UserInfoHooks, IDD_USERINFO};
const PageType g_programFolderPage = {IDD_PROGRAMFOLDER, ProgramFolderPageProc, 0, IDD_PROGRAMFOLDER};
const PageType g_inputFieldsActionPage = {IDD_INPUTFIELDS, InputFieldsPageProc, 0, IDD_INPUTFIELDS};
