// The Clarion page: the development environments found through WIN.INI;
// the chosen one gives the installation folder and the Clarion variables.
#include "payload/binding.h"
#include "script/settings.h"
#include "script/variables.h"
#include "base/settings.h"
#include "base/text.h"
#include "wizard/choices.h"
#include "wizard/page.h"
#include "wizard/page_framework.h"

// One radio button per installed entry, and one for "none of them".
#define MAX_CLARION_ENTRIES 40
static HWND s_buttons[MAX_CLARION_ENTRIES + 2];
static int s_count;          // entries on the page ("Ndx" + 1), 0 when none is installed
static short s_chosen1;  // entry chosen last, counted from 1; 0 none

struct ClarionProduct {
    const char *section, *id;
    int version;
};
static const ClarionProduct kProducts[] = {
    {"Clarion for Windows V2.0", "C2", 2},       {"Clarion 4", "C4", 4},
    {"Clarion 5", "C5", 8},                      {"Clarion 5  Enterprise Edition", "C5EE", 8},
    {"Clarion 5.5", "C55", 16},                  {"Clarion 5.5  Enterprise Edition", "C55EE", 16},
    {"Clarion 5.6", "C56", 32},                  {"Clarion 5.6  Enterprise Edition", "C56EE", 32},
};

static int EntryCount() {
    int count = ListCount("CLA");
    return count < 0 ? 0 : count > MAX_CLARION_ENTRIES ? MAX_CLARION_ENTRIES : count;
}

static HWND AddChoice(HWND page, const char *caption, int y, int width) {
    HWND button = CreateWindowA("button", caption, WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 23, y, width, 14, page,
                                0, g_instance, 0);
    SendMessageA(button, WM_SETFONT, SendMessageA(page, WM_GETFONT, 0, 0), 0);
    return button;
}

// Counts the installed entries; with a page, makes their buttons. Returns
// the number of entries the page offers, 0 when none is installed.
static int FindClarionProducts(HWND page) {
    int start = IsSmallFonts() ? 100 : 120, y = start, count = EntryCount();
    for (int n = 1; n <= count; n++) {
        char section[80], program[127];
        ReadListField("CLA", n, "", section, sizeof section);
        GetProfileStringA(section, "exename", "", program, sizeof program);
        if (!section[0] || !program[0]) continue;
        y += 20;
        if (page) s_buttons[n] = AddChoice(page, section, y, 250);
        if (!s_chosen1) s_chosen1 = (short)n;
    }
    if (y == start) return 0;
    char none[80];
    ReadSetting("CLA", "LS", none, sizeof none);
    if (page && none[0]) s_buttons[count + 1] = AddChoice(page, none, y + 20, 200);
    if (page && s_chosen1 > 0 && s_buttons[s_chosen1])
        SendMessageA(s_buttons[s_chosen1], BM_SETCHECK, BST_CHECKED, 0);
    return count + 1;
}

static INT_PTR CALLBACK ClarionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {572, 573};
    INT_PTR result;
    switch (message) {
    case WM_INITDIALOG:
        StartBannerPage(page, lParam, 572, "C11", 573, "C76");
        SetItemTextFromKey(page, "CV", 571, 2);
        for (int i = 0; i < MAX_CLARION_ENTRIES + 2; i++) s_buttons[i] = 0;
        s_count = FindClarionProducts(page);
        return TRUE;
    }
    if (CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result)) return result;
    return FALSE;
}

// The ticked entry gives the folder (its work directory through PATHMACRO),
// the version code and the two variables; "none" lets the destination page
// compute a fresh default.
static void StoreClarionChoice() {
    if (!s_count) return;
    g_clarionVersion = 0;
    for (int n = 1; n <= s_count; n++) {
        if (!s_buttons[n] || SendMessageA(s_buttons[n], BM_GETCHECK, 0, 0) != BST_CHECKED) continue;
        s_chosen1 = (short)n;
        char section[80], folder[127], program[13], path[CONVERT_BUFFER_SIZE];
        ReadListField("CLA", n, "", section, sizeof section);
        if (!section[0]) continue;
        GetProfileStringA(section, "workdir", "", folder, sizeof folder);
        GetProfileStringA(section, "exename", "", program, sizeof program);
        wsprintfA(g_clarionProgram, "%s%s.exe", folder, program);
        path[0] = 0;
        if (g_support.PATHMACRO) g_support.PATHMACRO(folder, "\\BIN", path);
        path[CONVERT_BUFFER_SIZE - 1] = 0;
        CopyText(g_installFolder, path, sizeof g_installFolder);
        for (const ClarionProduct &product : kProducts) {
            if (lstrcmpiA(section, product.section) != 0) continue;
            g_clarionVersion = product.version;
            SetVariableValue("%CLARIONIDX%", section);
            SetVariableValue("%CLARIONID%", product.id);
        }
    }
    if (!g_clarionVersion) {
        g_installFolder[0] = 0;
        g_clarionFolderChosen = 0;
        g_defaultFolderComputed = 0;
        return;
    }
    g_clarionFolderChosen = 1;
    if (ReadSettingInt("CLA", "APPEND", 0)) {
        char fallback[127];
        ReadDlgText("DFX", fallback, sizeof fallback);
        for (const char *c = fallback[0] ? fallback + 1 : fallback; *c; c++)
            if (*c == ':') {
                AppendText(g_installFolder, c + 1, sizeof g_installFolder);
                break;
            }
    }
}

static int ClarionHooks(int hook, HWND page, int index) {
    switch (hook) {
    case HOOK_ENTER_CHECK: return FindClarionProducts(0) != 0;
    case HOOK_COMMIT: StoreClarionChoice(); break;
    }
    return 1;
}

const PageType g_clarionPage = {IDD_CLARION, ClarionPageProc, ClarionHooks, IDD_CLARION};
