// [TPL] templates registered with the Clarion development environment: the
// environment is started, told "[RegisterTemplateChain(...)]" once per
// template over DDE (service "ClarionWin"), and asked to close again.
// Templates it did not take are listed in the summary with [TPL] "E1".
#include <windows.h>
#include <ddeml.h>
#include "install/install_driver.h"
#include "actions/action_runner.h"
#include "actions/program_launch.h"
#include "install/file_copy.h"
#include "install/install_log.h"
#include "install/install_state.h"
#include "install/later_steps.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "base/settings.h"
#include "base/text.h"

#define COMMAND_SIZE 300
#define START_WAIT_MS 6000

static const char *ProductTitle(int code) {
    switch (code) {
    case 2: return "Clarion for Windows";
    case 4: return "Clarion 4";
    case 8: return "Clarion 5";
    case 16: return "Clarion 5.5";
    case 32: return "Clarion 5.6";
    }
    return 0;
}

static void RaiseBackground() {
    if (g_ownerWindow && !g_hiddenMode) BringWindowToTop(g_ownerWindow);
}

static HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return 0; }

// Connects to "ClarionWin", trying again while the environment starts.
static HCONV Connect(DWORD instance, DWORD waitMs) {
    HSZ service = DdeCreateStringHandleA(instance, "ClarionWin", CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(instance, "", CP_WINANSI);
    DWORD start = GetTickCount();
    HCONV conversation = 0;
    for (;;) {
        conversation = DdeConnect(instance, service, topic, 0);
        if (conversation || GetTickCount() - start >= waitMs) break;
        Sleep(200);
    }
    DdeFreeStringHandle(instance, service);
    DdeFreeStringHandle(instance, topic);
    return conversation;
}

static void ReportNotRegistered(const char *file) {
    if (!g_summaryBuffer) return;
    char e1[30];
    ReadSetting("TPL", "E1", e1, sizeof e1);
    AppendText(g_summaryBuffer, e1, SUMMARY_BUFFER_SIZE);
    AppendText(g_summaryBuffer, file, SUMMARY_BUFFER_SIZE);
    AppendText(g_summaryBuffer, "\r\n", SUMMARY_BUFFER_SIZE);
}

static void RegisterTemplates(int count, DWORD waitMs) {
    DWORD instance = 0;
    if (DdeInitializeA(&instance, DdeCallback, APPCMD_CLIENTONLY | CBF_FAIL_ALLSVRXACTIONS, 0) == DMLERR_NO_ERROR) {
        HCONV conversation = Connect(instance, waitMs);
        for (int i = 1; i <= count; i++) {
            g_progressCounter++;
            g_overallPercent = (g_progressCounter + 1) * 100 / TotalSteps();
            if (g_progressPage) SendDlgItemMessageA(g_progressPage, IDC_OVERALL_BAR, PBAR_SETPOS, g_overallPercent, 0);
            if (!ItemChosen("TPL", i)) continue;
            char file[82], text[COMMAND_SIZE], command[COMMAND_SIZE + 1];
            ReadListField("TPL", i, "a", file, sizeof file);
            file[80] = 0;
            CopyText(text, g_installFolder, sizeof text);
            AppendText(text, file, sizeof text);
            AppendText(text, ",0", sizeof text);
            CopyText(command, "[RegisterTemplateChain(", sizeof command);
            AppendText(command, text, sizeof command);
            AppendText(command, ")]", sizeof command);
            int sent = 0;
            // A command that does not fit would register some other path.
            if (conversation && TextLength(command) < COMMAND_SIZE && !ClimbsOut(file)) {
                HDDEDATA data = DdeCreateDataHandle(instance, (BYTE *)command, (DWORD)TextLength(command) + 1, 0,
                                                    0, 0, 0);
                // The environment's answer counts: a command it refused or
                // never took is not logged as registered.
                if (data) sent = DdeClientTransaction((BYTE *)data, (DWORD)-1, conversation, 0, 0, XTYP_EXECUTE,
                                                      1000, 0) != 0;
            }
            if (sent) LogRecord("CTplReg:", text);
            else ReportNotRegistered(file);
        }
        if (conversation) DdeDisconnect(conversation);
        DdeUninitialize(instance);
    }
    FindWindowByTitle("Pick", 1);
    const char *title = ProductTitle(g_clarionVersion);
    if (title) {
        LogRecord("CID    :", title);
        FindWindowByTitle(title, 1);
    }
    RaiseBackground();
}

void RegisterClarionTemplates() {
    int count = ListCount("TPL");
    DWORD waitMs = 0;
    if (g_clarionProgram[0]) {
        RunProgram(g_clarionProgram, "", "", 0, 0);
        LogRecord("Clarion:", g_clarionProgram);
        waitMs = START_WAIT_MS;
    }
    if (g_ownerWindow && !g_hiddenMode)
        SetWindowPos(g_ownerWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    HWND page = g_progressPage;
    if (page) {
        SetDlgItemTextA(page, IDC_TARGET_TEXT, "");
        ShowWindow(GetDlgItem(page, IDC_FILE_BAR), SW_HIDE);
        ShowWindow(GetDlgItem(page, IDC_FILE_FRAME), SW_HIDE);
        SendDlgItemMessageA(page, IDC_OVERALL_BAR, PBAR_SETPOS, g_overallPercent, 0);
        UpdateWindow(page);
    }
    RaiseBackground();
    RegisterTemplates(count, waitMs);
    // Give the environment the time it needs to close its windows.
    const char *title = ProductTitle(g_clarionVersion);
    DWORD start = GetTickCount();
    while (title && waitMs && FindWindowByTitle(title, 0) && GetTickCount() - start < START_WAIT_MS) Sleep(100);
}
