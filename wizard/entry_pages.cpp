// The pages the user types on: user information, program folder and the
// input fields of custom actions.
#include <windows.h>
#include <ddeml.h>
#include "payload/binding.h"
#include "script/settings.h"
#include "script/text_blocks.h"
#include "script/variables.h"
#include "base/settings.h"
#include "base/text.h"
#include "wizard/choices.h"
#include "wizard/page.h"
#include "wizard/page_framework.h"

#define IDC_USER_NAME 625
#define IDC_USER_COMPANY 626
#define IDC_USER_ID 627
#define IDC_GROUP_NAME 593
#define IDC_GROUP_LIST 590
#define GROUP_REPLY_SIZE 10240

static INT_PTR EntryPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam, int heading,
                                int subheading) {
    const int red[] = {heading, subheading};
    INT_PTR result;
    if (CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result)) return result;
    return FALSE;
}

// An edit with a text that fits the value it is stored in.
static void SetEdit(HWND page, int item, const char *text, int size) {
    SendDlgItemMessageA(page, item, EM_LIMITTEXT, size - 1, 0);
    SetDlgItemTextA(page, item, text);
}

static INT_PTR CALLBACK UserInfoPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        StartBannerPage(page, lParam, 628, "C32", 621, "CU");
        SetItemTextFromKey(page, "C33", 622, 0);
        SetItemTextFromKey(page, "C34", 623, 0);
        SetEdit(page, IDC_USER_NAME, g_userName, sizeof g_userName);
        SetEdit(page, IDC_USER_COMPANY, g_userCompany, sizeof g_userCompany);
        SetEdit(page, IDC_USER_ID, g_userId, sizeof g_userId);
        char label[20];
        ReadDlgText("C35", label, sizeof label);
        if (label[0]) {
            SetDlgItemTextA(page, 624, label);
            ShowWindow(GetDlgItem(page, 624), SW_SHOW);
            ShowWindow(GetDlgItem(page, IDC_USER_ID), SW_SHOW);
            SetFocus(GetDlgItem(page, IDC_USER_ID));
        }
        return TRUE;
    }
    case WM_GETDLGCODE: CycleEditFocus(page, IDC_USER_NAME, IDC_USER_ID); break;
    case WM_DESTROY: ResetEditFocusCycle(); break;
    }
    return EntryPageMessage(page, message, wParam, lParam, 628, 621);
}

// A required field left empty: a beep and the focus on it.
static int Refuse(HWND page, int item) {
    MessageBeep(MB_ICONHAND);
    SetFocus(GetDlgItem(page, item));
    return 0;
}

static int CheckUserFields(HWND page) {
    GetDlgItemTextA(page, IDC_USER_NAME, g_userName, sizeof g_userName);
    GetDlgItemTextA(page, IDC_USER_COMPANY, g_userCompany, sizeof g_userCompany);
    GetDlgItemTextA(page, IDC_USER_ID, g_userId, sizeof g_userId);
    // Set before the plug-in is asked, so that it reads what was typed.
    SetVariableValue("%USERNAME%", g_userName);
    SetVariableValue("%USERORG%", g_userCompany);
    SetVariableValue("%USERID%", g_userId);
    if (ReadDlgInt("U1", 0) && !g_userName[0]) return Refuse(page, IDC_USER_NAME);
    if (ReadDlgInt("U2", 0) && !g_userCompany[0]) return Refuse(page, IDC_USER_COMPANY);
    if (ReadDlgInt("U3", 0) && !g_userId[0]) return Refuse(page, IDC_USER_ID);
    // Without a plug-in library there is nobody to ask: the entries pass.
    if (ReadDlgInt("DLL2000", 0) && g_plugin.VANTREL_CALLDLL && CallPlugin(2000) != 1) {
        if (ReadDlgInt("SPMSG", 0) != 1) {
            char text[100];
            ReadDlgText("C74", text, sizeof text);
            MessageBeep(MB_ICONHAND);
            MessageBoxA(page, text, g_messageTitle, MB_ICONEXCLAMATION);
        }
        SetFocus(GetDlgItem(page, IDC_USER_ID));
        return 0;
    }
    return 1;
}

static int UserInfoHooks(int hook, HWND page, int index) {
    return hook == HOOK_LEAVE_CHECK ? CheckUserFields(page) : 1;
}

// Program folder page.

static HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return 0; }

// The Program Manager's groups over DDE, one name a line; 0 when nobody
// answers.
static int ListProgramGroups(HWND page) {
    DWORD instance = 0;
    if (DdeInitializeA(&instance, DdeCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return 0;
    int listed = 0;
    HSZ progman = DdeCreateStringHandleA(instance, "progman", CP_WINANSI);
    HSZ groups = DdeCreateStringHandleA(instance, "groups", CP_WINANSI);
    HCONV conversation = DdeConnect(instance, progman, progman, 0);
    if (conversation) {
        HDDEDATA data = DdeClientTransaction(0, 0, conversation, groups, CF_TEXT, XTYP_REQUEST, 3000, 0);
        char *reply = data ? (char *)LocalAlloc(LMEM_FIXED, GROUP_REPLY_SIZE) : 0;
        if (reply) {
            // A longer reply is cut after 10239 characters.
            DWORD got = DdeGetData(data, (LPBYTE)reply, GROUP_REPLY_SIZE - 1, 0);
            reply[got < GROUP_REPLY_SIZE ? got : GROUP_REPLY_SIZE - 1] = 0;
            HWND list = GetDlgItem(page, IDC_GROUP_LIST);
            for (char *name = reply; *name;) {
                char *end = name;
                while (*end && *end != '\r' && *end != '\n') end++;
                char next = *end;
                *end = 0;
                if (*name) SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)name);
                name = next ? end + 1 : end;
            }
            LocalFree(reply);
            listed = 1;
        }
        if (data) DdeFreeDataHandle(data);
        DdeDisconnect(conversation);
    }
    DdeFreeStringHandle(instance, groups);
    DdeFreeStringHandle(instance, progman);
    DdeUninitialize(instance);
    return listed;
}

