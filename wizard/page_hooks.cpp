// The driver's per-page steps: leave checks, commits, skip defaults, enter
// checks and the plug-in and action-phase calls made on the way.
#include "wizard/page_hooks.h"
#include "actions/action_runner.h"
#include "actions/program_launch.h"
#include "display/background.h"
#include "display/progress_bar.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "startup/globals.h"
#include "startup/text.h"
#include "wizard/default_folder.h"
#include "wizard/page_framework.h"
#include "wizard/pages.h"

// g_setupTypeName and g_installFolder live with the install state,
// g_userId with the initial variables.
char g_setupTypeDescription[100];
char g_spaceText[20];
char g_programGroup[127];
char g_userName[80];
char g_userCompany[80];
int g_finishMask;

static void SetFrameCaptions(const char *nextKey, const char *cancelKey) {
    SetItemTextFromKey(g_frameWindow, nextKey, IDC_NEXT, 0);
    SetItemTextFromKey(g_frameWindow, cancelKey, IDCANCEL, 0);
}

int PageLeaveCheck(HWND page, int index) {
    if (index == g_pageIndex.userInfo)
        return !ReadDlgInt("DLL2000", 0) || CallPlugin(2000) == 1;
    if (index == g_pageIndex.finish) ReadFinishChecks(page);
    return 1;
}

void PageCommit(HWND page, int index) {
    if (index == g_pageIndex.licence) {
        SetFrameCaptions("C5", "C2");
    } else if (index == g_pageIndex.copy) {
        g_copyFinished = 1;
        if (g_setupStatus == 0) {
            RunActions(50, page);
            if (ReadDlgInt("DLL370", 0)) CallPlugin(6000);
        }
        if (g_speedFlag) ShowWindow(g_frameWindow, SW_SHOW);
        if (!g_hiddenMode) DropBillboard();
    } else if (index == g_pageIndex.finish) {
        if (!g_hiddenMode && g_ownerWindow) ShowWindow(g_ownerWindow, SW_HIDE);
        if (g_setupStatus == 0) {
            if (!g_testMode) RunAfterSetupList(g_finishMask);
            if (ReadDlgInt("DLL400", 0)) CallPlugin(7000);
            RunActions(60, 0);
        }
    }
}

void PageAfterLeave(HWND page, int index) {
    if (index == g_pageIndex.components) SettleActionPages();
    if (index == g_pageIndex.destination) SplitInstallFolder();
}

void PageSkipDefault(HWND page, int index) {
    if (index == g_pageIndex.setupType) {
        ReadDlgText("C45", g_setupTypeName, sizeof g_setupTypeName);
        ReadDlgText("C46", g_setupTypeDescription, sizeof g_setupTypeDescription);
    } else if (index == g_pageIndex.destination) {
        if (!g_defaultFolderComputed) ComputeDefaultFolder();
    } else if (index == g_pageIndex.components) {
        if (!g_componentLetters[0]) CopyText(g_componentLetters, "A", sizeof g_componentLetters);
    }
}

int PageEnterCheck(int index) {
    if (index == g_pageIndex.components) return g_componentLetters[0] == 0;
    if (index == g_pageIndex.detection) {
        RegisterProgressBarClass(g_instance);
        return 1;
    }
    if (index == g_pageIndex.copy) {
        if (ReadDlgInt("DLL350", 0) && g_setupStatus == 0 && CallPlugin(5000) != 0) g_setupStatus = 2;
        if (g_setupStatus == 0) {
            RegisterProgressBarClass(g_instance);
            if (g_support.INITMAK)
                g_support.INITMAK(g_scriptPath, g_platform, g_windowsFamily, g_clarionVersion, (int)g_installLog);
            RunActions(30, 0);
        }
        return 1;
    }
    return 1;
}

void PageBeforeShow(HWND frame, int index) {
    if (index == g_pageIndex.ready && ReadDlgInt("DLL300", 0)) {
        ShowWindow(frame, SW_HIDE);
        if (CallPlugin(4000) != 0) g_setupStatus = 2;
        ShowWindow(frame, SW_SHOW);
    }
}

void PageBeforeLeave(HWND page, int index) {}

void PageAfterBack(HWND page, int index) {
    if (index == g_pageIndex.welcome) SetFrameCaptions("C5", "C2");
}

void SettleActionPages() {
    int count = ListCount("ACT");
    int next = 1;
    for (int n = 1; n <= count; n++) {
        int type = ReadListFieldInt("ACT", n, "a", 0);
        if (type != 1500 && type != 1600 && type != 1700 && type != 1800 && type != 1900) continue;
        while (next < MAX_MARKERS && next < g_pageCount && g_actionMarker[next] == 0) next++;
        if (next >= MAX_MARKERS || next >= g_pageCount) return;
        char letter[2];
        ReadListField("ACT", n, "z", letter, sizeof letter);
        int condition = g_support.CHECKCONDITION ? g_support.CHECKCONDITION(n, "ACT") : 0;
        int selected = letter[0] == 0;
        for (const char *c = g_componentLetters; *c && !selected; c++) selected = *c == letter[0];
        g_pages[next].enabled = condition == 0 && selected;
        next++;
    }
}