static INT_PTR CALLBACK ProgramFolderPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        StartPage(page, lParam, 596, 600, 2);
        SetItemTextFromKey(page, "C26", 596, 0);
        SetItemTextFromKey(page, "C77", 597, 2);
        ExtractTextBlock("[STR PF1]", "[END PF1]", page, 591, 1, 0);
        SetItemTextFromKey(page, "C27", 592, 0);
        SetItemTextFromKey(page, "C28", 594, 0);
        char group[sizeof g_programGroup];
        if (g_programGroup[0]) CopyText(group, g_programGroup, sizeof group);
        else ReadDlgText("DG", group, sizeof group);
        SetEdit(page, IDC_GROUP_NAME, group, sizeof group);
        ListProgramGroups(page);
        // The group the field shows, or none: a selected line reads as the
        // choice.
        HWND list = GetDlgItem(page, IDC_GROUP_LIST);
        SendMessageA(list, LB_SETCURSEL, SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)group), 0);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_GROUP_LIST && HIWORD(wParam) == LBN_SELCHANGE) {
            HWND list = (HWND)lParam;
            int position = (int)SendMessageA(list, LB_GETCURSEL, 0, 0);
            char name[sizeof g_programGroup];
            if (position >= 0 && SendMessageA(list, LB_GETTEXTLEN, position, 0) < (LRESULT)sizeof name) {
                SendMessageA(list, LB_GETTEXT, position, (LPARAM)name);
                SetDlgItemTextA(page, IDC_GROUP_NAME, name);
            }
        }
        break;
    }
    return EntryPageMessage(page, message, wParam, lParam, 596, 597);
}

static int ProgramFolderHooks(int hook, HWND page, int index) {
    if (hook != HOOK_LEAVE_CHECK) return 1;
    GetDlgItemTextA(page, IDC_GROUP_NAME, g_programGroup, sizeof g_programGroup);
    if (!g_programGroup[0]) return Refuse(page, IDC_GROUP_NAME);
    return 1;
}

// Input-fields page of a custom action: up to three variables, named by
// "+%ip1", "+%ip2" and "+%ip4", labelled by "+%ip5" to "+%ip7".
static const char *const kFieldNames[] = {"p1", "p2", "p4"};
static const char *const kFieldLabels[] = {"p5", "p6", "p7"};

static INT_PTR CALLBACK InputFieldsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        int action = PageActionNumber(StartPage(page, lParam, 1012, 600, 2));
        SetActionHeading(page, action, 1012);
        SetActionBlocks(page, action, 1011, 1013);
        for (int field = 0; field < 3; field++) {
            char name[50], value[VARIABLE_TEXT + 1], label[127];
            ReadListField("ACT", action, kFieldNames[field], name, sizeof name);
            if (field && !name[0]) continue;
            ReadVariable(name, value);
            SetDlgItemTextA(page, 1014 + field, value);
            ReadListField("ACT", action, kFieldLabels[field], label, sizeof label);
            SetDlgItemTextA(page, 1017 + field, label);
            ShowWindow(GetDlgItem(page, 1014 + field), SW_SHOW);
            ShowWindow(GetDlgItem(page, 1017 + field), SW_SHOW);
        }
        return TRUE;
    }
    case WM_GETDLGCODE: CycleEditFocus(page, 1014, 1016); break;
    case WM_DESTROY: ResetEditFocusCycle(); break;
    }
    return EntryPageMessage(page, message, wParam, lParam, 1012, 1013);
}

// A field left empty keeps its variable's value.
static int InputFieldsHooks(int hook, HWND page, int index) {
    if (hook != HOOK_COMMIT) return 1;
    for (int field = 0; field < 3; field++) {
        char name[50], text[256];
        ReadListField("ACT", PageActionNumber(index), kFieldNames[field], name, sizeof name);
        GetDlgItemTextA(page, 1014 + field, text, sizeof text);
        if (name[0] && text[0]) SetVariableValue(name, text);
    }
    return 1;
}

const PageType g_userInfoPage = {IDD_USERINFO, UserInfoPageProc, UserInfoHooks, IDD_USERINFO};
const PageType g_programFolderPage = {IDD_PROGRAMFOLDER, ProgramFolderPageProc, ProgramFolderHooks,
                                      IDD_PROGRAMFOLDER};
const PageType g_inputFieldsActionPage = {IDD_INPUTFIELDS, InputFieldsPageProc, InputFieldsHooks, IDD_INPUTFIELDS};
